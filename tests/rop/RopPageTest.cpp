#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "pagebase/OperationGuard.h"
#include "pagebase/WaitDialog.h"
#include "pagebase/widgets/Ipv4AddressField.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "pages/rop/CTRX900IPSET.h"
#include "panel-sim/PanelSimulator.h"
#include "support/FakeMessageBoxes.h"

namespace trx {
namespace {

using namespace std::chrono_literals;
using namespace Qt::Literals::StringLiterals;
using Lines = std::vector<std::string>;

// The simulated panels; nobody serves 127.0.0.9. Each knows the four as TRX1..TRX4.
const std::string kA = "127.0.0.2", kB = "127.0.0.3", kC = "127.0.0.4", kD = "127.0.0.5";
// A row as the panels' list gives it, and as the page starts for TRX1.
const auto listed = [](const std::string& a) { return a + "/255.255.255.0/127.0.0.1/on"; };

// How a panel logs an exchange: "panel|command line|block".
const std::string kChange = "|TRX900 ROP LIST SETTING CHANGE\r\n|";
const auto ip = [](const std::string& text) { return parseAddress(text).value(); };

// The ROP List page at its start, its TRX1 the simulated panel at 127.0.0.2.
class RopPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start({kA, kB, kC, kD}));
        selection.setPanelAddress(0, ip(kA));
        page = std::make_unique<CTRX900IPSET>(
            PageContext{selection, boxes, guard, ExchangeSettings{sim.port(), {500ms, 300ms, 3s}}});
        page->setConnectionCheckPause(400ms);
        selection.rebuildSelectors();
    }

    // Controls are found by their accessible names: "REGISTER", "TRX4 IP ADDRESS", ...
    template <typename T = Ipv4AddressField>
    T* control(const char* name, int row = 0) const {
        const QString full = (row ? u"TRX%1 "_s.arg(row) : QString()) + QLatin1String(name);
        const auto all = page->findChildren<T*>();
        const auto it = std::ranges::find(all, full, &QWidget::accessibleName);
        return it != all.end() ? *it : throw std::out_of_range(full.toStdString());
    }
    void click(const char* name, int row = 0) { control<QPushButton>(name, row)->click(); }
    // Types a row's address and mask octet by octet; missing octets are left blank.
    void setRow(int row, const std::string& address, const std::string& mask = "255.255.255.0") {
        for (const auto& [col, text] : {std::pair{"IP ADDRESS", address}, {"SUBNET MASK", mask}}) {
            control(col, row)->clear();
            const QStringList octets = QString::fromStdString(text).split(u'.');
            for (int i = 0; i < 4; ++i) {
                QTest::keyClicks(control(col, row)->octetEdit(i), octets.value(i));
            }
        }
    }

    // Each row as "address/mask/gateway/on": "-" for a blank field, then whether CONNECTION CHECK
    // is enabled. Rows not given must be blank.
    void expectRows(const std::map<int, std::string>& shown) const {
        for (int n = 1; n <= kRopRowCount; ++n) {
            std::string row;
            for (const char* column : {"IP ADDRESS", "SUBNET MASK", "GATEWAY"}) {
                const Ipv4AddressField* field = control(column, n);
                row += (field->isBlank() ? "-" : addressText(field->address())) + "/";
            }
            row += control<QPushButton>("CONNECTION CHECK", n)->isEnabled() ? "on" : "off";
            EXPECT_EQ(row, shown.contains(n) ? shown.at(n) : "-/-/-/off") << "row " << n;
        }
    }

    void expectBox(const std::string& text, MessageBoxes::Icon icon) {
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(std::pair(boxes.shown()[0].text.toStdString(), boxes.shown()[0].icon),
                  std::pair(text, icon));
        boxes.clear();
    }
    // What the panels logged since the last call; a panel logs an exchange before it ends.
    Lines logged() {
        Lines lines;
        for (const sim::ExchangeRecord& r : sim.log()) {
            lines.push_back(r.panel + '|' + r.command + '|' +
                            std::string(r.block.begin(), r.block.end()));
        }
        sim.clearLog();
        return lines;
    }

    sim::PanelSimulator sim;
    TargetSelection selection;
    test::FakeMessageBoxes boxes;
    OperationGuard guard;
    std::unique_ptr<CTRX900IPSET> page;
};

TEST_F(RopPageTest, FormStartsFromTheRegisteredPanelsFitsAndFollowsTheOperator) {
    page->show();
    const QWidget* last = control<QWidget>("CONNECTION CHECK", 25);
    EXPECT_EQ(last->visibleRegion(), QRegion(last->rect()));  // all rows fit, none scrolled away

    setRow(4, "10");  // typing an address enables its check; TRX1 is as registered
    expectRows({{1, listed(kA)}, {4, "10.0.0.0/255.255.255.0/-/on"}});
    QTest::keyClicks(control("IP ADDRESS", 4)->octetEdit(0), u"\b\b"_s);
    expectRows({{1, listed(kA)}, {4, "-/255.255.255.0/-/off"}});
    control<QComboBox>("SWAP ROP No", 1)->setCurrentText(u"TRX2"_s);  // into an empty row
    control<QComboBox>("SWAP ROP No", 3)->setCurrentIndex(0);  // the blank entry changes nothing
    expectRows({{2, listed(kA)}});  // and row 4, with a mask but no address, is cleared
}

