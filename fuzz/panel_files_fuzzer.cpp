// Panel profile and panel list files: any bytes given to both decoders, and any camera table,
// settings record and panel rows written to a file and read back. A file that is accepted writes
// out again and reads back as the same thing.
//
// Input: the whole input is the file for both decoders. Read as blocks, its first 670 bytes are a
// camera table and the next 9 a settings record; its first 300 bytes are 25 panel rows (address,
// mask, gateway).

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <variant>

#include "FuzzInput.h"
#include "files/PanelFiles.h"
#include "wire/Checksum.h"

namespace {

using trx::PanelList;
using trx::PanelProfile;

// A refused file names at least one problem, each with its place. An accepted one writes out as
// a file that reads back as the same thing (a file holds every byte of what it describes, so
// equal files mean equal contents) and writes out unchanged.
template <typename T>
void checkDecoded(const std::variant<T, trx::FileProblems>& decoded, QByteArray (*encode)(const T&),
                  std::variant<T, trx::FileProblems> (*decode)(const QByteArray&)) {
    if (const auto* accepted = std::get_if<T>(&decoded)) {
        const QByteArray file = encode(*accepted);
        const auto back = decode(file);
        TRX_FUZZ_REQUIRE(std::holds_alternative<T>(back) && encode(std::get<T>(back)) == file);
        return;
    }
    const auto& problems = std::get<trx::FileProblems>(decoded);
    TRX_FUZZ_REQUIRE(!problems.empty());
    TRX_FUZZ_REQUIRE(std::ranges::none_of(problems, [](const auto& p) { return p.place.empty(); }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto profile = trx::decodePanelProfile(file);
    checkDecoded(profile, trx::encodePanelProfile, trx::decodePanelProfile);
    checkDecoded(trx::decodePanelList(file), trx::encodePanelList, trx::decodePanelList);
    if (const auto* accepted = std::get_if<PanelProfile>(&profile)) {
        TRX_FUZZ_REQUIRE(trx::checksumHolds(accepted->cameraTable.bytes()) &&
                         trx::checksumHolds(accepted->settings.bytes()));
    }

    // Blocks from a panel, whatever they hold: written out, a profile reads back byte for byte,
    // with only the checksums resealed. A backup always opens again.
    trx::fuzz::FuzzInput blocks(data, size);
    PanelProfile written;
    std::ranges::copy(blocks.take(trx::CameraTable::kSize), written.cameraTable.bytes().begin());
    std::array<std::uint8_t, trx::SettingsRecord::kSize> settings{};
    std::ranges::copy(blocks.take(settings.size()), settings.begin());
    written.settings = *trx::SettingsRecord::fromReply(settings);
    const auto read = trx::decodePanelProfile(trx::encodePanelProfile(written));
    TRX_FUZZ_REQUIRE(std::holds_alternative<PanelProfile>(read));
    written.cameraTable.seal();
    written.settings.seal();
    TRX_FUZZ_REQUIRE(trx::encodePanelProfile(std::get<PanelProfile>(read)) ==
                     trx::encodePanelProfile(written));

    // Panel rows, whatever they hold: read back whole.
    trx::fuzz::FuzzInput rows(data, size);
    PanelList list{};
    for (trx::RopRow& row : list) {
        row = {rows.u32(), rows.u32(), rows.u32()};
    }
    const auto listed = trx::decodePanelList(trx::encodePanelList(list));
    TRX_FUZZ_REQUIRE(std::holds_alternative<PanelList>(listed) &&
                     std::get<PanelList>(listed) == list);
    return 0;
}
