// Writes each fuzz target's seed corpus, DIRECTORY/<target>/<seed>, from the blocks the tool and
// the simulated panel build, each seed laid out as its target reads its input. The build runs
// it; seeds are never edited by hand.
//   trx_fuzz_seeds DIRECTORY

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>

#include "FuzzInput.h"
#include "PanelBehaviour.h"
#include "files/PanelFiles.h"
#include "records/CameraTable.h"
#include "records/Credentials.h"
#include "records/SettingsRecord.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace {

using namespace std::literals;
using trx::fuzz::Bytes;

// A seed, or one part of it: a byte, a range of bytes or characters as they are, parts in turn.
struct Part {
    Part(int byte) : bytes{static_cast<std::uint8_t>(byte)} {}
    template <typename Range>
    Part(const Range& range) : bytes(std::begin(range), std::end(range)) {}
    Part(std::initializer_list<Part> parts) {
        for (const Part& part : parts) {
            bytes.insert(bytes.end(), part.bytes.begin(), part.bytes.end());
        }
    }
    Bytes bytes;
};

// A number in `size` bytes, high byte first, as FuzzInput reads numbers and piece lengths.
Part number(std::size_t value, int size) {
    Bytes bytes;
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    return bytes;
}

// A piece after its one- or two-byte length.
Part piece(int lengthSize, const Part& part) {
    return {number(part.bytes.size(), lengthSize), part};
}

template <typename Block>
Bytes sealed(Block block, std::size_t checksumIndex) {
    trx::sealChecksum(block, checksumIndex);
    return {block.begin(), block.end()};
}

std::filesystem::path g_root;

void write(const char* target, const char* name, const Part& seed) {
    std::filesystem::create_directories(g_root / target);
    std::ofstream(g_root / target / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(seed.bytes.data()),
               static_cast<std::streamsize>(seed.bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    namespace cl = trx::sim::camera_layout;
    const trx::PanelAddress panelAddress = trx::makeAddress(192, 168, 0, 130);
    trx::sim::PanelState panel =
        trx::sim::factoryState({panelAddress, trx::makeAddress(192, 168, 0, 131)});
    const Bytes table = sealed(trx::CameraTable::defaults().bytes(), cl::kChecksum);
    trx::CredentialsRecord login;
    login.buildBlock(trx::kDefaultUserName, trx::kDefaultPassword);
    trx::SettingsRecord settings;
    settings.seal();

    // REFRESH, then every form step in turn: IP Mode, C03 a CCU, C03 and C06 swapped, and a SET
    // whose addresses (192.168.0.20 on) and ports (80) pass its checks.
    Part steps{0, piece(2, table), Part{2, 129, 128, 128, 3, 130, 129, 4, 2, 5, 5}};
    const auto rows = static_cast<int>(cl::kRows);
    for (int row = 0; row < 2 * rows; ++row) {
        steps = {steps, number(row < rows ? trx::makeAddress(192, 168, 0,
                                                             static_cast<std::uint8_t>(20 + row))
                                          : 80,
                               4)};
    }
    write("camera_table_fuzzer", "form-steps",
          {steps, number(panelAddress, 4), 1, piece(2, table), 6, 0});
    // A search result in IP Mode, with the cameras the panel found flagged.
    panel.cameraTable[cl::kModeCode] = 2;
    panel.cameraTable[cl::kType] = 0;
    trx::sim::searchNetwork(panel.cameraTable, panel.network, 0);
    write("camera_table_fuzzer", "search", {3, piece(2, sealed(panel.cameraTable, cl::kChecksum))});

    write("rop_list_fuzzer", "read",
          {0, 128, 129, sealed(panel.ropList, trx::sim::kRopListChecksum)});
    write("settings_record_fuzzer", "read",
          {piece(1, settings.bytes()), number(35300, 4), 129, 128, 129, 129, 128, 133});
    write(
        "credentials_fuzzer", "read",
        {piece(2, login.bytes()), piece(1, "vexor"sv), piece(1, "operator"sv), piece(1, "58203"sv),
         piece(1, "Pa:ss;w\\d"sv), piece(1, "Pa:ss;w\\d"sv), 0xD8, 0, 0, 0x41});

    // A panel profile and a panel list as the tool saves them.
    trx::CameraTable sealedTable = trx::CameraTable::defaults();
    sealedTable.seal();
    write(
        "panel_files_fuzzer", "profile",
        trx::encodePanelProfile({sealedTable, settings, "192.168.0.130", "2026-12-07T12:00:00Z"}));
    trx::PanelList list{};
    list[0] = {panelAddress, trx::makeAddress(255, 255, 255, 0), trx::makeAddress(192, 168, 0, 1)};
    write("panel_files_fuzzer", "list", trx::encodePanelList(list));

    // Write lines trickling in, a refused write, a reply in pieces and one too long to hold.
    const Bytes writeOk = trx::sim::panelLine(trx::panel_line::kWriteOk);
    write("reply_buffer_fuzzer", "write", {0x11, 1, trx::sim::acknowledgeLine(), writeOk});
    write("reply_buffer_fuzzer", "refused", {0x10, trx::sim::notAcknowledgedLine()});
    write("reply_buffer_fuzzer", "reply", {0x42, 100, 7, table});
    write("reply_buffer_fuzzer", "oversize", {0xE1, 255, table, Bytes(6000 - table.size())});

    // Every command (searches for each family): the requests each with a fault, the writes with
    // a good block.
    Part commands{};
    for (int i = 0; i < 11; ++i) {
        const int search = std::max(i - 5, 0);  // kinds 5 and 6, each for the three families
        commands = {commands,      1, i - search + search / 3, search % 3, i + 2, number(5, 2),
                    number(700, 2)};
    }
    const Bytes blocks[] = {sealed(panel.settings, 8), sealed(panel.credentials, 66),
                            sealed(std::array<std::uint8_t, 2>{3, 0}, 1), table, table};
    for (int i = 0; i < 5; ++i) {
        commands = {commands, 1, 7 + i, 0, piece(2, blocks[i])};
    }
    write("panel_commands_fuzzer", "every-command", {commands, 1, 12});
    write("panel_commands_fuzzer", "search",
          {2, table, 0, 0, 3, Part{2, 0, 0x5E, 0x10, 0, 1}, number(panelAddress, 4), number(80, 2),
           piece(1, "LONGMODEL12"sv)});
    write("panel_commands_fuzzer", "camera-file",
          {3, piece(2,
                    "ccu 3 02:00:5E:10:00:01 192.168.0.101 80 CCU-A100\n"
                    "remote-camera 4 02-00-5E-10-01-01 192.168.0.111 80 -\n"sv)});
    return 0;
}
