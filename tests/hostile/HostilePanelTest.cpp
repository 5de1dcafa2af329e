#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "PanelBehaviour.h"
#include "app/MainWindow.h"
#include "pagebase/WaitDialog.h"
#include "pages/camera/IPSetting.h"
#include "pages/rop/CTRX900IPSET.h"
#include "panel-sim/PanelSimulator.h"
#include "records/Credentials.h"
#include "records/SettingsRecord.h"
#include "support/FakeMessageBoxes.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

// Every operation that talks to a panel, against every way a panel can misbehave, each in a
// window built fresh for the cell. Per cell: the messages the page shows, the page's data kept or
// taken, what reached the panel, and how long the operation held the window. The page tests
// leave these cells to this matrix.
//
// While one operation talks to a panel (or holds the connection-check pause), the window still
// serves assistive technology, queued calls and timers. A second operation started from any of
// them, on any page, must be refused without doing or showing anything.

namespace trx::test {
namespace {

using namespace std::chrono_literals;
using sim::Fault;

// The one simulated panel. Every exchange of these tests stays on loopback.
constexpr char kPanel[] = "127.0.0.3";
constexpr PanelAddress kPanelAddress = makeAddress(127, 0, 0, 3);

enum Tab { kConfigurationTab, kCameraListTab, kUserAuthTab, kRopListTab };

const std::string kRebootQuestion = "Warning?: Do you agree to rebooting after data transfer?";
const std::string kSearchNote =
    "Box[QL-TRX900 Setup Software]: <Note>\r\nCCU IP/Remote IP\r\n : IP address and Port Number "
    "is detected automatically.\r\n\r\nCamcoder IP\r\n : IP address and Port Number need to be "
    "set manually.\r\n   Port Number = 49152 (default)";

// A test name from free text.
std::string testName(std::string text) {
    for (char& ch : text) {
        ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    }
    return text;
}

// The real main window with its four pages talking to one simulated panel over loopback, with
// scripted message boxes that answer every confirmation OK.
struct PanelRig {
    PanelRig(ExchangeLimits limits, std::chrono::milliseconds checkPause)
        : m_limits(limits), m_checkPause(checkPause) {}

