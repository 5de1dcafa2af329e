#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/TargetSelection.h"

namespace trx {
namespace {

// A selector as a page shows it: its entries and the selected position.
class ListView final : public SelectorView {
  public:
    void clearEntries() override {
        entries.clear();
        selected = -1;
    }
    void addEntry(const std::string& text) override { entries.push_back(text); }
    void selectEntry(int position) override {
        selected = position >= 0 && position < static_cast<int>(entries.size()) ? position : -1;
    }

    std::vector<std::string> entries;
    int selected = -1;
};

class TargetSelectionTest : public ::testing::Test {
  protected:
    TargetSelectionTest() {
        for (ListView& view : views) {
            selection.attachSelector(&view);
        }
    }

    TargetSelection selection;
    ListView views[4];
};

TEST_F(TargetSelectionTest, StartsWithTrx1AtItsFactoryAddress) {
    EXPECT_EQ(selection.currentTarget(), 0u);  // until the first rebuild
    selection.rebuildSelectors();
    for (const ListView& view : views) {
        EXPECT_EQ(view.entries, std::vector<std::string>{"TRX1(192.168.0.130)"});
        EXPECT_EQ(view.selected, 0);
    }
    EXPECT_EQ(selection.currentTarget(), makeAddress(192, 168, 0, 130));
}

TEST_F(TargetSelectionTest, SelectionFollowsItsPanelWhenTheListChanges) {
    selection.setPanelAddress(4, makeAddress(10, 0, 0, 5));
    selection.setPanelAddress(9, makeAddress(10, 0, 0, 10));
    selection.rebuildSelectors();
    selection.selectPosition(1);  // TRX5
    EXPECT_EQ(selection.currentTarget(), makeAddress(10, 0, 0, 5));

    selection.setPanelAddress(0, 0);
    selection.rebuildSelectors();
    for (const ListView& view : views) {
        EXPECT_EQ(view.entries, (std::vector<std::string>{"TRX5(10.0.0.5)", "TRX10(10.0.0.10)"}));
        EXPECT_EQ(view.selected, 0);
    }
    EXPECT_EQ(selection.selectorPosition(), 0);
    EXPECT_EQ(selection.selectorMap()[0], 4);
    EXPECT_EQ(selection.selectorMap()[1], 9);
    EXPECT_EQ(selection.currentTarget(), makeAddress(10, 0, 0, 5));
}

TEST_F(TargetSelectionTest, ClearedSelectedPanelFallsBackToTheFirstEntry) {
    selection.setPanelAddress(2, makeAddress(10, 0, 0, 3));
    selection.setPanelAddress(6, makeAddress(10, 0, 0, 7));
    selection.rebuildSelectors();
    selection.selectPosition(2);  // TRX7
    selection.setPanelAddress(6, 0);
    selection.rebuildSelectors();
    EXPECT_EQ(selection.selectorPosition(), 0);
    EXPECT_EQ(views[3].selected, 0);
    EXPECT_EQ(selection.currentTarget(), makeAddress(192, 168, 0, 130));
}

TEST_F(TargetSelectionTest, EmptyTableGivesEmptySelectorsAndTargetZero) {
    selection.selectPosition(0);
    selection.setPanelAddress(0, 0);
    selection.rebuildSelectors();
    for (const ListView& view : views) {
        EXPECT_TRUE(view.entries.empty());
        EXPECT_EQ(view.selected, -1);
    }
    EXPECT_EQ(selection.currentTarget(), 0u);
}

TEST_F(TargetSelectionTest, PickingTouchesNoOtherSelectorUntilTheNextRebuild) {
    selection.setPanelAddress(1, makeAddress(127, 0, 0, 2));
    selection.rebuildSelectors();
    selection.selectPosition(1);
    EXPECT_EQ(views[2].selected, 0);
    EXPECT_EQ(selection.currentTarget(), makeAddress(127, 0, 0, 2));
    selection.rebuildSelectors();
    for (const ListView& view : views) {
        EXPECT_EQ(view.selected, 1);
    }
}

TEST_F(TargetSelectionTest, ReadingASelectorBackKeepsTheCurrentTarget) {
    selection.setPanelAddress(1, makeAddress(127, 0, 0, 2));
    selection.rebuildSelectors();
    selection.setSelectorPosition(1);
    EXPECT_EQ(selection.currentTarget(), makeAddress(192, 168, 0, 130));
    selection.rebuildSelectors();
    EXPECT_EQ(selection.currentTarget(), makeAddress(127, 0, 0, 2));
}

TEST_F(TargetSelectionTest, RebuildingOneSelectorLeavesTheOthersAlone) {
    selection.rebuildSelectors();
    selection.setPanelAddress(3, makeAddress(127, 0, 0, 4));
    selection.rebuildSelector(views[3]);
    EXPECT_EQ(views[3].entries.size(), 2u);
    EXPECT_EQ(views[0].entries.size(), 1u);
    EXPECT_EQ(views[3].entries[1], "TRX4(127.0.0.4)");
}

TEST_F(TargetSelectionTest, PositionsOutsideTheTableAreHarmless) {
    selection.rebuildSelectors();
    selection.selectPosition(25);
    selection.selectPosition(-1);
    selection.setSelectorPosition(99);
    selection.setPanelAddress(25, makeAddress(1, 2, 3, 4));
    selection.setPanelAddress(-1, makeAddress(1, 2, 3, 4));
    selection.rebuildSelectors();
    EXPECT_EQ(selection.selectorPosition(), 0);
    EXPECT_EQ(selection.currentTarget(), makeAddress(192, 168, 0, 130));
    EXPECT_EQ(views[0].entries.size(), 1u);
}

}  // namespace
}  // namespace trx
