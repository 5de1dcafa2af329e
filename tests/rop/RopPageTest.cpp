#include <QComboBox>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/OperationGuard.h"
#include "app/TargetSelection.h"
#include "app/WaitDialog.h"
#include "app/widgets/Ipv4AddressField.h"
#include "app/widgets/TargetSelectorBox.h"
#include "panel-sim/PanelSimulator.h"
#include "protocol/Checksum.h"
#include "protocol/Commands.h"
#include "rop/CTRX900IPSET.h"
#include "support/FakeMessageBoxes.h"

namespace trx {
namespace {

using namespace std::chrono_literals;
using test::FakeMessageBoxes;
using Bytes = std::vector<std::uint8_t>;

constexpr PanelAddress ip(int a, int b, int c, int d) {
    return makeAddress(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
                       static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d));
}

// Every panel the tests talk to is on loopback; nobody serves 127.0.0.9.
constexpr PanelAddress kPanelA = ip(127, 0, 0, 2);
constexpr PanelAddress kPanelB = ip(127, 0, 0, 3);
constexpr PanelAddress kPanelC = ip(127, 0, 0, 4);
constexpr PanelAddress kPanelD = ip(127, 0, 0, 5);
constexpr PanelAddress kNobody = ip(127, 0, 0, 9);
constexpr PanelAddress kMask = ip(255, 255, 255, 0);
const std::string kA = "127.0.0.2";
const std::string kB = "127.0.0.3";
const std::string kC = "127.0.0.4";
const std::string kD = "127.0.0.5";

constexpr ExchangeLimits kShortLimits{500ms, 300ms, 3000ms};

std::string commandText(std::string_view line) {
    return std::string(line);
}

// What an address field shows, blank octets as empty: "192.168.0.130", "..." when cleared.
QString shown(const Ipv4AddressField* field) {
    QStringList octets;
    for (int i = 0; i < 4; ++i) {
        octets << field->octetEdit(i)->text();
    }
    return octets.join(QLatin1Char('.'));
}

// A list block naming rows as given; every other row empty.
RopListBlock listBlock(const std::vector<std::pair<int, RopRow>>& rows) {
    RopListBlock block{};
    for (std::size_t i = 0; i < 150; ++i) {
        block[i] = static_cast<std::uint8_t>(i);  // the panel's own bytes, not shown
    }
    for (const auto& [row, value] : rows) {
        const auto i = static_cast<std::size_t>(row - 1);
        writeAddress(std::span<std::uint8_t, 4>{block.data() + 150 + 6 * i, 4}, value.address);
        writeAddress(std::span<std::uint8_t, 4>{block.data() + 300 + 4 * i, 4}, value.subnetMask);
        writeAddress(std::span<std::uint8_t, 4>{block.data() + 400 + 4 * i, 4}, value.gateway);
    }
    sealChecksum(block, kRopListChecksumIndex);
    return block;
}

// Notes whether a widget was ever shown, also when it was hidden again before the event loop
// ran.
class VisibilitySampler final : public QObject {
  public:
    explicit VisibilitySampler(QWidget* widget) : m_widget(widget) {
        widget->installEventFilter(this);
    }
    ~VisibilitySampler() override { m_widget->removeEventFilter(this); }
    bool seen() const { return m_seen; }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        m_seen = m_seen || event->type() == QEvent::Show;
        return false;
    }

  private:
    QWidget* m_widget;
    bool m_seen = false;
};

QString rowText(const QWidget& page, int row) {
    QStringList fields;
    for (const char* part : {"AddressEdit", "SubnetMaskEdit", "GatewayEdit"}) {
        fields << shown(page.findChild<Ipv4AddressField*>(
            QStringLiteral("trx%1%2").arg(row).arg(QLatin1String(part))));
    }
    const auto* check =
        page.findChild<QPushButton*>(QStringLiteral("trx%1ConnectionCheckButton").arg(row));
    return fields.join(QLatin1Char('/')) +
           (check->isEnabled() ? QStringLiteral(" on") : QStringLiteral(" off"));
}

const QString kBlankRow = QStringLiteral(".../.../... off");

class RopPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_sim.start({kA, kB, kC, kD}));
        // Row 1 and the target are on loopback before the page takes its first rows.
        m_selection.setPanelAddress(0, kPanelA);
        m_selection.rebuildSelectors();
        m_page = std::make_unique<CTRX900IPSET>(context());
        m_page->setConnectionCheckPause(50ms);
        m_selection.rebuildSelectors();
    }

    PageContext context() {
        return {m_selection, m_boxes, m_guard, ExchangeSettings{m_sim.port(), kShortLimits}};
    }

    template <typename T = Ipv4AddressField>
    T* child(int row, const char* partAndKind) const {
        return m_page->findChild<T*>(
            QStringLiteral("trx%1%2").arg(row).arg(QLatin1String(partAndKind)));
    }
    QComboBox* swapList(int row) const { return child<QComboBox>(row, "SwapRopNoCombo"); }
    QPushButton* checkButton(int row) const {
        return child<QPushButton>(row, "ConnectionCheckButton");
    }
    QPushButton* button(const char* name) const {
        return m_page->findChild<QPushButton*>(QLatin1String(name));
    }
    Wait_Dialog* waitDialog() const { return m_page->findChild<Wait_Dialog*>(); }

    // Puts a row on the page as the operator would leave it; a 0 address blanks the row.
    void setRow(int row, PanelAddress address, PanelAddress mask = kMask) {
        for (const char* part : {"AddressEdit", "SubnetMaskEdit", "GatewayEdit"}) {
            child(row, part)->clear();
        }
        if (address != 0) {
            child(row, "AddressEdit")->setAddress(address);
            child(row, "SubnetMaskEdit")->setAddress(mask);
            child(row, "GatewayEdit")->setAddress((address & 0xFFFFFF00u) | 1u);
        }
    }

    // A row as the operator sees it: "address/mask/gateway on|off" with the connection check's
    // enabling last; blank fields read "...".
    QString row(int n) const { return rowText(*m_page, n); }

    void click(QPushButton* target) { QTest::mouseClick(target, Qt::LeftButton); }

    // Waits until the panels have logged the given number of exchanges.
    bool panelsLogged(std::size_t count) {
        return QTest::qWaitFor([&] { return m_sim.log().size() >= count; }, 3000);
    }

    // Proves that nothing reached any panel: one exchange of our own goes out after the page's
    // operation, and once it has been logged it must be the only entry.
    void expectNothingSent() {
        {
            PanelExchange probe(m_sim.port(), kShortLimits);
            probe.request(kPanelD, command::kSetDataRequest);
        }
        ASSERT_TRUE(panelsLogged(1));
        const auto log = m_sim.log();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].panel, kD);
        EXPECT_EQ(log[0].command, commandText(command::kSetDataRequest));
    }

    sim::PanelSimulator m_sim;
    TargetSelection m_selection;
    FakeMessageBoxes m_boxes;
    OperationGuard m_guard;
    std::unique_ptr<CTRX900IPSET> m_page;
};

// ---- The form ----

TEST(RopPageStartTest, ShowsRegisteredPanelAndBlanksTheRest) {
    TargetSelection selection;  // TRX1 at 192.168.0.130, as at start; nothing is dialled here
    FakeMessageBoxes boxes;
    OperationGuard guard;
    CTRX900IPSET page({selection, boxes, guard, ExchangeSettings{}});
    selection.rebuildSelectors();

    EXPECT_EQ(rowText(page, 1), QStringLiteral("192.168.0.130/255.255.255.0/192.168.0.1 on"));
    for (int n = 2; n <= kRopRowCount; ++n) {
        EXPECT_EQ(rowText(page, n), kBlankRow) << "row " << n;
    }
    EXPECT_EQ(page.targetSelector()->currentText(), QStringLiteral("TRX1(192.168.0.130)"));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(RopPageTest, EveryRowControlIsNamedForPeopleAndTests) {
    for (int n = 1; n <= kRopRowCount; ++n) {
        const QString label = QStringLiteral("TRX%1 ").arg(n);
        EXPECT_EQ(child(n, "AddressEdit")->accessibleName(), label + QStringLiteral("IP ADDRESS"));
        EXPECT_EQ(child(n, "SubnetMaskEdit")->accessibleName(),
                  label + QStringLiteral("SUBNET MASK"));
        EXPECT_EQ(child(n, "GatewayEdit")->accessibleName(), label + QStringLiteral("GATEWAY"));
        EXPECT_EQ(swapList(n)->accessibleName(), label + QStringLiteral("SWAP ROP No"));
        EXPECT_EQ(checkButton(n)->accessibleName(), label + QStringLiteral("CONNECTION CHECK"));
        EXPECT_EQ(child<QLabel>(n, "RopNoLabel")->text(), label.trimmed());
    }
    EXPECT_EQ(m_page->targetSelector()->accessibleName(), QStringLiteral("Master ROP Number"));
}

TEST_F(RopPageTest, AllRowsFitThePageWithoutScrolling) {
    m_page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get()));
    EXPECT_EQ(m_page->size(), QSize(PanelPage::kPageWidth, PanelPage::kPageHeight));
    for (QWidget* last : std::initializer_list<QWidget*>{checkButton(25), child(25, "AddressEdit"),
                                                         button("registerButton")}) {
        const QRect inPage(last->mapTo(m_page.get(), QPoint(0, 0)), last->size());
        EXPECT_TRUE(m_page->rect().contains(inPage)) << last->objectName().toStdString();
    }
    EXPECT_FALSE(m_page->findChild<QScrollArea*>()->verticalScrollBar()->isVisible());
}