    // Brings the window up with TRX1 on the simulated panel.
    void start() {
        // The panel logs a write it is left waiting on when the client resets the connection;
        // some socket layers (Wine's) now and then never report that reset, and then the
        // panel's own idle limit must end the wait before the test stops looking.
        sim.setIdleLimit(1000ms);
        ASSERT_TRUE(sim.start({kPanel}));
        window = std::make_unique<CTRX900ToolDlg>(messages, ExchangeSettings{sim.port(), m_limits});
        window->selection().setPanelAddress(0, kPanelAddress);
        window->selection().rebuildSelectors();
        ASSERT_EQ(window->selection().currentTarget(), kPanelAddress);
        rop().setConnectionCheckPause(m_checkPause);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // The ROP List page starts with TRX1 on the LAN in its first row. Before anything may press
    // REGISTER or CONNECTION CHECK its rows are read from the simulated panel, so that no row
    // holds an address off loopback.
    void readRopRows() {
        click(kRopListTab, "networkSearchButton");
        ASSERT_EQ(messages.told(), Told{});
        for (std::size_t row = 0; row < std::size(rop().ropTable().address); ++row) {
            ASSERT_EQ(rop().ropTable().address[row], row == 0 ? kPanelAddress : 0) << row;
        }
    }

    template <typename P = PanelPage>
    P& page(int tab) const {
        return *qobject_cast<P*>(window->page(tab));
    }
    CTRX900IPSET& rop() const { return page<CTRX900IPSET>(kRopListTab); }
    template <typename W = QAbstractButton>
    W* find(int tab, const char* name) const {
        W* widget = page(tab).findChild<W*>(QLatin1String(name));
        if (widget == nullptr) {
            qFatal("no %s", name);
        }
        return widget;
    }

    // The operator picks the tab, then clicks.
    void click(int tab, const char* name) {
        window->tabs()->setCurrentIndex(tab);
        ASSERT_TRUE(find(tab, name)->isEnabled()) << name;
        QTest::mouseClick(find(tab, name), Qt::LeftButton);
    }

    template <typename Change>
    void changePanel(Change change) {
        sim::PanelState state = sim.state(kPanel);
        change(state);
        sim.setState(kPanel, state);
    }

    ExchangeLimits m_limits;
    std::chrono::milliseconds m_checkPause;
    sim::PanelSimulator sim;
    FakeMessageBoxes messages;
    std::unique_ptr<CTRX900ToolDlg> window;
};

// ---- What each operation needs before its press ----

void configPanelDiffers(PanelRig& rig) {
    // Port 35300, LED 1, segments 0, buzzer OFF, PED, tally OFF, Cam5: nothing as the page starts.
    SettingsRecord record;
    record.encode({35300, 1, 0, 1, 1, 1, 5});
    rig.changePanel(
        [&](sim::PanelState& s) { std::ranges::copy(record.bytes(), s.settings.begin()); });
}

template <typename Change>
void changeCameraTable(PanelRig& rig, Change change) {
    rig.changePanel([&](sim::PanelState& s) {
        CameraTable table = *CameraTable::fromReply(s.cameraTable);
        change(table);
        std::ranges::copy(table.bytes(), s.cameraTable.begin());
    });
}

// The page reads an IP Mode list with one remote camera, then the panel's stored list changes,
// so that a later read shows whether the page took it.
void cameraRead(PanelRig& rig) {
    changeCameraTable(rig, [](CameraTable& t) {
        t.setModeCode(3);  // IP Mode, RemoteCamera
        for (int row = 0; row < CameraTable::kRowCount; ++row) {
            t.setTypeCode(row, row == 0 ? camera_type::kRemoteIp : camera_type::kNoAssign);
        }
    });
    rig.click(kCameraListTab, "refreshButton");
    ASSERT_EQ(rig.messages.told(), Told{});
    changeCameraTable(rig, [](CameraTable& t) { t.setRowAddress(5, makeAddress(10, 0, 0, 99)); });
}

void cameraSearchPending(PanelRig& rig) {
    ASSERT_NO_FATAL_FAILURE(cameraRead(rig));
    rig.click(kCameraListTab, "networkSearchButton");
    ASSERT_EQ(rig.messages.told(), Told{kSearchNote});
    ASSERT_TRUE(rig.find(kCameraListTab, "cancelButton")->isEnabled());
}

void ropPanelListGrows(PanelRig& rig) {
    ASSERT_NO_FATAL_FAILURE(rig.readRopRows());
    // The panel's list gains TRX2, which nobody serves.
    rig.changePanel([](sim::PanelState& s) {
        s.ropList = sim::factoryState({kPanelAddress, makeAddress(127, 0, 0, 9)}).ropList;
    });
}

void authPanelDiffers(PanelRig& rig) {
    CredentialsRecord login;
    login.buildBlock("operator", "secret1");
    rig.changePanel(
        [&](sim::PanelState& s) { std::ranges::copy(login.bytes(), s.credentials.begin()); });
}

void fillLoginChange(PanelRig& rig) {
    for (const auto& [name, text] : {std::pair{"oldUserNameEdit", "vexor"},
                                     {"newUserNameEdit", "n0"},
                                     {"oldPasswordEdit", "58203"},
                                     {"newPasswordEdit", "abcd1"},
                                     {"retypeNewPasswordEdit", "abcd1"}}) {
        rig.find<QLineEdit>(kUserAuthTab, name)->setText(QLatin1String(text));
    }
}

// ---- The page's data ----

struct Snapshot {
    std::string record;  // the page's panel data
    std::string state;   // search state, buttons, shared target table
};

template <typename T>
std::string hex(const T& data) {
    const auto bytes = std::as_bytes(std::span(data));
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes))
        .toHex()
        .toStdString();
}

Snapshot snapshot(PanelRig& rig, int tab) {
    if (tab == kCameraListTab) {
        const auto on = [&](const char* name) {
            return std::to_string(rig.find(tab, name)->isEnabled());
        };
        const auto& form = rig.page<IPSetting>(tab).form();
        return {hex(form.table().bytes()), std::to_string(form.searchState()) + on("cancelButton") +
                                               on("refreshButton") + on("initializeButton")};
    }
    if (tab == kRopListTab) {
        const RopTable& table = rig.rop().ropTable();
        const TargetSelection& selection = rig.window->selection();
        return {hex(table.block) + hex(table.address) + hex(table.subnetMask) + hex(table.gateway),
                hex(selection.panelAddressTable()) + addressText(selection.currentTarget()) +
                    std::to_string(rig.rop().findChild<Wait_Dialog*>()->isVisible())};
    }
    // Configuration and UserAuth.: what the form shows.
    std::string form;
    for (const QLineEdit* edit : rig.page(tab).findChildren<QLineEdit*>()) {
        form += edit->text().toStdString() + '|';
    }
    for (const QComboBox* combo : rig.page(tab).findChildren<QComboBox*>()) {
        form += std::to_string(combo->currentIndex()) + '|';
    }
    for (const QRadioButton* radio : rig.page(tab).findChildren<QRadioButton*>()) {
        form += radio->isChecked() ? '1' : '0';
    }
    return {form, {}};
}

// ---- The operations ----

// Every message a page may give, lettered from A.
const std::string kMessages[] = {"Error: Not connected.", "Error: Command Error!!",
                                 "Box: Write OK.",        "Error: Command error.",
                                 "Error: Socket error.",  "Error: No Connect!!",
                                 "Box[Status]: Write OK", "Error: Socket Error!!",
                                 "Error: Command Error.", "Warning: Not registered:\r\n TRX1",
                                 "Box[Status]: Write OK."};

struct Operation {
    const char* name;
    int tab;
    const char* button;
    std::string_view command;
    std::size_t blockSize;  // a write's block; 0 for a read or a notification
    std::string prompt;     // the box before the exchange, answered OK
    void (*prepare)(PanelRig&);
    // Per fault in Fault order: the letter of the message shown, or '-' for none; then '+'
    // where the record and state end as a healthy panel leaves them, '~' where only the state
    // does; nothing where both stay as they were.
    const char* cells;

