#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <map>

#include "pagebase/WaitDialog.h"
#include "pagebase/widgets/Ipv4AddressField.h"
#include "pages/rop/CTRX900IPSET.h"
#include "support/PageFixture.h"

namespace trx::test {
namespace {

using namespace std::chrono_literals;
using namespace Qt::Literals::StringLiterals;
using Lines = std::vector<std::string>;

// The simulated panels; nobody serves 127.0.0.9. Each knows the four as TRX1..TRX4.
const std::string kA = "127.0.0.2", kB = "127.0.0.3", kC = "127.0.0.4", kD = "127.0.0.5";
// A row as the panels' list gives it, and as the page starts for TRX1.
const auto listed = [](const std::string& a) { return a + "/255.255.255.0/127.0.0.1/on"; };
const auto ip = [](const std::string& text) { return parseAddress(text).value(); };
// How a panel logs a registration: "panel|command line|block".
const std::string kChange = "|TRX900 ROP LIST SETTING CHANGE\r\n|";

// Counts the paints of the widgets it watches.
struct PaintCounter final : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int paints = 0;
};

// The ROP List page at its start, its TRX1 the simulated panel at 127.0.0.2. Controls are found
// by their accessible names: "REGISTER", "TRX4 IP ADDRESS", ...
class RopPage : public PageFixture<CTRX900IPSET> {
  protected:
    RopPage() : PageFixture({kA, kB, kC, kD}, {500ms, 300ms, 3s}) {}
    void SetUp() override {
        PageFixture::SetUp();
        page->setConnectionCheckPause(400ms);
    }