TEST_F(RopPageTest, SwapListOffersEveryOtherRow) {
    QStringList expected{QStringLiteral(" ")};
    for (int n = 1; n <= kRopRowCount; ++n) {
        if (n != 5) {
            expected << QStringLiteral("TRX%1").arg(n);
        }
    }
    QStringList entries;
    for (int i = 0; i < swapList(5)->count(); ++i) {
        entries << swapList(5)->itemText(i);
    }
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(swapList(5)->currentIndex(), -1);
}

TEST_F(RopPageTest, SwapIntoEmptyRowMovesTheWholeRow) {
    const QString rowOne = row(1);
    swapList(1)->setCurrentIndex(swapList(1)->findText(QStringLiteral("TRX2")));

    EXPECT_EQ(row(1), kBlankRow);
    EXPECT_EQ(row(2), rowOne);
    EXPECT_EQ(swapList(1)->currentText(), QStringLiteral(" "));
    EXPECT_EQ(swapList(2)->currentIndex(), -1);

    swapList(3)->setCurrentIndex(0);  // the blank entry changes nothing
    EXPECT_EQ(row(2), rowOne);
}

TEST_F(RopPageTest, TypingAnAddressEnablesItsConnectionCheck) {
    QLineEdit* first = child(4, "AddressEdit")->octetEdit(0);
    QTest::keyClicks(first, QStringLiteral("10"));
    EXPECT_TRUE(checkButton(4)->isEnabled());
    EXPECT_EQ(m_page->ropTable().address[3], ip(10, 0, 0, 0));

    QTest::keyClick(first, Qt::Key_Backspace);
    QTest::keyClick(first, Qt::Key_Backspace);
    EXPECT_FALSE(checkButton(4)->isEnabled());
}

// ---- List read ----

const RopListBlock kTwoPanels =
    listBlock({{1, {kPanelA, kMask, ip(127, 0, 0, 1)}},
               // an empty row whose mask and gateway are set is still shown blank
               {2, {0, kMask, ip(127, 0, 0, 1)}},
               {3, {kPanelB, ip(255, 255, 0, 0), ip(127, 0, 0, 254)}}});
const QString kRowOneRead = QStringLiteral("127.0.0.2/255.255.255.0/127.0.0.1 on");
const QString kRowThreeRead = QStringLiteral("127.0.0.3/255.255.0.0/127.0.0.254 on");

void serveList(sim::PanelSimulator& sim, const std::string& panel, const RopListBlock& block) {
    sim::PanelState state = sim.state(panel);
    state.ropList = block;
    sim.setState(panel, state);
}

TEST_F(RopPageTest, ListReadFillsRowsAndBlanksEmptyOnes) {
    serveList(m_sim, kA, kTwoPanels);
    setRow(1, kPanelD);
    setRow(7, kPanelC);

    click(button("networkSearchButton"));

    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_EQ(row(1), kRowOneRead);
    EXPECT_EQ(row(2), kBlankRow);
    EXPECT_EQ(row(3), kRowThreeRead);
    for (int n = 4; n <= kRopRowCount; ++n) {
        EXPECT_EQ(row(n), kBlankRow) << "row " << n;
    }
    ASSERT_TRUE(panelsLogged(1));
    ASSERT_EQ(m_sim.log().size(), 1u);
    EXPECT_EQ(m_sim.log()[0].panel, kA);
    EXPECT_EQ(m_sim.log()[0].command, commandText(command::kRopListRequest));
    // The rows read reach the panels only through REGISTER.
    EXPECT_EQ(m_selection.panelAddressTable()[2], 0u);
}