    std::string cell(Fault fault) const {
        std::istringstream in(cells);
        std::string cell;
        for (int f = 0; f <= static_cast<int>(fault); ++f) {
            in >> cell;
        }
        return cell;
    }
    // The boxes shown with the fault: the operation's own question, then its message.
    Told boxes(Fault fault) const {
        Told boxes(prompt.empty() ? 0u : 1u, prompt);
        const char letter = cell(fault)[0];
        if (letter != '-') {
            boxes.push_back(kMessages[letter - 'A']);
        }
        return boxes;
    }
};

const std::vector<Operation>& operations() {
    namespace c = command;
    static const std::vector<Operation> table = {
        {"Configuration REFRESH", kConfigurationTab, "refreshButton", c::kSetDataRequest, 0, "",
         configPanelDiffers, "-+ A -+ B B B -+ -+ -+ -+ B B"},
        {"Configuration SET", kConfigurationTab, "setButton", c::kSetDataChange, 9, kRebootQuestion,
         [](PanelRig& rig) { rig.click(kConfigurationTab, "buzzerOffRadio"); },
         "C A D C E C E C E E E D"},
        {"Camera List REFRESH", kCameraListTab, "refreshButton", c::kCameraListRequest, 0, "",
         cameraRead, "-+ F -+ B B B -+ -+ -+ -+ B B"},
        // An empty reply leaves the table, yet the search counts as done and waits for SET; a
        // cut reply is no table: none of its bytes may mix with the page's.
        {"Camera List NETWORK SEARCH", kCameraListTab, "networkSearchButton",
         c::kSearchStartRemoteCamera, 0, kSearchNote, cameraRead, "-+ F -+ B -~ B -+ -+ -+ -+ B B"},
        // The search is left whether or not the read works.
        {"Camera List CANCEL", kCameraListTab, "cancelButton", c::kCameraListRequest, 0, "",
         cameraSearchPending, "-+ F~ -+ B~ B~ B~ -+ -+ -+ -+ B~ B~"},
        // The page keeps the table as it sent it, whatever the panel did.
        {"Camera List SET", kCameraListTab, "setButton", c::kCameraListChange, 670, kRebootQuestion,
         cameraRead, "G+ F+ B+ G+ H+ G+ H+ G+ H+ H+ H+ B+"},
        {"Camera List INITIALIZE", kCameraListTab, "initializeButton", c::kCameraListInitialize, 0,
         kRebootQuestion, cameraRead, "G+ F G+ B B B G+ G+ G+ G+ B B"},
        {"ROP List NETWORK SEARCH", kRopListTab, "networkSearchButton", c::kRopListRequest, 0, "",
         ropPanelListGrows, "-+ F -+ I I I -+ -+ -+ -+ I I"},
        {"ROP List REGISTER", kRopListTab, "registerButton", c::kRopListChange, 2, "",
         [](PanelRig& rig) { rig.readRopRows(); }, "-+ J+ J+ -+ J+ -+ J+ -+ J+ J+ J+ J+"},
        {"ROP List CONNECTION CHECK", kRopListTab, "trx1ConnectionCheckButton",
         c::kRopConnectionCheck, 0, "", [](PanelRig& rig) { rig.readRopRows(); },
         "- A - - - - - - - - - -"},
        {"UserAuth. REFRESH", kUserAuthTab, "refreshButton", c::kAuthRequest, 0, "",
         authPanelDiffers, "-+ A -+ B B B -+ -+ -+ -+ B B"},
        // The pair just tried becomes the form's old login whatever the panel did.
        {"UserAuth. SET", kUserAuthTab, "setButton", c::kAuthChange, 68, kRebootQuestion,
         fillLoginChange, "K+ A+ D+ K+ E+ K+ E+ K+ E+ E+ E+ D+"},
    };
    return table;
}

// ---- The hostile-panel matrix ----

// A trickled camera table takes about a second at one byte a millisecond; the total limit leaves
// room for that on a busy machine.
const ExchangeLimits kLimits{500ms, 300ms, 2500ms};
constexpr std::chrono::milliseconds kCheckPause{100};
// Window work around the exchange (form reads, redraws) on a busy machine.
constexpr std::chrono::milliseconds kSlack{1000};
// Every misbehaviour of the simulated panel up to Garbage, in the order Fault declares them.
constexpr int kFaultCount = 12;

struct Pressed {
    Snapshot before, after;
    std::chrono::milliseconds elapsed{};
    Told boxes;
};

// Prepares the page on a healthy panel, turns the fault on and presses the button once.
void press(PanelRig& rig, const Operation& op, Fault fault, Pressed& run) {
    ASSERT_NO_FATAL_FAILURE(rig.start());
    ASSERT_NO_FATAL_FAILURE(op.prepare(rig));
    rig.messages.clear();
    rig.sim.clearLog();
    run.before = snapshot(rig, op.tab);
    rig.sim.setFault(kPanel, fault);
    QElapsedTimer clock;
    clock.start();
    ASSERT_NO_FATAL_FAILURE(rig.click(op.tab, op.button));
    run.elapsed = std::chrono::milliseconds(clock.elapsed());
    run.after = snapshot(rig, op.tab);
    run.boxes = rig.messages.told();
}

// The page's data after a healthy panel's run, worked out once per operation.
const Snapshot& cleanAfter(std::size_t index) {
    static std::map<std::size_t, Snapshot> cache;
    if (!cache.contains(index)) {
        PanelRig rig(kLimits, kCheckPause);
        Pressed run;
        press(rig, operations()[index], Fault::None, run);
        cache.emplace(index, run.after);
    }
    return cache.at(index);
}

class HostilePanel : public ::testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(HostilePanel, ReportsKeepsDataSendsNothingMoreAndReturnsInTime) {
    const auto [opIndex, faultIndex] = GetParam();
    const Operation& op = operations()[opIndex];
    const auto fault = static_cast<Fault>(faultIndex);
    PanelRig rig(kLimits, kCheckPause);
    Pressed run;
    ASSERT_NO_FATAL_FAILURE(press(rig, op, fault, run));
    EXPECT_EQ(run.boxes, op.boxes(fault));

