#include <gtest/gtest.h>


#include "records/CameraListForm.h"
#include "records/CameraListRules.h"

namespace trx {
namespace {

using V = std::vector<std::uint8_t>;

V bytesOf(const CameraTable& t, std::size_t at = 0, std::size_t n = CameraTable::kSize) {
    return V(t.bytes().data() + at, t.bytes().data() + at + n);
}

// Codes outside the tables: a mode code above 5 reads as Serial Mode, CCU; a type code without a
// list entry, or any type under such a mode code, shows none, so that the row keeps the entry it
// showed before (the form keeps it); no entry, or the serial entry outside IP Mode, keeps the
// row's code.
TEST(CameraCodes, UnknownCodes) {
    EXPECT_EQ(decodeModeCode(6), ModeSelection{});
    EXPECT_EQ(encodeModeCode(decodeModeCode(1)), 1);  // Serial Mode, RemoteCamera
    EXPECT_EQ(entryForTypeCode(7, 2), std::nullopt);
    EXPECT_EQ(entryForTypeCode(1, 6), std::nullopt);
    EXPECT_EQ(typeCodeForEntry(-1, 2, 7), 7);
    EXPECT_EQ(typeCodeForEntry(4, 0, 7), 7);
    EXPECT_EQ(serialEntryForNumber(0) + serialEntryForNumber(20), -2);
    CameraListForm form;  // showing a table with a mode code outside the table
    form.values().typeEntry.fill(3);
    CameraTable t = CameraTable::defaults();
    t.setModeCode(9);
    ASSERT_TRUE(form.replaceTable(t.bytes()));
    form.showTable();
    EXPECT_EQ(form.values().typeEntry[0], 3);
}

// A reply too short for the table is refused; an empty search reply changes nothing, a longer
// one fills the table's 670 bytes and no more, leaving the mode code the operator chose. The
// panel's "CAMERA TYPE SETTING NG" wins over "WRITE OK".
TEST(CameraRules, RepliesFillAtMostTheTableAndASearchKeepsTheModeCode) {
    EXPECT_FALSE(CameraTable::fromReply(V(669, 1)).has_value());
    EXPECT_EQ(bytesOf(*CameraTable::fromReply(V(700, 2))), V(670, 2));
    CameraTable t = CameraTable::defaults();
    t.setModeCode(5);
    const CameraTable before = t;
    EXPECT_TRUE(takeSearchReply(t, {}));
    EXPECT_FALSE(takeSearchReply(t, V(669, 9)));  // no table: none of its bytes are taken
    EXPECT_EQ(t, before);
    EXPECT_TRUE(takeSearchReply(t, V(4096, 0x22)));
    V filled(CameraTable::kSize, 0x22);
    filled[412] = 5;
    EXPECT_EQ(bytesOf(t), filled);
    const auto result = [](std::string_view line) {
        return evaluateWriteResult(V(line.begin(), line.end()));
    };
    EXPECT_EQ(result("CAMERA TYPE SETTING NG\r\n\x01"), CameraWriteResult::CameraTypeRefused);
    EXPECT_EQ(result("WRITE OK\r\n\x01"), CameraWriteResult::Written);
    EXPECT_EQ(result("WRITE NG\r\n\x01"), CameraWriteResult::Refused);
}

}  // namespace
}  // namespace trx