struct RefusedRead {
    const char* name;
    sim::Fault fault;
    friend void PrintTo(const RefusedRead& c, std::ostream* os) { *os << c.name; }
};

class RefusedListReadTest : public RopPageTest,
                            public ::testing::WithParamInterface<RefusedRead> {};

TEST_P(RefusedListReadTest, SaysCommandErrorAndRedrawsFromLastAcceptedList) {
    serveList(m_sim, kA, kTwoPanels);
    click(button("networkSearchButton"));
    ASSERT_TRUE(m_boxes.shown().empty());

    // Edits made since the accepted read are replaced by the redraw.
    setRow(1, kPanelD);
    setRow(9, kPanelC);
    serveList(m_sim, kA, listBlock({{5, {kPanelC, kMask, kPanelC}}}));
    m_sim.setFault(kA, GetParam().fault, sim::FaultOptions{100});

    click(button("networkSearchButton"));

    ASSERT_EQ(m_boxes.texts(), std::vector<QString>{QStringLiteral("Command Error.")});
    EXPECT_EQ(m_boxes.shown()[0].icon, MessageBoxes::Icon::Error);
    EXPECT_EQ(m_page->ropTable().block, kTwoPanels);
    EXPECT_EQ(row(1), kRowOneRead);
    EXPECT_EQ(row(3), kRowThreeRead);
    EXPECT_EQ(row(5), kBlankRow);
    EXPECT_EQ(row(9), kBlankRow);
}

INSTANTIATE_TEST_SUITE_P(Faults, RefusedListReadTest,
                         ::testing::Values(RefusedRead{"BadChecksum", sim::Fault::BadChecksum},
                                           RefusedRead{"EmptyReply", sim::Fault::EmptyReply},
                                           // 100 bytes that sum to 0: too short to be a list
                                           RefusedRead{"ShortReply", sim::Fault::ShortReply},
                                           // nothing before the wait for data ran out
                                           RefusedRead{"Silent", sim::Fault::Silent}),
                         [](const ::testing::TestParamInfo<RefusedRead>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(RopPageTest, UnreachableMasterLeavesThePageUntouched) {
    m_sim.setFault(kA, sim::Fault::RefuseConnection);
    setRow(6, kPanelC);
    const QString rowSix = row(6);

    click(button("networkSearchButton"));

    ASSERT_EQ(m_boxes.texts(), std::vector<QString>{QStringLiteral("No Connect!!")});
    EXPECT_EQ(m_boxes.shown()[0].icon, MessageBoxes::Icon::Error);
    EXPECT_EQ(row(6), rowSix);
}

TEST_F(RopPageTest, ReadWithoutAnyRegisteredPanelSaysNoConnect) {
    m_selection.setPanelAddress(0, 0);
    m_selection.rebuildSelectors();

    click(button("networkSearchButton"));

    EXPECT_EQ(m_boxes.texts(), std::vector<QString>{QStringLiteral("No Connect!!")});
    expectNothingSent();
}

// ---- Register ----

TEST_F(RopPageTest, RegisterContactsEachPanelInRowOrderWithItsNumber) {
    setRow(1, 0);
    setRow(5, kPanelB);
    setRow(2, kPanelA);
    VisibilitySampler wait(waitDialog());

    click(button("registerButton"));

    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_TRUE(wait.seen());
    EXPECT_FALSE(waitDialog()->isVisible());
    ASSERT_TRUE(panelsLogged(2));
    const auto log = m_sim.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].panel, kA);
    EXPECT_EQ(log[0].command, commandText(command::kRopListChange));
    EXPECT_EQ(log[0].block, (Bytes{0x01, 0xFF}));
    EXPECT_EQ(log[1].panel, kB);
    EXPECT_EQ(log[1].command, commandText(command::kRopListChange));
    EXPECT_EQ(log[1].block, (Bytes{0x04, 0xFC}));

    std::array<PanelAddress, kRopRowCount> expected{};
    expected[1] = kPanelA;
    expected[4] = kPanelB;
    EXPECT_EQ(m_selection.panelAddressTable(), expected);
}

