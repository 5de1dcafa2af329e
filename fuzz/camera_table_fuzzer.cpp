// The camera table as the Camera List page takes it in: a REFRESH or search reply of any
// length, shown in the form, then edited, swapped and checked for SET in any order.
//
// Input: flags (bit 0: the first reply is a search result; bit 1: a search is pending),
// a two-byte reply length and the reply, then operations until the input ends.

#include <functional>
#include <string>

#include "FuzzInput.h"
#include "records/CameraListForm.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace {

using trx::CameraListForm;
using trx::CameraTable;
using trx::fuzz::Bytes;
using Mac = std::array<std::uint8_t, 6>;

constexpr int kRows = CameraTable::kRowCount;
constexpr std::size_t kModeCodeAt = 412;

std::size_t at(int row) {
    return static_cast<std::size_t>(row);
}

// "00:0A:FF:12:34:56", whatever bytes the row holds.
bool macTextWellFormed(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool hex = std::string_view("0123456789ABCDEF").find(text[i]) != text.npos;
        if (i % 3 == 2 ? text[i] != ':' : !hex) {
            return false;
        }
    }
    return text.size() == 17;
}

// What the page writes into its controls must mirror the table, whatever bytes it holds.
void showAndCheck(CameraListForm& form) {
    const CameraTable before = form.table();
    const auto entriesBefore = form.values().typeEntry;
    form.showTable();
    const CameraTable& table = form.table();
    const auto& values = form.values();
    const auto& enabling = form.enabling();
    const trx::ModeSelection selection = trx::decodeModeCode(table.modeCode());
    const bool ip = selection.mode == trx::ConnectionMode::Ip;
    TRX_FUZZ_REQUIRE(table == before);
    TRX_FUZZ_REQUIRE(values.connectionMode == static_cast<int>(selection.mode));
    TRX_FUZZ_REQUIRE(values.cameraFamily == static_cast<int>(selection.family));
    TRX_FUZZ_REQUIRE(values.serialEntry >= -1 && values.serialEntry < kRows);
    TRX_FUZZ_REQUIRE(enabling.networkSearch == ip && enabling.swapLists == ip);
    TRX_FUZZ_REQUIRE(enabling.serialNumberList == !ip);
    for (int row = 0; row < kRows; ++row) {
        const std::size_t i = at(row);
        const auto entry = trx::entryForTypeCode(table.typeCode(row), table.modeCode());
        const std::size_t types = form.lists().typeEntries[i].size();
        const auto& swaps = form.lists().swapEntries[i];
        TRX_FUZZ_REQUIRE(values.address[i] == table.rowAddress(row));
        TRX_FUZZ_REQUIRE(values.port[i] == table.rowPort(row));
        TRX_FUZZ_REQUIRE(macTextWellFormed(values.macText[i]));
        TRX_FUZZ_REQUIRE(values.modelText[i].size() <= 9);
        TRX_FUZZ_REQUIRE(values.modelText[i].find('\0') == std::string::npos);
        TRX_FUZZ_REQUIRE(values.typeEntry[i] == entry.value_or(entriesBefore[i]));
        TRX_FUZZ_REQUIRE(ip ? (types == 4 || types == 5) : types == 1);
        TRX_FUZZ_REQUIRE((swaps.size() == 1 || swaps.size() == at(kRows)) && swaps.front() == " ");
        TRX_FUZZ_REQUIRE(enabling.addressAndPort[i] == ip);
        TRX_FUZZ_REQUIRE(enabling.typeList[i] == (ip || row == values.serialEntry));
        TRX_FUZZ_REQUIRE(!form.rowHighlighted(row) || form.searchPending());
    }
}

void takeReply(CameraListForm& form, const Bytes& reply, bool search) {
    const CameraTable before = form.table();
    if (!search) {
        const bool taken = form.replaceTable(reply);
        TRX_FUZZ_REQUIRE(taken == (reply.size() >= CameraTable::kSize));
        TRX_FUZZ_REQUIRE(taken ? trx::fuzz::hasPrefix(reply, form.table().bytes())
                               : form.table() == before);
        return;
    }
    // A search reply cut short is refused whole; an empty one leaves the table as it was.
    const bool accepted = trx::takeSearchReply(form.table(), reply);
    TRX_FUZZ_REQUIRE(accepted == (reply.empty() || reply.size() >= CameraTable::kSize));
    for (std::size_t i = 0; i < CameraTable::kSize; ++i) {
        const bool fromReply = accepted && i < reply.size() && i != kModeCodeAt;
        TRX_FUZZ_REQUIRE(form.table().bytes()[i] == (fromReply ? reply[i] : before.bytes()[i]));
    }
    if (const auto row = trx::firstFlaggedDuplicate(form.table())) {
        TRX_FUZZ_REQUIRE(*row >= 0 && *row < kRows);
        TRX_FUZZ_REQUIRE(form.table().statusFlags(*row) & trx::kStatusDuplicate);
        TRX_FUZZ_REQUIRE(!trx::duplicationText(form.table().rowAddress(*row)).empty());
    }
    form.setSearchState(accepted ? 2 : form.searchState());
}

