// Writes the seed corpora: real blocks as the panel and the tool build them, short, long and
// garbage replies, each laid out as its fuzzer reads its input.
//   trx_fuzz_seeds fuzz/corpus

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "PanelBehaviour.h"
#include "records/CameraTable.h"
#include "records/Credentials.h"
#include "records/SettingsRecord.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class Seed {
  public:
    Seed& byte(unsigned b) {
        m_bytes.push_back(static_cast<std::uint8_t>(b));
        return *this;
    }
    Seed& u16(std::size_t v) { return byte((v >> 8) & 0xFFu).byte(v & 0xFFu); }
    Seed& u32(std::uint32_t v) { return u16(v >> 16).u16(v & 0xFFFFu); }
    template <typename Range>
    Seed& bytes(const Range& range) {
        m_bytes.insert(m_bytes.end(), std::begin(range), std::end(range));
        return *this;
    }
    Seed& text(std::string_view t) { return bytes(t); }
    // A piece with its one- or two-byte length in front.
    template <typename Range>
    Seed& shortPiece(const Range& range) {
        return byte(static_cast<unsigned>(std::size(range))).bytes(range);
    }
    template <typename Range>
    Seed& longPiece(const Range& range) {
        return u16(std::size(range)).bytes(range);
    }
    const Bytes& data() const { return m_bytes; }

  private:
    Bytes m_bytes;
};

std::filesystem::path g_root;

void write(const std::string& target, const std::string& name, const Seed& seed) {
    const std::filesystem::path dir = g_root / target;
    std::filesystem::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(seed.data().data()),
              static_cast<std::streamsize>(seed.data().size()));
}

template <typename Range>
Bytes sealed(const Range& block, std::size_t checksumIndex) {
    Bytes bytes(std::begin(block), std::end(block));
    trx::sealChecksum(bytes, checksumIndex);
    return bytes;
}

