// The camera table as the Camera List page takes it in: a REFRESH or search reply of any
// length, shown in the form, then edited, swapped and checked for SET in any order.
//
// Input: flags (bit 0: the first reply is a search result; bit 1: a search is pending),
// a two-byte reply length and the reply, then operations until the input ends.

#include <string>

#include "FuzzInput.h"
#include "records/CameraListForm.h"

namespace {

using trx::CameraListForm;
using trx::CameraTable;

constexpr int kRows = CameraTable::kRowCount;
constexpr std::size_t kModeCodeAt = 412;

// What the page writes into its controls mirrors the table, whatever bytes it holds; which
// controls each mode enables and how a MAC is spelled are the page tests' business.
void showAndCheck(CameraListForm& form) {
    const CameraTable before = form.table();
    const auto entriesBefore = form.values().typeEntry;
    form.showTable();
    const CameraTable& table = form.table();
    const auto& values = form.values();
    TRX_FUZZ_REQUIRE(table == before && values.serialEntry >= -1 && values.serialEntry < kRows);
    for (int row = 0; row < kRows; ++row) {
        const auto i = static_cast<std::size_t>(row);
        const auto entry = trx::entryForTypeCode(table.typeCode(row), table.modeCode());
        TRX_FUZZ_REQUIRE(values.address[i] == table.rowAddress(row) &&
                         values.port[i] == table.rowPort(row));
        TRX_FUZZ_REQUIRE(values.modelText[i].size() <= 9 &&
                         values.modelText[i].find('\0') == std::string::npos);
        TRX_FUZZ_REQUIRE(values.typeEntry[i] == entry.value_or(entriesBefore[i]));
        TRX_FUZZ_REQUIRE(!form.rowHighlighted(row) || form.searchPending());
    }
}

// Which duplicates a search flags, and how, is pinned by the page tests.
void takeReply(CameraListForm& form, const trx::fuzz::Bytes& reply, bool search) {
    const CameraTable before = form.table();
    if (!search) {
        const bool taken = form.replaceTable(reply);
        trx::fuzz::requireTakenWhole(taken, reply, before.bytes(), form.table().bytes());
        return;
    }
    // A search reply cut short is refused whole; an empty one leaves the table as it was.
    const bool accepted = trx::takeSearchReply(form.table(), reply);
    TRX_FUZZ_REQUIRE(accepted == (reply.empty() || reply.size() >= CameraTable::kSize));
    for (std::size_t i = 0; i < CameraTable::kSize; ++i) {
        const bool fromReply = accepted && i < reply.size() && i != kModeCodeAt;
        TRX_FUZZ_REQUIRE(form.table().bytes()[i] == (fromReply ? reply[i] : before.bytes()[i]));
    }
    form.setSearchState(accepted ? 2 : form.searchState());
}

// SET's checks as the page runs them, on any addresses and ports: a row is refused exactly when
// its address or port cannot be written. The texts, and what SET then writes, are pinned by the
// page tests.
void checkForWrite(CameraListForm& form, trx::fuzz::FuzzInput& in) {
    auto& values = form.values();
    std::generate(values.address.begin(), values.address.end(), [&in] { return in.u32(); });
    std::generate(values.port.begin(), values.port.end(), [&in] { return in.u32(); });
    const trx::PanelAddress target = in.u32();
    const CameraTable& table = form.table();
    if (!trx::hasAnyCamera(table)) {
        return;
    }
    form.collectAddresses();
    if (trx::firstDuplicateRow(table, target)) {
        return;
    }
    const std::vector<int> rows = trx::unavailableRows(table, values.port);
    for (int row = 0; row < kRows; ++row) {
        TRX_FUZZ_REQUIRE((std::ranges::count(rows, row) == 1) !=
                         (trx::cameraAddressUsable(table.rowAddress(row)) &&
                          trx::cameraPortUsable(values.port[static_cast<std::size_t>(row)])));
    }
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
                form.values().typeEntry[static_cast<std::size_t>(row)] = entry;
            }
            form.changeCameraType(row);
        } else if (operation == 4) {
            // A swap undoes itself.
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