TEST_F(RopPageTest, ListReadFillsRowsAndARefusedOneRedrawsTheLastAccepted) {
    setRow(7, kC);
    click("NETWORK SEARCH");
    const std::map<int, std::string> read{
        {1, listed(kA)}, {2, listed(kB)}, {3, listed(kC)}, {4, listed(kD)}};
    expectRows(read);
    EXPECT_EQ(logged(), Lines{kA + "|TRX900 ROP LIST SETTING REQ\r\n|"});
    const RopListBlock accepted = page->ropTable().block;

    // A short reply sums to 0 but is no list: stale bytes must not become panel addresses. A
    // whole list from a panel that never closes broke off all the same, and is told.
    for (sim::Fault fault : {sim::Fault::BadChecksum, sim::Fault::EmptyReply,
                             sim::Fault::ShortReply, sim::Fault::Silent, sim::Fault::HoldOpen}) {
        SCOPED_TRACE(static_cast<int>(fault));
        setRow(1, "127.0.0.6");
        sim.setFault(kA, fault, sim::FaultOptions{100});
        click("NETWORK SEARCH");
        expectBox("Command Error.", MessageBoxes::Icon::Error);
        EXPECT_EQ(page->ropTable().block, accepted);
        expectRows(read);
    }
}

TEST_F(RopPageTest, RegisterNumbersUsablePanelsInRowOrderAndNamesThoseThatFail) {
    TargetSelectorBox otherPage(selection);  // another tab's selector, still empty
    // Only rows 2 and 5: TRX1's panel moves to row 2.
    control<QComboBox>("SWAP ROP No", 1)->setCurrentText(u"TRX2"_s);
    setRow(5, kB);
    bool shown = false;  // the exchanges wait in a local event loop, where timers run
    QTimer::singleShot(0, page.get(),
                       [&] { shown = page->findChild<Wait_Dialog*>()->isVisible(); });
    click("REGISTER");
    EXPECT_TRUE(shown);
    EXPECT_EQ(logged(), (Lines{kA + kChange + "\x01\xFF", kB + kChange + "\x04\xFC"}));
    EXPECT_EQ(selection.panelAddressTable(),
              (std::array<PanelAddress, 25>{0, ip(kA), 0, 0, ip(kB)}));
    EXPECT_EQ(page->targetSelector()->itemText(1), u"TRX5(127.0.0.3)"_s);
    EXPECT_EQ(otherPage.count(), 0);
    selection.rebuildSelectors();  // what the main window does at a tab change
    EXPECT_EQ(otherPage.itemText(1), u"TRX5(127.0.0.3)"_s);

    setRow(3, "127.0.0.9");  // refused
    setRow(4, kC);
    sim.setFault(kA, sim::Fault::AcknowledgeWithoutTrailer);
    sim.setFault(kB, sim::Fault::NotAcknowledge);
    click("REGISTER");
    EXPECT_FALSE(page->findChild<Wait_Dialog*>()->isVisible());
    expectBox("Not registered:\r\n TRX2/ TRX3/ TRX5", MessageBoxes::Icon::Warning);
    EXPECT_EQ(logged(), (Lines{kA + kChange, kC + kChange + "\x03\xFD", kB + kChange}));

    setRow(7, "127.0.0.255");
    setRow(12, "127.0.0");  // the blank last octet reads as 0
    setRow(3, "127.0.0.6");
    click("REGISTER");
    expectBox("Unavailable network setting!\r\n TRX7/ TRX12", MessageBoxes::Icon::Warning);
    EXPECT_EQ(logged(), Lines{});
    EXPECT_EQ(selection.panelAddressTable()[2], ip("127.0.0.6"));
    EXPECT_EQ(page->targetSelector()->findText(u"TRX3(127.0.0.6)"_s), -1);  // not rebuilt
}

TEST_F(RopPageTest, CheckHoldsItsConnectionThroughThePauseAndNothingReachesAMissingPanel) {
    QTcpServer panel;  // our own, to see the connection stay open
    ASSERT_TRUE(panel.listen(QHostAddress(u"127.0.0.6"_s), sim.port()));
    setRow(2, "127.0.0.6");
    std::string midway;  // what the panel received, while the connection is still open
    QTimer::singleShot(300ms, page.get(), [&] {
        QTcpSocket* peer = panel.nextPendingConnection();
        midway = peer && peer->state() == peer->ConnectedState ? peer->readAll().toStdString() : "";
        click("REGISTER");  // no second operation starts during the pause
        click("NETWORK SEARCH");
    });
    click("CONNECTION CHECK", 2);
    EXPECT_EQ(midway, "TRX900 ROP LIST SETTING CHECK\r\n");
    EXPECT_TRUE(boxes.shown().empty() && logged().empty());

    panel.close();  // now nobody answers at 127.0.0.6
    const auto start = std::chrono::steady_clock::now();
    click("CONNECTION CHECK", 2);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    expectBox("Not connected.", MessageBoxes::Icon::Error);

    selection.setPanelAddress(0, 0);  // no target: nothing is dialled and nothing redrawn
    selection.rebuildSelectors();
    click("NETWORK SEARCH");
    expectBox("No Connect!!", MessageBoxes::Icon::Error);
    expectRows({{1, listed(kA)}, {2, "127.0.0.6/255.255.255.0/-/on"}});
    EXPECT_EQ(logged(), Lines{});
}

}  // namespace
}  // namespace trx