Bytes garbage(std::size_t size) {
    Bytes bytes(size);
    std::uint32_t x = 0x2545F491u;
    for (auto& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return bytes;
}

Bytes line(std::string_view text) {
    return trx::sim::panelLine(text);
}

void cameraSeeds() {
    const std::string t = "camera_table_fuzzer";
    const Bytes factory = sealed(trx::sim::factoryCameraTable(), trx::CameraTable::kChecksumIndex);
    write(t, "refresh-factory", Seed().byte(0).longPiece(factory));
    write(t, "refresh-short", Seed().byte(0).longPiece(Bytes(5, 0)));
    write(t, "refresh-empty", Seed().byte(0).u16(0));
    Bytes longer = factory;
    longer.resize(720, 0);
    write(t, "refresh-oversize", Seed().byte(0).longPiece(longer));
    write(t, "garbage", Seed().bytes(garbage(800)));

    // IP Mode with cameras found and one flagged as a duplicate, taken as a search result.
    trx::sim::PanelState state = trx::sim::factoryState({});
    auto& table = state.cameraTable;
    table[trx::sim::camera_layout::kModeCode] = 2;
    table[trx::sim::camera_layout::kType] = 0;
    trx::sim::searchNetwork(table, state.network, 0);
    write(t, "search-duplicate", Seed().byte(3).longPiece(sealed(table, 668)));

    // Every form step in turn, ending in a SET that passes its checks.
    Seed steps;
    steps.byte(0).longPiece(factory);
    steps.byte(2).byte(128 + 1).byte(128 + 0).byte(128 + 0);  // IP Mode, CCU
    steps.byte(3).byte(128 + 2).byte(128 + 1);                // C03 becomes CCU IP
    steps.byte(4).byte(2).byte(5);                            // swap C03 and C06
    steps.byte(5);
    for (std::uint8_t row = 0; row < trx::CameraTable::kRowCount; ++row) {
        steps.u32(trx::makeAddress(192, 168, 0, static_cast<std::uint8_t>(20 + row)));
    }
    for (int row = 0; row < trx::CameraTable::kRowCount; ++row) {
        steps.u32(80);
    }
    steps.u32(trx::makeAddress(192, 168, 0, 130)).shortPiece(line("WRITE OK"));
    steps.byte(1).longPiece(factory).byte(6).byte(0);
    write(t, "form-steps", steps);
}

void ropSeeds() {
    const std::string t = "rop_list_fuzzer";
    const trx::sim::PanelState state = trx::sim::factoryState(
        {trx::makeAddress(192, 168, 0, 130), trx::makeAddress(192, 168, 0, 131)});
    const Bytes list = sealed(state.ropList, 500);
    write(t, "read-ok", Seed().byte(0).byte(128).byte(129).bytes(list));
    write(t, "read-short", Seed().byte(0).byte(128).byte(152).bytes(sealed(Bytes(9, 7), 8)));
    write(t, "read-broken-off", Seed().byte(4).byte(0).byte(255).bytes(sealed(Bytes(40, 1), 39)));
    write(t, "no-connect", Seed().byte(2).byte(128).byte(129));
    write(t, "label", Seed().byte(0).byte(130).byte(140).text("TRX25"));
    write(t, "garbage", Seed().byte(0).bytes(garbage(520)));
}

void settingsSeeds() {
    const std::string t = "settings_record_fuzzer";
    trx::SettingsRecord record;
    record.seal();
    Seed ok;
    ok.shortPiece(record.bytes()).u32(35300);
    for (int v : {1, 0, 1, 1, 0, 5}) {
        ok.byte(static_cast<unsigned>(v + 128));
    }
    write(t, "read-factory", ok);
    write(t, "read-empty", Seed().byte(0));
    write(t, "read-short", Seed().shortPiece(Bytes{0x89, 0x80, 0x02, 0x02, 0x73}));
    write(t, "read-unlisted", Seed().shortPiece(sealed(Bytes(9, 0xFE), 8)).u32(0xFFFFFFFFu));
    write(t, "read-oversize", Seed().shortPiece(garbage(200)));
}

void credentialSeeds() {
    const std::string t = "credentials_fuzzer";
    const trx::sim::PanelState state = trx::sim::factoryState({});
    const Bytes login = sealed(state.credentials, 66);
    Seed ok;
    ok.longPiece(login);
    for (std::string_view text : {"vexor", "operator", "58203", "Pa:ss;w\\d", "Pa:ss;w\\d"}) {
        ok.shortPiece(text);
    }
    ok.bytes(Bytes{0xD8, 0x00, 0x00, 0x41});
    write(t, "read-factory", ok);
    write(t, "read-short", Seed().longPiece(Bytes(67, 0x41)));
    write(t, "read-unterminated", Seed().longPiece(Bytes(68, 0x41)));
    Seed mismatch;
    mismatch.longPiece(login);
    for (std::string_view text :
         {"vexor", "name with space", "58203", "12345678901234567890123456789012345", "x"}) {
        mismatch.shortPiece(text);
    }
    write(t, "form-refused", mismatch);
    write(t, "garbage", Seed().bytes(garbage(300)));
}

void replyBufferSeeds() {
    const std::string t = "reply_buffer_fuzzer";
    Seed write1;
    write1.byte(0x10 | 1).byte(1);
    write1.bytes(trx::sim::acknowledgeLine()).bytes(line("WRITE OK"));
    write(t, "write-trickle", write1);
    write(t, "ack-without-trailer",
          Seed().byte(0x10 | 2).byte(20).byte(6).text(trx::panel_line::kAcknowledge));
    write(t, "not-acknowledged", Seed().byte(0x10).bytes(trx::sim::notAcknowledgedLine()));
    write(t, "garbage-line", Seed().byte(0x30 | 1).byte(3).bytes(trx::sim::garbageBytes()));
    const Bytes table = sealed(trx::sim::factoryCameraTable(), 668);
    write(t, "table-in-pieces", Seed().byte(0x42).byte(100).byte(7).bytes(table));
    Bytes oversize = table;
    oversize.resize(6000, 0);
    write(t, "oversize", Seed().byte(0xE1).byte(255).bytes(oversize));
}

void commandSeeds() {
    const std::string t = "panel_commands_fuzzer";
    const trx::sim::PanelState state = trx::sim::factoryState({trx::makeAddress(127, 0, 0, 2)});
    const Bytes table = sealed(state.cameraTable, 668);
    // Known lines by index: requests with a fault each, writes with a good block.
    Seed all;
    for (unsigned i = 0; i <= 10; ++i) {
        all.byte(1).byte(i).byte(i + 2).u16(5).u16(700);
    }
    all.byte(1).byte(11).longPiece(sealed(state.settings, 8));
    all.byte(1).byte(12).longPiece(sealed(state.credentials, 66));
    all.byte(1).byte(13).longPiece(sealed(Bytes{3, 0}, 1));
    all.byte(1).byte(14).longPiece(table);
    all.byte(1).byte(15).longPiece(table);
    all.byte(1).byte(16);
    write(t, "every-command", all);

    write(t, "search-keep-set",
          Seed()
              .byte(0)
              .shortPiece(trx::command::kSearchStartRemoteCamera)
              .byte(0)
              .u32(0)
              .byte(0)
              .shortPiece(trx::command::kCameraListKeepSet)
              .longPiece(table));
    write(t, "write-wrong-size",
          Seed().byte(0).shortPiece(trx::command::kSetDataChange).longPiece(Bytes(10, 0)));
    write(t, "not-a-command", Seed().byte(0).shortPiece(std::string_view("TRX900 SETDATA\r\n")));
    Seed search;
    search.byte(2).bytes(table).byte(0).byte(0).byte(3).bytes(Bytes{2, 0, 0x5E, 0x10, 0, 1});
    search.u32(trx::makeAddress(192, 168, 0, 130))
        .u16(80)
        .shortPiece(std::string_view("LONGMODEL12"));
    write(t, "search-table", search);
    write(t, "camera-file",
          Seed().byte(3).longPiece(
              std::string_view("# family type mac address port model\n"
                               "ccu 3 02:00:5E:10:00:01 192.168.0.101 80 CCU-A100\n"
                               "remote-camera 4 02-00-5E-10-01-01 192.168.0.111 80 -\n"
                               "2 5 02:00:5e:10:02:01 192.168.0.121 49152 CAM-X3\n")));
    write(t, "fault-name", Seed().byte(3).longPiece(std::string_view("close-after-acknowledge")));
    write(t, "garbage", Seed().bytes(garbage(400)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIRECTORY\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    cameraSeeds();
    ropSeeds();
    settingsSeeds();
    credentialSeeds();
    replyBufferSeeds();
    commandSeeds();
    return 0;
}
