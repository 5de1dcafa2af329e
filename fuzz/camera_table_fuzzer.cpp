// The camera table as the Camera List page takes it in: a REFRESH or search reply of any
// length, shown in the form, then edited, swapped and checked for SET in any order.
//
// Input: flags (bit 0: the first reply is a search result; bit 1: a search is pending),
// a two-byte reply length and the reply, then operations until the input ends.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "records/CameraListForm.h"
#include "records/CameraListRules.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace {

using trx::CameraListForm;
using trx::CameraTable;
using trx::fuzz::FuzzInput;

constexpr int kRows = CameraTable::kRowCount;
constexpr std::size_t kModeCodeAt = 412;

std::size_t at(int row) {
    return static_cast<std::size_t>(row);
}

bool macTextWellFormed(const std::string& text) {
    if (text.size() != 17) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        if (i % 3 == 2 ? c != ':' : !hex) {
            return false;
        }
    }
    return true;
}

// What the page writes into its controls must mirror the table, whatever bytes it holds.
void showAndCheck(CameraListForm& form) {
    const CameraTable before = form.table();
    const std::array<int, kRows> entriesBefore = form.values().typeEntry;
    form.showTable();
    const CameraTable& table = form.table();
    TRX_FUZZ_REQUIRE(table == before);

    const trx::ModeSelection selection = trx::decodeModeCode(table.modeCode());
    const auto& values = form.values();
    const bool ip = selection.mode == trx::ConnectionMode::Ip;
    TRX_FUZZ_REQUIRE(values.connectionMode == static_cast<int>(selection.mode));
    TRX_FUZZ_REQUIRE(values.cameraFamily == static_cast<int>(selection.family));
    TRX_FUZZ_REQUIRE(values.serialEntry >= -1 && values.serialEntry < kRows);

    const auto& lists = form.lists();
    const auto& enabling = form.enabling();
    TRX_FUZZ_REQUIRE(enabling.networkSearch == ip && enabling.swapLists == ip);
    TRX_FUZZ_REQUIRE(enabling.serialNumberList == !ip);
    for (int row = 0; row < kRows; ++row) {
        const std::size_t i = at(row);
        TRX_FUZZ_REQUIRE(values.address[i] == table.rowAddress(row));
        TRX_FUZZ_REQUIRE(values.port[i] == table.rowPort(row));
        TRX_FUZZ_REQUIRE(macTextWellFormed(values.macText[i]));
        TRX_FUZZ_REQUIRE(values.modelText[i].size() <= 9);
        TRX_FUZZ_REQUIRE(values.modelText[i].find('\0') == std::string::npos);
        const auto entry = trx::entryForTypeCode(table.typeCode(row), table.modeCode());
        TRX_FUZZ_REQUIRE(values.typeEntry[i] == entry.value_or(entriesBefore[i]));

        const auto& types = lists.typeEntries[i];
        TRX_FUZZ_REQUIRE(ip ? (types.size() == 4 || types.size() == 5) : types.size() == 1);
        const auto& swaps = lists.swapEntries[i];
        TRX_FUZZ_REQUIRE(swaps.size() == 1 || swaps.size() == static_cast<std::size_t>(kRows));
        TRX_FUZZ_REQUIRE(!swaps.empty() && swaps.front() == " ");

        TRX_FUZZ_REQUIRE(enabling.addressAndPort[i] == ip);
        TRX_FUZZ_REQUIRE(enabling.typeList[i] == (ip || row == values.serialEntry));
        TRX_FUZZ_REQUIRE(!form.rowHighlighted(row) || form.searchPending());
    }
}

void takeReply(CameraListForm& form, const std::vector<std::uint8_t>& reply, bool search) {
    const CameraTable before = form.table();
    if (search) {
        const bool accepted = trx::takeSearchReply(form.table(), reply);
        // A reply cut short is refused whole; an empty one leaves the table as it was.
        TRX_FUZZ_REQUIRE(accepted == (reply.empty() || reply.size() >= CameraTable::kSize));
        if (!accepted) {
            TRX_FUZZ_REQUIRE(form.table() == before);
            return;
        }
        const auto& bytes = form.table().bytes();
        const std::size_t taken = std::min(reply.size(), CameraTable::kSize);
        for (std::size_t i = 0; i < CameraTable::kSize; ++i) {
            const bool fromReply = i < taken && i != kModeCodeAt;
            TRX_FUZZ_REQUIRE(bytes[i] == (fromReply ? reply[i] : before.bytes()[i]));
        }
        if (const auto row = trx::firstFlaggedDuplicate(form.table())) {
            TRX_FUZZ_REQUIRE(*row >= 0 && *row < kRows);
            TRX_FUZZ_REQUIRE(form.table().statusFlags(*row) & trx::kStatusDuplicate);
            TRX_FUZZ_REQUIRE(!trx::duplicationText(form.table().rowAddress(*row)).empty());
        }
        form.setSearchState(2);
    } else {
        const bool taken = form.replaceTable(reply);
        TRX_FUZZ_REQUIRE(taken == (reply.size() >= CameraTable::kSize));
        if (taken) {
            TRX_FUZZ_REQUIRE(std::equal(form.table().bytes().begin(), form.table().bytes().end(),
                                        reply.begin()));
        } else {
            TRX_FUZZ_REQUIRE(form.table() == before);
        }
    }
}