TEST_F(RopPageTest, RegisterRebuildsOnlyThisPagesSelectorUntilTheNextTabChange) {
    TargetSelectorBox otherPage(m_selection);
    m_selection.rebuildSelectors();
    setRow(3, kPanelB);

    click(button("registerButton"));
    ASSERT_TRUE(m_boxes.shown().empty());

    auto* selector = m_page->targetSelector();
    ASSERT_EQ(selector->count(), 2);
    EXPECT_EQ(selector->itemText(1), QStringLiteral("TRX3(127.0.0.3)"));
    EXPECT_EQ(selector->currentIndex(), 0);
    EXPECT_EQ(m_selection.currentTarget(), kPanelA);
    EXPECT_EQ(otherPage.count(), 1);

    m_selection.rebuildSelectors();  // what the main window does at a tab change
    ASSERT_EQ(otherPage.count(), 2);
    EXPECT_EQ(otherPage.itemText(1), QStringLiteral("TRX3(127.0.0.3)"));
}

TEST_F(RopPageTest, RegisterRefusesUnavailableRowsButKeepsTheUsableOnes) {
    setRow(3, kPanelB);
    setRow(7, ip(127, 0, 0, 255));
    setRow(12, kPanelC, 0);
    VisibilitySampler wait(waitDialog());

    click(button("registerButton"));

    ASSERT_EQ(m_boxes.texts(),
              std::vector<QString>{QStringLiteral("Unavailable network setting!\r\n TRX7/ TRX12")});
    EXPECT_EQ(m_boxes.shown()[0].icon, MessageBoxes::Icon::Warning);
    EXPECT_FALSE(wait.seen());
    EXPECT_EQ(m_selection.panelAddressTable()[2], kPanelB);
    EXPECT_EQ(m_selection.panelAddressTable()[6], 0u);
    EXPECT_EQ(m_page->targetSelector()->count(), 1);  // not rebuilt
    expectNothingSent();
}

TEST_F(RopPageTest, BlankLastOctetReadsAsZeroAndIsRefused) {
    Ipv4AddressField* field = child(2, "AddressEdit");
    QTest::keyClicks(field->octetEdit(0), QStringLiteral("127"));
    QTest::keyClicks(field->octetEdit(1), QStringLiteral("0"));
    QTest::keyClicks(field->octetEdit(2), QStringLiteral("0"));
    child(2, "SubnetMaskEdit")->setAddress(kMask);

    click(button("registerButton"));

    EXPECT_EQ(m_boxes.texts(),
              std::vector<QString>{QStringLiteral("Unavailable network setting!\r\n TRX2")});
    expectNothingSent();
}

TEST_F(RopPageTest, RegisterWithEveryRowEmptyLeavesNoTarget) {
    setRow(1, 0);
    VisibilitySampler wait(waitDialog());

    click(button("registerButton"));

    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_TRUE(wait.seen());
    EXPECT_FALSE(waitDialog()->isVisible());
    EXPECT_EQ(m_page->targetSelector()->count(), 0);
    EXPECT_EQ(m_selection.currentTarget(), 0u);
    expectNothingSent();
}

TEST_F(RopPageTest, PanelsThatFailDoNotStopTheOthersAndAreNamed) {
    setRow(2, kNobody);  // refused
    setRow(3, kPanelB);  // answers NG
    setRow(4, kPanelC);
    setRow(5, kPanelD);  // acknowledgement without the byte after CR LF, then closes
    m_sim.setFault(kB, sim::Fault::NotAcknowledge);
    m_sim.setFault(kD, sim::Fault::AcknowledgeWithoutTrailer);
    VisibilitySampler wait(waitDialog());

    click(button("registerButton"));

    EXPECT_TRUE(wait.seen());
    EXPECT_FALSE(waitDialog()->isVisible());
    ASSERT_EQ(m_boxes.texts(),
              std::vector<QString>{QStringLiteral("Not registered:\r\n TRX2/ TRX3/ TRX5")});
    EXPECT_EQ(m_boxes.shown()[0].icon, MessageBoxes::Icon::Warning);
    ASSERT_TRUE(panelsLogged(4));
    EXPECT_EQ(m_sim.log(kA).at(0).block, (Bytes{0x00, 0x00}));
    EXPECT_EQ(m_sim.log(kC).at(0).block, (Bytes{0x03, 0xFD}));
    EXPECT_TRUE(m_sim.log(kB).at(0).block.empty());
    EXPECT_TRUE(m_sim.log(kD).at(0).block.empty());
}

