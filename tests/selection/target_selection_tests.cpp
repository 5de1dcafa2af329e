#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/TargetSelection.h"

namespace trx {
namespace {

// A selector as a page shows it: "TRX1(192.168.0.130) TRX5(10.0.0.5) @1" lists the entries,
// then the selected position.
class ListView final : public SelectorView {
  public:
    void clearEntries() override {
        entries.clear();
        selected = -1;
    }
    void addEntry(const std::string& text) override { entries += text + ' '; }
    void selectEntry(int position) override { selected = position; }
    std::string shown() const { return entries + '@' + std::to_string(selected); }

    std::string entries;
    int selected = -1;
};

class TargetSelectionTest : public ::testing::Test {
  protected:
    TargetSelectionTest() {
        for (ListView& view : views) {
            selection.attachSelector(&view);
        }
    }
    // Every selector shows the same, and the target is the address given.
    void expectShown(const std::string& shown, PanelAddress target) const {
        for (const ListView& view : views) {
            EXPECT_EQ(view.shown(), shown);
        }
        EXPECT_EQ(selection.currentTarget(), target);
    }

    TargetSelection selection;
    ListView views[4];
};

// Positions and panels outside the table change nothing; an empty table leaves the selectors
// empty and the target 0. (How a pick, a page's read-back and a one-selector rebuild move the
// target is the main window's, the form exchange's and the ROP List page's to show.)
TEST_F(TargetSelectionTest, OutsideTheTableNothingAndAnEmptyTableNoTarget) {
    selection.rebuildSelectors();
    expectShown("TRX1(192.168.0.130) @0", makeAddress(192, 168, 0, 130));
    selection.selectPosition(25);
    selection.selectPosition(-1);
    selection.setSelectorPosition(99);
    selection.setPanelAddress(25, makeAddress(1, 2, 3, 4));
    selection.setPanelAddress(-1, makeAddress(1, 2, 3, 4));
    selection.rebuildSelectors();
    EXPECT_EQ(selection.selectorPosition(), 0);
    expectShown("TRX1(192.168.0.130) @0", makeAddress(192, 168, 0, 130));
    selection.setPanelAddress(0, 0);
    selection.rebuildSelectors();
    expectShown("@-1", 0);
}

// The selection follows its panel when entries before it come and go, and falls back to the
// first entry when its panel is cleared.
TEST_F(TargetSelectionTest, SelectionFollowsItsPanelOrFallsBackToTheFirstEntry) {
    selection.setPanelAddress(4, makeAddress(10, 0, 0, 5));
    selection.setPanelAddress(9, makeAddress(10, 0, 0, 10));
    selection.rebuildSelectors();
    selection.selectPosition(1);  // TRX5
    EXPECT_EQ(selection.currentTarget(), makeAddress(10, 0, 0, 5));
    selection.setPanelAddress(0, 0);
    selection.rebuildSelectors();
    expectShown("TRX5(10.0.0.5) TRX10(10.0.0.10) @0", makeAddress(10, 0, 0, 5));
    EXPECT_EQ(selection.selectorMap()[1], 9);
    selection.selectPosition(1);  // TRX10
    selection.setPanelAddress(9, 0);
    selection.rebuildSelectors();
    expectShown("TRX5(10.0.0.5) @0", makeAddress(10, 0, 0, 5));
}

// A panel picked from the window's list shows in every selector at once, also when the table
// changed since the last rebuild; a panel without an address is not taken.
TEST_F(TargetSelectionTest, APanelPickedFromTheListShowsInEverySelectorAtOnce) {
    selection.setPanelAddress(4, makeAddress(10, 0, 0, 5));
    selection.rebuildSelectors();
    selection.setPanelAddress(9, makeAddress(10, 0, 0, 10));
    selection.selectPanel(9);
    expectShown("TRX1(192.168.0.130) TRX5(10.0.0.5) TRX10(10.0.0.10) @2",
                makeAddress(10, 0, 0, 10));
    for (const int unknown : {2, 25, -1}) {
        selection.selectPanel(unknown);
    }
    expectShown("TRX1(192.168.0.130) TRX5(10.0.0.5) TRX10(10.0.0.10) @2",
                makeAddress(10, 0, 0, 10));
}

}  // namespace
}  // namespace trx
