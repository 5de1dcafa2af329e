#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "camera/CameraListForm.h"
#include "camera/CameraListRules.h"

namespace trx {
namespace {

constexpr int kRows = CameraTable::kRowCount;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(CameraSearchReply, ReplacesEverythingButTheModeCode) {
    CameraTable table = CameraTable::defaults();
    table.setModeCode(3);
    CameraTable reply;
    reply.bytes().fill(0x11);
    takeSearchReply(table, reply.bytes());
    EXPECT_EQ(table.modeCode(), 3);
    table.setModeCode(0x11);
    EXPECT_EQ(table, reply);
}

TEST(CameraSearchReply, LongReplyFillsOnlyTheTableAndShortOneOnlyItsBytes) {
    CameraTable table = CameraTable::defaults();
    std::vector<std::uint8_t> longReply(4096, 0x22);
    takeSearchReply(table, longReply);
    EXPECT_EQ(table.bytes()[669], 0x22);
    EXPECT_EQ(table.modeCode(), 0);

    table = CameraTable::defaults();
    table.setModeCode(5);
    const CameraTable before = table;
    takeSearchReply(table, {});
    EXPECT_EQ(table, before);
    const std::vector<std::uint8_t> head = {1, 2, 3};
    takeSearchReply(table, head);
    EXPECT_EQ(table.rowAddress(0), before.rowAddress(0));
    EXPECT_EQ(table.bytes()[0], 1);
    EXPECT_EQ(table.bytes()[3], before.bytes()[3]);
}

TEST(CameraSearchReply, FirstFlaggedDuplicateIsReported) {
    CameraTable table = CameraTable::defaults();
    EXPECT_FALSE(firstFlaggedDuplicate(table).has_value());
    table.bytes()[648 + 3] = kStatusDuplicate | kStatusHighlight;
    table.bytes()[648 + 8] = kStatusDuplicate;
    table.bytes()[648 + 1] = kStatusHighlight | 0xFC;
    EXPECT_EQ(firstFlaggedDuplicate(table), 3);
    EXPECT_EQ(duplicationText(table.rowAddress(3)), "IP(192.168.0.13) Duplication");
}

TEST(CameraWriteChecks, UnavailableLabelsGoFiveToALine) {
    EXPECT_EQ(unavailableSettingText({1, 2, 3, 4, 6, 18}),
              "Unavailable network setting!\r\n C02/ C03/ C04/ C05/ C07\r\n C19");
    EXPECT_EQ(unavailableSettingText({0, 1, 2, 3, 4, 5, 6}),
              "Unavailable network setting!\r\n C01/ C02/ C03/ C04/ C05\r\n C06/ C07");
    EXPECT_EQ(unavailableSettingText({10}), "Unavailable network setting!\r\n C11");
    std::vector<int> all(kRows);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(unavailableSettingText(all),
              "Unavailable network setting!\r\n C01/ C02/ C03/ C04/ C05\r\n C06/ C07/ C08/ C09/ "
              "C10\r\n C11/ C12/ C13/ C14/ C15\r\n C16/ C17/ C18/ C19");
}

TEST(CameraWriteResults, NgWinsOverWriteOk) {
    EXPECT_EQ(evaluateWriteResult(bytesOf("WRITE OK\r\n\x01")), CameraWriteResult::Written);
    EXPECT_EQ(evaluateWriteResult(bytesOf("CAMERA TYPE SETTING NG\r\n\x01")),
              CameraWriteResult::CameraTypeRefused);
    EXPECT_EQ(evaluateWriteResult(bytesOf("WRITE NG\r\n\x01")), CameraWriteResult::Refused);
    EXPECT_EQ(evaluateWriteResult(bytesOf("WRITE O")), CameraWriteResult::Refused);
    EXPECT_EQ(evaluateWriteResult({}), CameraWriteResult::Refused);
}

// The form model on its own: what the page's controls would be given.

TEST(CameraListFormModel, TwoSerialRowsFromAPanelShowTheFirstAsTheSerialRow) {
    CameraListForm form;
    CameraTable table = CameraTable::defaults();
    table.setModeCode(3);
    table.setTypeCode(0, 0);
    table.setTypeCode(4, 2);
    table.setTypeCode(9, 6);
    ASSERT_TRUE(form.replaceTable(table.bytes()));
    form.showTable();
    EXPECT_EQ(form.lists().typeEntries[4].size(), 5u);
    EXPECT_EQ(form.lists().typeEntries[4][4], "Remote Serial");
    EXPECT_EQ(form.lists().typeEntries[9].size(), 4u);
    EXPECT_EQ(form.values().typeEntry[9], 4);  // outside its list: shows no selection
    EXPECT_EQ(form.table(), table);
}

TEST(CameraListFormModel, UnknownModeCodeKeepsEntriesAndShowsSerialCcu) {
    CameraListForm form;
    form.values().typeEntry.fill(3);
    CameraTable table = CameraTable::defaults();
    table.setModeCode(9);
    table.setSerialCameraNumber(0);
    ASSERT_TRUE(form.replaceTable(table.bytes()));
    form.showTable();
    EXPECT_EQ(form.values().typeEntry[0], 3);
    EXPECT_EQ(form.values().connectionMode, 0);
    EXPECT_EQ(form.values().serialEntry, -1);
    for (int row = 0; row < kRows; ++row) {
        EXPECT_EQ(form.lists().typeEntries[static_cast<std::size_t>(row)],
                  std::vector<std::string>{"NoAsign"});
        EXPECT_FALSE(form.enabling().typeList[static_cast<std::size_t>(row)]);
    }
    // Swap lists offer the rows for any code but 0, 1 and 4, yet stay disabled in Serial Mode.
    EXPECT_EQ(form.lists().swapEntries[0].size(), 19u);
    EXPECT_FALSE(form.enabling().swapLists);
}

}  // namespace
}  // namespace trx