// ---- Connection check ----

TEST_F(RopPageTest, ConnectionCheckOfUnreachablePanelSaysNotConnectedAndStillPauses) {
    m_page->setConnectionCheckPause(300ms);
    setRow(3, kNobody);
    checkButton(3)->setEnabled(true);
    QElapsedTimer clock;
    m_boxes.onShow([&](const FakeMessageBoxes::Shown&) { clock.start(); });

    click(checkButton(3));

    ASSERT_EQ(m_boxes.texts(), std::vector<QString>{QStringLiteral("Not connected.")});
    EXPECT_EQ(m_boxes.shown()[0].icon, MessageBoxes::Icon::Error);
    EXPECT_GE(clock.elapsed(), 300);
}

TEST_F(RopPageTest, NoSecondOperationStartsDuringTheConnectionCheckPause) {
    m_page->setConnectionCheckPause(300ms);
    setRow(2, kPanelB);
    checkButton(2)->setEnabled(true);
    // An assistive technology's press action arrives while the pause runs.
    QTimer::singleShot(50ms, m_page.get(), [this] {
        button("registerButton")->click();
        button("networkSearchButton")->click();
    });

    click(checkButton(2));

    EXPECT_TRUE(m_boxes.shown().empty());
    ASSERT_TRUE(panelsLogged(1));
    ASSERT_EQ(m_sim.log().size(), 1u);
    EXPECT_EQ(m_sim.log()[0].panel, kB);
    EXPECT_EQ(m_sim.log()[0].command, commandText(command::kRopConnectionCheck));
    EXPECT_EQ(m_selection.panelAddressTable()[1], 0u);
}

// A panel of our own that notes when the tool's connection arrives and when it goes.
class HoldWatcher {
  public:
    HoldWatcher() {
        EXPECT_TRUE(m_server.listen(QHostAddress(QStringLiteral("127.0.0.6")), 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            m_peer = m_server.nextPendingConnection();
            m_clock.start();
            QObject::connect(m_peer, &QTcpSocket::readyRead, m_peer,
                             [this] { m_received += m_peer->readAll(); });
            QObject::connect(m_peer, &QTcpSocket::disconnected, m_peer,
                             [this] { m_openFor = m_clock.elapsed(); });
            QObject::connect(m_peer, &QTcpSocket::errorOccurred, m_peer, [this] {
                if (m_openFor < 0) {
                    m_openFor = m_clock.elapsed();
                }
            });
        });
    }
    std::uint16_t port() const { return m_server.serverPort(); }
    bool open() const { return m_peer != nullptr && m_openFor < 0; }
    qint64 openFor() const { return m_openFor; }
    const QByteArray& received() const { return m_received; }

  private:
    QTcpServer m_server;
    QTcpSocket* m_peer = nullptr;
    QElapsedTimer m_clock;
    qint64 m_openFor = -1;
    QByteArray m_received;
};

TEST(RopConnectionCheckHoldTest, ConnectionStaysOpenThroughThePause) {
    HoldWatcher panel;
    TargetSelection selection;
    selection.setPanelAddress(0, ip(127, 0, 0, 6));
    FakeMessageBoxes boxes;
    OperationGuard guard;
    CTRX900IPSET page({selection, boxes, guard, ExchangeSettings{panel.port(), kShortLimits}});
    page.setConnectionCheckPause(600ms);
    bool openMidway = false;
    QTimer::singleShot(300ms, &page, [&] { openMidway = panel.open(); });

    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("trx1ConnectionCheckButton")),
                      Qt::LeftButton);

    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(openMidway);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.openFor() >= 0; }, 3000));
    EXPECT_GE(panel.openFor(), 550);
    EXPECT_EQ(panel.received().toStdString(), commandText(command::kRopConnectionCheck));
}

}  // namespace
}  // namespace trx