// SET as the page runs it, after the form was read into the values.
void checkForWrite(CameraListForm& form, trx::fuzz::FuzzInput& in) {
    auto& values = form.values();
    std::generate(values.address.begin(), values.address.end(), [&in] { return in.u32(); });
    std::generate(values.port.begin(), values.port.end(), [&in] { return in.u32(); });
    const trx::PanelAddress target = in.u32();
    CameraTable& table = form.table();
    if (!trx::hasAnyCamera(table)) {
        return;
    }
    form.collectAddresses();
    for (int row = 0; row < kRows; ++row) {
        TRX_FUZZ_REQUIRE(table.rowAddress(row) == values.address[at(row)]);
        TRX_FUZZ_REQUIRE(table.rowPort(row) == (values.port[at(row)] & 0xFFFFu));
    }
    if (const auto row = trx::firstDuplicateRow(table, target)) {
        TRX_FUZZ_REQUIRE(*row >= 0 && *row < kRows);
        return;
    }
    // Rows listed once each, in order: exactly those that cannot be written, each named.
    const std::vector<int> rows = trx::unavailableRows(table, values.port);
    TRX_FUZZ_REQUIRE(std::adjacent_find(rows.begin(), rows.end(), std::greater_equal()) ==
                     rows.end());
    const std::string text = rows.empty() ? "" : trx::unavailableSettingText(rows);
    for (int row = 0; row < kRows; ++row) {
        const bool listed = std::binary_search(rows.begin(), rows.end(), row);
        TRX_FUZZ_REQUIRE(listed != (trx::cameraAddressUsable(table.rowAddress(row)) &&
                                    trx::cameraPortUsable(values.port[at(row)])));
        TRX_FUZZ_REQUIRE(!listed || text.find(trx::cameraRowLabel(row)) != std::string::npos);
    }
    if (!rows.empty()) {
        return;
    }
    const CameraTable before = table;
    trx::clearNonIpMacs(table);
    for (int row = 0; row < kRows; ++row) {
        const bool kept = trx::isIpTypeCode(table.typeCode(row));
        TRX_FUZZ_REQUIRE(table.rowMac(row) == (kept ? before.rowMac(row) : Mac{}));
    }
    table.seal();
    TRX_FUZZ_REQUIRE(trx::checksumHolds(table.bytes()));
    const Bytes resultLine = in.shortPiece();
    TRX_FUZZ_REQUIRE(trx::evaluateWriteResult(resultLine) != trx::CameraWriteResult::Written ||
                     trx::startsWith(resultLine, trx::panel_line::kWriteOk));
    form.setSearchState(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    CameraListForm form;
    form.setSearchState((flags & 0x02) != 0 ? 2 : 0);
    takeReply(form, in.longPiece(), (flags & 0x01) != 0);
    showAndCheck(form);
    // Enough steps for any sequence worth having; more only slow each run down.
    for (int step = 0; step < 16 && !in.empty(); ++step) {
        const int operation = in.byte() % 7;
        if (operation <= 1) {
            takeReply(form, in.longPiece(), operation == 1);
        } else if (operation == 2) {
            // The operator picked another mode, family or serial camera.
            form.values().connectionMode = in.signedByte();
            form.values().cameraFamily = in.signedByte();
            form.values().serialEntry = in.signedByte();
            form.applyConnectionSettings();
            const std::uint8_t mode = form.table().modeCode();
            TRX_FUZZ_REQUIRE(trx::isSerialModeCode(mode) || trx::isIpModeCode(mode));
        } else if (operation == 3) {
            const int row = in.signedByte();
            const int entry = in.signedByte();
            if (row >= 0 && row < kRows) {
                form.values().typeEntry[at(row)] = entry;
            }
            form.changeCameraType(row);
        } else if (operation == 4) {
            const int row = in.byte() % kRows;
            const int other = in.byte() % kRows;
            const CameraTable before = form.table();
            form.swapRows(row, other, form.values().address);
            form.swapRows(row, other, form.values().address);
            TRX_FUZZ_REQUIRE(form.table() == before);
            form.swapRows(row, other, form.values().address);
        } else if (operation == 5) {
            checkForWrite(form, in);
        } else {
            form.setSearchState(in.byte());
        }
        showAndCheck(form);
    }
    return 0;
}