    template <typename T = Ipv4AddressField>
    T* control(int row, const char* column) const {
        return find<T>(u"TRX%1 "_s.arg(row) + QLatin1String(column));
    }
    void push(const QString& button) { find<QPushButton>(button)->click(); }
    // Types a row's address and mask octet by octet; missing octets are left blank.
    void setRow(int row, const std::string& address, const std::string& mask = "255.255.255.0") {
        for (const auto& [col, text] : {std::pair{"IP ADDRESS", address}, {"SUBNET MASK", mask}}) {
            control(row, col)->clear();
            const QStringList octets = QString::fromStdString(text).split(u'.');
            for (int i = 0; i < 4; ++i) {
                QTest::keyClicks(control(row, col)->octetEdit(i), octets.value(i));
            }
        }
    }
    // Each row as "address/mask/gateway/on": "-" for a blank field, then whether CONNECTION CHECK
    // is enabled. Rows not given must be blank.
    void expectRows(const std::map<int, std::string>& shown) const {
        for (int n = 1; n <= kRopRowCount; ++n) {
            std::string row;
            for (const char* column : {"IP ADDRESS", "SUBNET MASK", "GATEWAY"}) {
                const Ipv4AddressField* field = control(n, column);
                row += (field->isBlank() ? "-" : addressText(field->address())) + "/";
            }
            row += control<QPushButton>(n, "CONNECTION CHECK")->isEnabled() ? "on" : "off";
            EXPECT_EQ(row, shown.contains(n) ? shown.at(n) : "-/-/-/off") << "row " << n;
        }
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
};

TEST_F(RopPage, FormStartsFromTheRegisteredPanelsFitsAndFollowsTheOperator) {
    const QWidget* last = control<QWidget>(25, "CONNECTION CHECK");
    EXPECT_EQ(last->visibleRegion(), QRegion(last->rect()));  // all rows fit, none scrolled away

    setRow(4, "10");  // typing an address enables its check; TRX1 is as registered
    expectRows({{1, listed(kA)}, {4, "10.0.0.0/255.255.255.0/-/on"}});
    QTest::keyClicks(control(4, "IP ADDRESS")->octetEdit(0), u"\b\b"_s);
    expectRows({{1, listed(kA)}, {4, "-/255.255.255.0/-/off"}});
    control<QComboBox>(1, "SWAP ROP No")->setCurrentText(u"TRX2"_s);  // into an empty row
    control<QComboBox>(3, "SWAP ROP No")->setCurrentIndex(0);  // the blank entry changes nothing
    expectRows({{2, listed(kA)}});  // and row 4, with a mask but no address, is cleared
}

// A reply that sums to 0 but is too short is no list: stale bytes must not become panel
// addresses. A whole list from a panel that never closes broke off all the same. Both are told,
// and the rows show the last accepted list again.
TEST_F(RopPage, ListReadFillsRowsAndARefusedOneRedrawsTheLastAccepted) {
    setRow(7, kC);
    push(u"NETWORK SEARCH"_s);
    const std::map<int, std::string> read{
        {1, listed(kA)}, {2, listed(kB)}, {3, listed(kC)}, {4, listed(kD)}};
    expectRows(read);
    EXPECT_EQ(logged(), Lines{kA + "|TRX900 ROP LIST SETTING REQ\r\n|"});
    const RopListBlock accepted = page->ropTable().block;
    for (sim::Fault fault : {sim::Fault::ShortReply, sim::Fault::HoldOpen}) {
        setRow(1, "127.0.0.6");
        sim.setFault(kA, fault, sim::FaultOptions{100});
        push(u"NETWORK SEARCH"_s);
        EXPECT_EQ(messages.told(), Told{"Error: Command Error."}) << static_cast<int>(fault);
        EXPECT_EQ(page->ropTable().block, accepted);
        expectRows(read);
    }
}

TEST_F(RopPage, RegisterNumbersUsablePanelsInRowOrderAndNamesThoseThatFail) {
    TargetSelectorBox otherPage(selection);  // another tab's selector, still empty
    // Only rows 2 and 5: TRX1's panel moves to row 2.
    control<QComboBox>(1, "SWAP ROP No")->setCurrentText(u"TRX2"_s);
    setRow(5, kB);
    // The exchanges wait in a local event loop, where timers run and windows repaint.
    bool shown = false;
    QTimer::singleShot(0, page.get(),
                       [&] { shown = page->findChild<Wait_Dialog*>()->isVisible(); });
    PaintCounter waitWindow;
    page->findChild<Wait_Dialog*>()->installEventFilter(&waitWindow);
    push(u"REGISTER"_s);
    EXPECT_TRUE(shown && waitWindow.paints > 0);
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
    push(u"REGISTER"_s);
    EXPECT_FALSE(page->findChild<Wait_Dialog*>()->isVisible());
    EXPECT_EQ(messages.told(), Told{"Warning: Not registered:\r\n TRX2/ TRX3/ TRX5"});
    EXPECT_EQ(logged(), (Lines{kA + kChange, kC + kChange + "\x03\xFD", kB + kChange}));

    setRow(7, "127.0.0.255");
    setRow(12, "127.0.0");  // the blank last octet reads as 0
    setRow(3, "127.0.0.6");
    push(u"REGISTER"_s);
    EXPECT_EQ(messages.told(), Told{"Warning: Unavailable network setting!\r\n TRX7/ TRX12"});
    EXPECT_EQ(logged(), Lines{});
    EXPECT_EQ(selection.panelAddressTable()[2], ip("127.0.0.6"));
    EXPECT_EQ(page->targetSelector()->findText(u"TRX3(127.0.0.6)"_s), -1);  // not rebuilt
}

TEST_F(RopPage, CheckHoldsItsConnectionThroughThePauseAndNothingReachesAMissingPanel) {
    QTcpServer panel;  // our own, to see the connection stay open
    ASSERT_TRUE(panel.listen(QHostAddress(u"127.0.0.6"_s), sim.port()));
    setRow(2, "127.0.0.6");
    std::string midway;  // what the panel received, while the connection is still open
    QTimer::singleShot(300ms, page.get(), [&] {
        QTcpSocket* peer = panel.nextPendingConnection();
        midway = peer && peer->state() == peer->ConnectedState ? peer->readAll().toStdString() : "";
    });
    push(u"TRX2 CONNECTION CHECK"_s);
    EXPECT_EQ(midway, "TRX900 ROP LIST SETTING CHECK\r\n");
    EXPECT_TRUE(messages.told().empty() && logged().empty());

    panel.close();  // now nobody answers at 127.0.0.6
    const auto start = std::chrono::steady_clock::now();
    push(u"TRX2 CONNECTION CHECK"_s);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    EXPECT_EQ(messages.told(), Told{"Error: Not connected."});

    selection.setPanelAddress(0, 0);  // no target: nothing is dialled and nothing redrawn
    selection.rebuildSelectors();
    push(u"NETWORK SEARCH"_s);
    EXPECT_EQ(messages.told(), Told{"Error: No Connect!!"});
    expectRows({{1, listed(kA)}, {2, "127.0.0.6/255.255.255.0/-/on"}});
    EXPECT_EQ(logged(), Lines{});
}

}  // namespace
}  // namespace trx::test
