#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include "app/FileDialogs.h"
#include "app/FleetModel.h"
#include "app/FleetWindow.h"
#include "app/MainWindow.h"
#include "files/PanelFiles.h"
#include "fleet/ProfileDiff.h"
#include "pagebase/PanelPage.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "panel-sim/PanelSimulator.h"
#include "support/ChosenFile.h"
#include "support/FakeMessageBoxes.h"

// Failures show texts, not UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}

namespace trx {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Fault = sim::Fault;

// TRX1..TRX6: two plain panels, one set up away from the factory, one that refuses writes, one
// that refuses connections and one whose replies do not add up.
const std::vector<std::string> kPanels = {"127.0.0.2", "127.0.0.3", "127.0.0.4",
                                          "127.0.0.5", "127.0.0.6", "127.0.0.7"};

class FleetWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start(kPanels));
        window = std::make_unique<CTRX900ToolDlg>(
            messages, ExchangeSettings{sim.port(), {1000ms, 600ms, 4000ms}}, &files);
        fleet = window->fleetWindow();
        sim::PanelState state = sim.state(kPanels[0]);
        SettingsRecord settings = *SettingsRecord::fromReply(state.settings);
        SettingsValues values = settings.decode();
        values.receivePort = 35209;
        settings.encode(values);
        settings.seal();
        std::ranges::copy(settings.bytes(), state.settings.begin());
        sim.setState(kPanels[0], state);
        sim.setFault(kPanels[3], Fault::NotAcknowledge);
        sim.setFault(kPanels[4], Fault::RefuseConnection);
        sim.setFault(kPanels[5], Fault::BadChecksum);
        for (int i = 0; i < static_cast<int>(kPanels.size()); ++i) {
            window->selection().setPanelAddress(i, *parseAddress(kPanels[std::size_t(i)]));
        }
        window->selection().rebuildSelectors();
        window->findChild<QAction*>(u"panelsAction"_s)->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fleet));
    }
    // Presses a button of the fleet window and waits until its operation has ended.
    void press(const char* button) {
        QTest::mouseClick(fleet->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !fleet->running(); }, 10000));
    }
    // Each row as shown, without the columns that change from run to run.
    QStringList rows() const {
        QStringList shown;
        const FleetModel& m = *fleet->model();
        for (int row = 0; row < m.rowCount(); ++row) {
            QStringList cells;
            for (int c : {0, 1, 2, 4, 5, 6, 7, 9}) {
                cells << m.index(row, c).data().toString();
            }
            shown << cells.join(u'|');
        }
        return shown;
    }
    QString status() const { return fleet->findChild<QLabel*>(u"statusLabel"_s)->text(); }

    sim::PanelSimulator sim;
    test::FakeMessageBoxes messages;
    test::ChosenFile files;
    QTemporaryDir dir;
    std::unique_ptr<CTRX900ToolDlg> window;
    FleetWindow* fleet = nullptr;
};

TEST_F(FleetWindowTest, CheckAllFillsEveryRowWithItsValuesOrWhyNot) {
    EXPECT_EQ(rows().size(), 6);
    press("checkAllButton");
    const QString factory = u"|reachable|35200|Serial|CCU|1|"_s;
    EXPECT_EQ(rows(),
              (QStringList{u"TRX1|127.0.0.2|reachable|35209|Serial|CCU|1|"_s,
                           u"TRX2|127.0.0.3"_s + factory, u"TRX3|127.0.0.4"_s + factory,
                           u"TRX4|127.0.0.5"_s + factory, u"TRX5|127.0.0.6|not connected|||||"_s,
                           u"TRX6|127.0.0.7|settings read: checksum wrong|||||"_s}));
    EXPECT_EQ(status(), u"Check All: 4 of 6 panels reachable; 2 failed."_s);
    EXPECT_EQ(fleet->findChild<QProgressBar*>()->value(), 6);
    // A screen reader reads a whole row from any of its cells.
    const QString spoken =
        fleet->model()->index(0, 5).data(Qt::AccessibleDescriptionRole).toString();
    EXPECT_TRUE(spoken.startsWith(u"TRX1, 127.0.0.2, reachable, "_s) &&
                spoken.contains(u", Receive port 35209, Mode Serial, Family CCU, Cameras 1, "_s))
        << spoken.toStdString();
}