// SET as the page runs it, after the form was read into the values.
void checkForWrite(CameraListForm& form, FuzzInput& in) {
    for (auto& address : form.values().address) {
        address = in.u32();
    }
    for (auto& port : form.values().port) {
        port = in.u32();
    }
    const trx::PanelAddress target = in.u32();
    CameraTable& table = form.table();
    if (!trx::hasAnyCamera(table)) {
        return;
    }
    form.collectAddresses();
    for (int row = 0; row < kRows; ++row) {
        TRX_FUZZ_REQUIRE(table.rowAddress(row) == form.values().address[at(row)]);
        TRX_FUZZ_REQUIRE(table.rowPort(row) == (form.values().port[at(row)] & 0xFFFFu));
    }
    if (const auto row = trx::firstDuplicateRow(table, target)) {
        TRX_FUZZ_REQUIRE(*row >= 0 && *row < kRows);
        return;
    }
    const std::vector<int> rows = trx::unavailableRows(table, form.values().port);
    TRX_FUZZ_REQUIRE(std::is_sorted(rows.begin(), rows.end()));
    TRX_FUZZ_REQUIRE(std::adjacent_find(rows.begin(), rows.end()) == rows.end());
    for (int row = 0; row < kRows; ++row) {
        const bool usable = trx::cameraAddressUsable(table.rowAddress(row)) &&
                            trx::cameraPortUsable(form.values().port[at(row)]);
        TRX_FUZZ_REQUIRE(usable == !std::binary_search(rows.begin(), rows.end(), row));
    }
    if (!rows.empty()) {
        const std::string text = trx::unavailableSettingText(rows);
        for (int row : rows) {
            TRX_FUZZ_REQUIRE(text.find(trx::cameraRowLabel(row)) != std::string::npos);
        }
        return;
    }
    const CameraTable before = table;
    trx::clearNonIpMacs(table);
    for (int row = 0; row < kRows; ++row) {
        const auto mac = table.rowMac(row);
        TRX_FUZZ_REQUIRE(trx::isIpTypeCode(table.typeCode(row))
                             ? mac == before.rowMac(row)
                             : std::all_of(mac.begin(), mac.end(), [](auto b) { return b == 0; }));
    }
    table.seal();
    TRX_FUZZ_REQUIRE(trx::checksumHolds(table.bytes()));
    const std::vector<std::uint8_t> resultLine = in.shortPiece();
    const auto result = trx::evaluateWriteResult(resultLine);
    TRX_FUZZ_REQUIRE(result != trx::CameraWriteResult::Written ||
                     trx::startsWith(resultLine, trx::panel_line::kWriteOk));
    if (form.searchPending()) {
        form.setSearchState(0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    CameraListForm form;
    form.setSearchState((flags & 0x02) != 0 ? 2 : 0);
    takeReply(form, in.longPiece(), (flags & 0x01) != 0);
    showAndCheck(form);

    // Enough steps for any sequence worth having; more only slow each run down.
    for (int step = 0; step < 16 && !in.empty(); ++step) {
        switch (in.byte() % 7) {
            case 0:
                takeReply(form, in.longPiece(), false);
                break;
            case 1:
                takeReply(form, in.longPiece(), true);
                break;
            case 2:
                // The operator picked another mode, family or serial camera.
                form.values().connectionMode = in.signedByte();
                form.values().cameraFamily = in.signedByte();
                form.values().serialEntry = in.signedByte();
                form.applyConnectionSettings();
                TRX_FUZZ_REQUIRE(trx::isSerialModeCode(form.table().modeCode()) ||
                                 trx::isIpModeCode(form.table().modeCode()));
                break;
            case 3: {
                const int row = in.signedByte();
                const int entry = in.signedByte();
                if (row >= 0 && row < kRows) {
                    form.values().typeEntry[at(row)] = entry;
                }
                form.changeCameraType(row);
                break;
            }
            case 4: {
                const int row = in.byte() % kRows;
                const int other = in.byte() % kRows;
                const CameraTable before = form.table();
                form.swapRows(row, other, form.values().address);
                form.swapRows(row, other, form.values().address);
                TRX_FUZZ_REQUIRE(form.table() == before);
                form.swapRows(row, other, form.values().address);
                break;
            }
            case 5:
                checkForWrite(form, in);
                break;
            default:
                form.setSearchState(in.byte());
                break;
        }
        showAndCheck(form);
    }
    return 0;
}
