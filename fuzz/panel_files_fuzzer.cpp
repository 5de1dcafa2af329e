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

bool sameProfile(const PanelProfile& a, const PanelProfile& b) {
    return a.cameraTable == b.cameraTable &&
           std::ranges::equal(a.settings.bytes(), b.settings.bytes()) && a.source == b.source &&
           a.savedAt == b.savedAt;
}

// An accepted profile is sealed, and its file reads back as itself and writes out unchanged.
void checkAccepted(const PanelProfile& profile) {
    TRX_FUZZ_REQUIRE(trx::checksumHolds(profile.cameraTable.bytes()));
    TRX_FUZZ_REQUIRE(trx::checksumHolds(profile.settings.bytes()));
    const QByteArray file = trx::encodePanelProfile(profile);
    const auto back = trx::decodePanelProfile(file);
    TRX_FUZZ_REQUIRE(std::holds_alternative<PanelProfile>(back));
    TRX_FUZZ_REQUIRE(sameProfile(std::get<PanelProfile>(back), profile));
    TRX_FUZZ_REQUIRE(trx::encodePanelProfile(std::get<PanelProfile>(back)) == file);
}

void checkAccepted(const PanelList& list) {
    const QByteArray file = trx::encodePanelList(list);
    const auto back = trx::decodePanelList(file);
    TRX_FUZZ_REQUIRE(std::holds_alternative<PanelList>(back));
    TRX_FUZZ_REQUIRE(std::get<PanelList>(back) == list);
    TRX_FUZZ_REQUIRE(trx::encodePanelList(list) == file);
}

// A refused file names at least one problem, each with its place.
template <typename T>
void checkDecoded(const std::variant<T, trx::FileProblems>& decoded) {
    if (const auto* accepted = std::get_if<T>(&decoded)) {
        checkAccepted(*accepted);
        return;
    }
    const auto& problems = std::get<trx::FileProblems>(decoded);
    TRX_FUZZ_REQUIRE(!problems.empty());
    TRX_FUZZ_REQUIRE(std::ranges::none_of(problems, [](const auto& p) { return p.place.empty(); }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkDecoded(trx::decodePanelProfile(file));
    checkDecoded(trx::decodePanelList(file));

    // Blocks from a panel: written out, a profile that SET's checks accept reads back byte for
    // byte, with only the checksums resealed.
    trx::fuzz::FuzzInput blocks(data, size);
    PanelProfile written;
    const auto table = blocks.take(trx::CameraTable::kSize);
    std::ranges::copy(table, written.cameraTable.bytes().begin());
    std::array<std::uint8_t, trx::SettingsRecord::kSize> settings{};
    std::ranges::copy(blocks.take(settings.size()), settings.begin());
    written.settings = *trx::SettingsRecord::fromReply(settings);
    const auto read = trx::decodePanelProfile(trx::encodePanelProfile(written));
    if (const auto* profile = std::get_if<PanelProfile>(&read)) {
        written.cameraTable.seal();
        written.settings.seal();
        TRX_FUZZ_REQUIRE(sameProfile(*profile, written));
    }

    // Panel rows: read back whole exactly when every row passes REGISTER's check.
    trx::fuzz::FuzzInput rows(data, size);
    PanelList list{};
    bool registrable = true;
    for (trx::RopRow& row : list) {
        row = {rows.u32(), rows.u32(), rows.u32()};
        registrable = registrable && trx::CheckNetworkSetting(row.address, row.subnetMask) ==
                                         trx::kNetworkSettingUsable;
    }
    const auto listed = trx::decodePanelList(trx::encodePanelList(list));
    TRX_FUZZ_REQUIRE(std::holds_alternative<PanelList>(listed) == registrable);
    TRX_FUZZ_REQUIRE(!registrable || std::get<PanelList>(listed) == list);
    return 0;
}