TEST_F(FleetWindowTest, BackUpAllWritesOneProfilePerPanelAndSaysWhyNot) {
    // A folder that cannot be made is refused before any panel is read.
    files.path = dir.filePath(u"TRX1.trx900.json/sub"_s);
    QFile(dir.filePath(u"TRX1.trx900.json"_s)).open(QIODevice::WriteOnly);
    window->findChild<QAction*>(u"backUpAllAction"_s)->trigger();
    EXPECT_TRUE(status().startsWith(u"Back Up All: cannot make the folder"_s))
        << status().toStdString();
    EXPECT_TRUE(sim.log().empty());
    files.path = dir.path();
    window->findChild<QAction*>(u"backUpAllAction"_s)->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !fleet->running(); }, 10000));
    EXPECT_EQ(status(), u"Back Up All to %1: 4 of 6 panels saved; 2 failed."_s.arg(dir.path()));
    const QStringList shown = rows();
    for (int i = 0; i < 6; ++i) {
        const QString file = dir.filePath(u"TRX%1.trx900.json"_s.arg(i + 1));
        EXPECT_EQ(shown[i].section(u'|', 7),
                  i < 4 ? u"saved: "_s + file
                        : (i == 4 ? u"FAILED: not connected"_s
                                  : u"FAILED: settings read: checksum wrong"_s));
        const auto bytes = readPanelFile(file);
        ASSERT_EQ(std::holds_alternative<QByteArray>(bytes), i < 4) << i;
        if (i < 4) {
            const auto profile = std::get<PanelProfile>(decodePanelProfile(std::get<0>(bytes)));
            const sim::PanelState panel = sim.state(kPanels[std::size_t(i)]);
            const PanelProfile read{*CameraTable::fromReply(panel.cameraTable),
                                    *SettingsRecord::fromReply(panel.settings),
                                    {},
                                    {}};
            EXPECT_TRUE(fleet::diffProfiles(profile, read).empty());
        }
    }
}

// Cancel during Back Up All: the panel still answering is read to its end, but its file is not
// written.
TEST_F(FleetWindowTest, CancelledBackUpWritesNoFileAfterTheCancel) {
    sim.setFault(kPanels[1], Fault::Trickle, {.pieceDelay = 1ms});
    files.path = dir.path();
    QTest::mouseClick(fleet->findChild<QPushButton*>(u"backUpAllButton"_s), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([this] { return rows()[0].contains(u"saved: "_s); }, 5000));
    QTest::mouseClick(fleet->findChild<QPushButton*>(u"cancelButton"_s), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !fleet->running(); }, 10000));
    EXPECT_EQ(rows()[1].section(u'|', 7), u"FAILED: interrupted"_s);
    EXPECT_FALSE(QFile::exists(dir.filePath(u"TRX2.trx900.json"_s)));
}

// Three rows selected: a preview of each, one question naming the panels that reboot, then the
// writes; the panel that refuses writes is reported, the others got exactly the profile with
// their own address, subnet mask and gateway (the camera table's first 12 bytes).
TEST_F(FleetWindowTest, RestoreToSelectedPreviewsAsksOnceAndWritesExactly) {
    PanelProfile profile{*CameraTable::fromReply(sim.state(kPanels[0]).cameraTable),
                         *SettingsRecord::fromReply(sim.state(kPanels[0]).settings), "x", "y"};
    profile.cameraTable.setModelText(0, "STUDIO-A");
    const PanelProfile prepared = fleet::prepareForWrite(profile);
    std::vector<std::string> expected;
    for (const std::size_t i : {1u, 2u}) {
        sim::PanelState state = sim.state(kPanels[i]);
        CameraTable own = *CameraTable::fromReply(state.cameraTable);
        own.bytes()[3] = static_cast<std::uint8_t>(140 + i);
        own.seal();
        std::ranges::copy(own.bytes(), state.cameraTable.begin());
        sim.setState(kPanels[i], state);
        CameraTable sent = prepared.cameraTable;
        std::copy_n(own.bytes().begin(), 12, sent.bytes().begin());
        sent.seal();
        const auto& settings = prepared.settings.bytes();
        expected.push_back(kPanels[i] + ":" +
                           std::string(sent.bytes().begin(), sent.bytes().end()));
        expected.push_back(kPanels[i] + ":" + std::string(settings.begin(), settings.end()));
    }
    files.path = dir.filePath(u"studio.json"_s);
    ASSERT_FALSE(writePanelFileAtomically(files.path, encodePanelProfile(profile)));
    for (int row : {1, 2, 3}) {
        fleet->table()->selectionModel()->select(
            fleet->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    sim.clearLog();
    press("restoreButton");
    const test::Told told = messages.told();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].starts_with("Warning?: Write the panel profile " +
                                    files.path.toStdString() +
                                    " to 3 panels? They reboot after the transfer.\n\n"
                                    "TRX2 127.0.0.3: would change 2 fields\n"))
        << told[0];
    std::vector<std::string> written;
    for (const sim::ExchangeRecord& r : sim.log()) {
        if (!r.block.empty()) {
            written.push_back(r.panel + ":" + std::string(r.block.begin(), r.block.end()));
        }
    }
    std::ranges::sort(written);
    std::ranges::sort(expected);
    EXPECT_TRUE(written == expected);
    EXPECT_EQ(rows()[3].section(u'|', 7), u"FAILED: camera list write: not acknowledged"_s);
    EXPECT_EQ(status(), u"Restore: 2 of 3 panels written; 1 failed."_s);
}