    const Snapshot& clean = cleanAfter(opIndex);
    const std::string cell = op.cell(fault);
    const char data = cell.size() > 1 ? cell[1] : '=';
    EXPECT_EQ(run.after.record, data == '+' ? clean.record : run.before.record);
    EXPECT_EQ(run.after.state, data == '=' ? run.before.state : clean.state);

    // A panel that goes quiet costs the idle limit, one that keeps dribbling at most the total
    // limit, any other answers at once; the connection check adds its pause.
    const bool write = op.blockSize > 0;
    const auto wait = fault == Fault::Silent || (write && fault == Fault::OversizeReply)
                          ? kLimits.idle
                          : (fault == Fault::Trickle ? kLimits.total : 0ms);
    const auto pause = op.command == command::kRopConnectionCheck ? kCheckPause : 0ms;
    EXPECT_LT(run.elapsed.count(), (wait + pause + kSlack).count());

    // One exchange, or none where nothing listens; a block only after a real acknowledgement.
    const std::size_t exchanges = fault == Fault::RefuseConnection ? 0 : 1;
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.sim.log().size() >= exchanges; }, 2000));
    const auto log = rig.sim.log();
    ASSERT_EQ(log.size(), exchanges);
    if (exchanges == 1) {
        EXPECT_EQ(log[0].command, op.command);
        constexpr std::array kAcknowledged = {Fault::None, Fault::BadChecksum, Fault::ShortReply,
                                              Fault::Trickle, Fault::CloseAfterAcknowledge};
        if (write && std::ranges::find(kAcknowledged, fault) != kAcknowledged.end()) {
            EXPECT_EQ(log[0].block.size(), op.blockSize);
            EXPECT_TRUE(checksumHolds(log[0].block));
        } else {
            EXPECT_TRUE(log[0].block.empty()) << log[0].answer;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOperationEveryFault, HostilePanel,
                         ::testing::Combine(::testing::Range<std::size_t>(0, operations().size()),
                                            ::testing::Range(0, kFaultCount)),
                         [](const auto& p) {
                             const auto fault = static_cast<Fault>(std::get<1>(p.param));
                             return testName(std::string(operations()[std::get<0>(p.param)].name) +
                                             "_" + std::string(sim::faultName(fault)));
                         });

// ---- No re-entry ----

const ExchangeLimits kHoldLimits{500ms, 300ms, 1500ms};
constexpr std::chrono::milliseconds kHoldPause{300};

// Operations that hold the window: silent panels hold Configuration and Camera List REFRESH and
// UserAuth. SET until the idle limit; the connection check needs no fault to hold its pause,
// and the panel's first sight of its line comes after the tool has sent it, so the intrusion
// lands in the pause.
const std::pair<std::size_t, Fault> kRunning[] = {
    {0, Fault::Silent}, {2, Fault::Silent}, {11, Fault::Silent}, {9, Fault::None}};

struct Intruder {
    std::size_t running;  // in kRunning
    int tab;
    const char* button;
};

// A second button on the running operation's own page, and buttons on other pages: every button
// of the Configuration and UserAuth. pages among them.
const Intruder kIntruders[] = {
    {0, kConfigurationTab, "setButton"},
    {0, kCameraListTab, "initializeButton"},
    {0, kRopListTab, "registerButton"},
    {1, kCameraListTab, "setButton"},
    {1, kUserAuthTab, "refreshButton"},
    {1, kConfigurationTab, "refreshButton"},
    {2, kUserAuthTab, "refreshButton"},
    {2, kConfigurationTab, "setButton"},
    {3, kRopListTab, "trx1ConnectionCheckButton"},
    {3, kRopListTab, "networkSearchButton"},
    {3, kCameraListTab, "refreshButton"},
    {3, kUserAuthTab, "setButton"},
};

// true: the button's accessibility press action; false: a direct click() call.
class NoReentry : public ::testing::TestWithParam<std::tuple<Intruder, bool>> {};

TEST_P(NoReentry, SecondOperationFromAnySourceIsRefusedSilently) {
    const auto& [target, pressAction] = GetParam();
    const auto& [opIndex, fault] = kRunning[target.running];
    const Operation& op = operations()[opIndex];
    // Declared before the rig, so that the panels' thread, which posts into the window, has
    // stopped before they go.
    bool isRunning = false;
    std::vector<bool> seen;  // running before, clicked, running after, no new box
    std::atomic<bool> posted{false};
    PanelRig rig{kHoldLimits, kHoldPause};
    ASSERT_NO_FATAL_FAILURE(rig.start());
    ASSERT_NO_FATAL_FAILURE(rig.readRopRows());
    ASSERT_NO_FATAL_FAILURE(op.prepare(rig));
    rig.messages.clear();
    rig.sim.clearLog();

    QAbstractButton* intruder = rig.find(target.tab, target.button);
    ASSERT_TRUE(intruder->isEnabled());
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(intruder);
    ASSERT_TRUE(access != nullptr && access->actionInterface() != nullptr);
    QSignalSpy clicked(intruder, &QAbstractButton::clicked);

    // The panel's first sight of the command starts the intrusion, queued into the window's
    // thread while the operation waits.
    const auto intrude = [&, pressAction = pressAction] {
        const std::size_t boxes = rig.messages.shown().size();
        seen.push_back(isRunning);
        if (pressAction) {
            access->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        } else {
            intruder->click();
        }
        // The press action clicks after a short animation, on the button's own timer.
        seen.push_back(QTest::qWaitFor([&] { return !clicked.isEmpty(); }, 2000));
        seen.push_back(isRunning);
        seen.push_back(rig.messages.shown().size() == boxes);
    };
    rig.sim.setFault(kPanel, fault);
    rig.sim.setLogSink([&](const sim::ExchangeRecord&) {
        if (!posted.exchange(true)) {
            QMetaObject::invokeMethod(intruder, intrude, Qt::QueuedConnection);
        }
    });

    isRunning = true;
    ASSERT_NO_FATAL_FAILURE(rig.click(op.tab, op.button));
    isRunning = false;
    rig.sim.setLogSink({});
    QCoreApplication::processEvents();

    ASSERT_TRUE(posted);
    EXPECT_EQ(seen, std::vector<bool>(4, true));
    EXPECT_EQ(rig.messages.told(), op.boxes(fault));
    const auto log = rig.sim.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].command, op.command);
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Intruder, bool>>& info) {
    const auto& [target, pressAction] = info.param;
    static const char* const kTabs[] = {"Configuration", "CameraList", "UserAuth", "RopList"};
    return testName(std::string(operations()[kRunning[target.running].first].name) + "_then_" +
                    kTabs[target.tab] + "_" + target.button +
                    (pressAction ? "_press_action" : "_click_call"));
}

INSTANTIATE_TEST_SUITE_P(WhileAnOperationRuns, NoReentry,
                         ::testing::Combine(::testing::ValuesIn(kIntruders), ::testing::Bool()),
                         caseName);

}  // namespace
}  // namespace trx::test