// While a fleet operation runs no page operation starts, and the other way round; the refused
// start is named on the status line and dials nothing.
TEST_F(FleetWindowTest, FleetAndPageOperationsRefuseEachOther) {
    sim.setFault(kPanels[1], Fault::Silent);
    QTest::mouseClick(fleet->findChild<QPushButton*>(u"checkAllButton"_s), Qt::LeftButton);
    ASSERT_TRUE(fleet->running());
    fleet->close();  // the check goes on, and a refused page brings the reason into view
    window->page(0)->findChild<QPushButton*>(u"refreshButton"_s)->click();
    EXPECT_EQ(status(), u"A page operation was not started: Check All is running."_s);
    EXPECT_TRUE(fleet->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([this] { return !fleet->running(); }, 10000));
    EXPECT_EQ(sim.log(kPanels[0]).size(), 2u);  // the check's two reads, no page read
    EXPECT_EQ(messages.told(), test::Told{});

    // A page REFRESH that waits on the silent panel; Check All pressed meanwhile is refused.
    window->selection().selectPanel(1);
    sim.clearLog();
    QTimer::singleShot(100ms, fleet,
                       [this] { fleet->findChild<QPushButton*>(u"checkAllButton"_s)->click(); });
    window->page(0)->findChild<QPushButton*>(u"refreshButton"_s)->click();
    EXPECT_EQ(status(), u"Check All was not started: A page operation is running."_s);
    EXPECT_EQ(sim.log().size(), 1u);
}

// Enter or a double-click on a row makes its panel the target of every page.
TEST_F(FleetWindowTest, EnterOrDoubleClickMakesThePanelEveryPagesTarget) {
    QTableView* table = fleet->table();
    table->setFocus();
    table->setCurrentIndex(fleet->model()->index(2, 0));
    QTest::keyClick(table, Qt::Key_Return);
    EXPECT_TRUE(fleet->isVisible());
    for (int tab = 0; tab < CTRX900ToolDlg::kPageCount; ++tab) {
        EXPECT_EQ(window->page(tab)->targetSelector()->currentText(), u"TRX3(127.0.0.4)"_s);
    }
    const QRect cell = table->visualRect(fleet->model()->index(4, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(window->selection().currentTarget(), *parseAddress(kPanels[4]));
    EXPECT_EQ(window->page(3)->targetSelector()->currentText(), u"TRX5(127.0.0.6)"_s);
    EXPECT_EQ(status(), u"TRX5 127.0.0.6 is now the target of every page."_s);
    // Every control is named for people and tests; a panel registered meanwhile shows up.
    for (const QWidget* w : fleet->findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus) {
            EXPECT_FALSE(w->objectName().isEmpty() || w->accessibleName().isEmpty())
                << w->metaObject()->className() << " " << w->objectName().toStdString();
        }
    }
    window->selection().setPanelAddress(9, *parseAddress("127.0.0.11"));
    QApplication::setActiveWindow(window.get());
    QApplication::setActiveWindow(fleet);
    EXPECT_TRUE(QTest::qWaitFor([this] { return fleet->model()->rowCount() == 7; }, 5000));
}

}  // namespace
}  // namespace trx
