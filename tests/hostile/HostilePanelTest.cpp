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
#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <iostream>
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
#include "support/FakeMessageBoxes.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

// Every operation that talks to a panel, against every way a panel can misbehave, each in a
// window built fresh for the cell. Per cell: the message the page shows, the page's data kept or
// taken, what reached the panel, and how long the operation held the window.
//
// While one operation talks to a panel (or holds the connection-check pause), the window still
// serves assistive technology, queued calls and timers. A second operation started from any of
// them, on any page, must be refused without doing or showing anything.

namespace trx::test {
namespace {

using namespace std::chrono_literals;
using sim::Fault;
using Icon = MessageBoxes::Icon;

// The one simulated panel. Every exchange of these tests stays on loopback.
constexpr char kPanel[] = "127.0.0.3";
constexpr PanelAddress kPanelAddress = makeAddress(127, 0, 0, 3);

enum Tab { kConfigurationTab = 0, kCameraListTab = 1, kUserAuthTab = 2, kRopListTab = 3 };

const QString kRebootQuestion = QStringLiteral("Do you agree to rebooting after data transfer?");

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
        ASSERT_TRUE(sim.start({kPanel}));
        m_window =
            std::make_unique<CTRX900ToolDlg>(messages, ExchangeSettings{sim.port(), m_limits});
        selection().setPanelAddress(0, kPanelAddress);
        selection().rebuildSelectors();
        ASSERT_EQ(selection().currentTarget(), kPanelAddress);
        rop().setConnectionCheckPause(m_checkPause);
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    // The ROP List page starts with TRX1 on the LAN in its first row. Before anything may press
    // REGISTER or CONNECTION CHECK its rows are read from the simulated panel, so that no row
    // holds an address off loopback.
    void readRopRows() {
        click(kRopListTab, "networkSearchButton");
        ASSERT_TRUE(messages.shown().empty()) << messages.texts().front().toStdString();
        for (std::size_t row = 0; row < std::size(rop().ropTable().address); ++row) {
            ASSERT_EQ(rop().ropTable().address[row], row == 0 ? kPanelAddress : 0) << row;
        }
        sim.clearLog();
    }

    TargetSelection& selection() { return m_window->selection(); }
    template <typename P = PanelPage>
    P& page(int tab) const {
        return *qobject_cast<P*>(m_window->page(tab));
    }
    CTRX900IPSET& rop() const { return page<CTRX900IPSET>(kRopListTab); }

    template <typename W = QAbstractButton>
    W* find(int tab, const char* name) const {
        W* widget = page(tab).findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // The operator picks the tab, then clicks.
    void click(int tab, const char* name) {
        m_window->tabs()->setCurrentIndex(tab);
        QAbstractButton* button = find(tab, name);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // A login change that passes every check of the UserAuth. page, from the default pair.
    void fillLoginChange() {
        const char* const names[] = {"oldUserNameEdit", "newUserNameEdit", "oldPasswordEdit",
                                     "newPasswordEdit", "retypeNewPasswordEdit"};
        const char* const texts[] = {"vexor", "n0", "58203", "abcd1", "abcd1"};
        for (std::size_t i = 0; i < std::size(names); ++i) {
            find<QLineEdit>(kUserAuthTab, names[i])->setText(QLatin1String(texts[i]));
        }
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
    std::unique_ptr<CTRX900ToolDlg> m_window;
};

// ---- The hostile-panel matrix ----

// A trickled camera table takes about a second at one byte a millisecond; the total limit leaves
// room for that on a busy machine.
const ExchangeLimits kLimits{500ms, 300ms, 2500ms};
constexpr std::chrono::milliseconds kCheckPause{100};
// Window work around the exchange (form reads, redraws) on a busy machine.
constexpr std::chrono::milliseconds kSlack{1000};

// Every misbehaviour of the simulated panel, in the order Fault declares them.
constexpr std::size_t kFaultCount = 12;
Fault faultAt(std::size_t index) {
    return static_cast<Fault>(index);
}

// A box as one line; "app" for the application's name as caption.
std::string describe(const FakeMessageBoxes::Shown& box) {
    static const char* const kIcons[] = {"no icon", "error", "warning", "information"};
    const QString caption =
        box.caption == applicationCaption() ? QStringLiteral("app") : box.caption;
    return '"' +
           QString(box.text).replace(QStringLiteral("\r\n"), QStringLiteral(" / ")).toStdString() +
           "\" (" + kIcons[static_cast<int>(box.icon)] + ", " + caption.toStdString() + ')';
}

// Every message a page may give, lettered from A in this order; a message nobody expects gets the
// next letter when it shows.
std::vector<std::string>& legend() {
    static std::vector<std::string> messages = {
        R"("Not connected." (error, app))", R"("Command Error!!" (error, app))",
        R"("Write OK." (no icon, app))",    R"("Command error." (error, app))",
        R"("Socket error." (error, app))",  R"("No Connect!!" (error, app))",
        R"("Write OK" (no icon, Status))",  R"("Socket Error!!" (error, app))",
        R"("Command Error." (error, app))", R"("Not registered: /  TRX1" (warning, app))",
        R"("Write OK." (no icon, Status))"};
    return messages;
}

char letterOf(const FakeMessageBoxes::Shown& box) {
    const std::string line = describe(box);
    auto it = std::find(legend().begin(), legend().end(), line);
    if (it == legend().end()) {
        it = legend().insert(it, line);
    }
    return static_cast<char>('A' + (it - legend().begin()));
}

// ---- What each operation needs before its press ----

void configPanelDiffers(PanelRig& rig) {
    // Port 35300, LED 1, segments 0, buzzer off, PED, tally off, Cam5: nothing as the page starts.
    rig.changePanel([](sim::PanelState& s) {
        s.settings = {0x89, 0xE4, 0x01, 0x00, 0x01, 0x01, 0x00, 0x04, 0x00};
    });
}

namespace cl = sim::camera_layout;

// The page reads an IP Mode list with one remote camera, then the panel's stored list changes,
// so that a later read shows whether the page took it.
void cameraRead(PanelRig& rig) {
    rig.changePanel([](sim::PanelState& s) {
        s.cameraTable[cl::kModeCode] = 3;  // IP Mode, RemoteCamera
        std::fill_n(s.cameraTable.begin() + cl::kType, cl::kRows, std::uint8_t{0});
        s.cameraTable[cl::kType] = 4;  // C01 "Remote IP"
    });
    rig.click(kCameraListTab, "refreshButton");
    ASSERT_TRUE(rig.messages.shown().empty());
    rig.changePanel([](sim::PanelState& s) {
        s.cameraTable[cl::kIpPort + 6 * 5 + 3] = 99;
        s.cameraTable[cl::kModel] = 'Z';
    });
}

const QString kSearchNote = QStringLiteral(
    "<Note>\r\nCCU IP/Remote IP\r\n : IP address and Port Number is detected "
    "automatically.\r\n\r\nCamcoder IP\r\n : IP address and Port Number need to be set "
    "manually.\r\n   Port Number = 49152 (default)");

void cameraSearchPending(PanelRig& rig) {
    ASSERT_NO_FATAL_FAILURE(cameraRead(rig));
    rig.click(kCameraListTab, "networkSearchButton");
    ASSERT_EQ(rig.messages.texts(), std::vector<QString>{kSearchNote});
    ASSERT_TRUE(rig.find(kCameraListTab, "cancelButton")->isEnabled());
}

void ropPanelListGrows(PanelRig& rig) {
    ASSERT_NO_FATAL_FAILURE(rig.readRopRows());
    // The panel's list gains TRX2 (address at 150 + 6 n, mask at 300 + 4 n), which nobody serves.
    rig.changePanel([](sim::PanelState& s) {
        writeAddress(std::span<std::uint8_t, 4>(s.ropList.data() + 150 + 6, 4),
                     makeAddress(127, 0, 0, 9));
        writeAddress(std::span<std::uint8_t, 4>(s.ropList.data() + 300 + 4, 4),
                     makeAddress(255, 255, 255, 0));
    });
}

void authPanelDiffers(PanelRig& rig) {
    rig.changePanel([](sim::PanelState& s) {
        s.credentials = {};
        std::copy_n("operator", 8, s.credentials.begin());
        std::copy_n("secret1", 7, s.credentials.begin() + 33);
    });
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
        const TargetSelection& selection = rig.selection();
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

struct Operation {
    const char* name;
    int tab;
    const char* button;
    std::string_view command;
    std::size_t blockSize;  // a write's block; 0 for a read or a notification
    QString prompt;         // the box before the exchange, answered OK
    void (*prepare)(PanelRig&);
    // Per fault in Fault order: the letter of the message shown, or '-' for none; then '+'
    // where the record and state end as a healthy panel leaves them, '~' where only the state
    // does; nothing where both stay as they were.
    const char* cells;
};

const std::vector<Operation>& operations() {
    namespace c = command;
    static const std::vector<Operation> table = {
        {"Configuration REFRESH", kConfigurationTab, "refreshButton", c::kSetDataRequest, 0,
         QString(), configPanelDiffers, "-+ A -+ B B B -+ -+ -+ -+ B B"},
        {"Configuration SET", kConfigurationTab, "setButton", c::kSetDataChange, 9, kRebootQuestion,
         [](PanelRig& rig) { rig.click(kConfigurationTab, "buzzerOffRadio"); },
         "C A D C E C E C E E E D"},
        {"Camera List REFRESH", kCameraListTab, "refreshButton", c::kCameraListRequest, 0,
         QString(), cameraRead, "-+ F -+ B B B -+ -+ -+ -+ B B"},
        // An empty reply leaves the table, yet the search counts as done and waits for SET; a
        // cut reply is no table: none of its bytes may mix with the page's.
        {"Camera List NETWORK SEARCH", kCameraListTab, "networkSearchButton",
         c::kSearchStartRemoteCamera, 0, kSearchNote, cameraRead, "-+ F -+ B -~ B -+ -+ -+ -+ B B"},
        // The search is left whether or not the read works.
        {"Camera List CANCEL", kCameraListTab, "cancelButton", c::kCameraListRequest, 0, QString(),
         cameraSearchPending, "-+ F~ -+ B~ B~ B~ -+ -+ -+ -+ B~ B~"},
        // The page keeps the table as it sent it, whatever the panel did.
        {"Camera List SET", kCameraListTab, "setButton", c::kCameraListChange, 670, kRebootQuestion,
         cameraRead, "G+ F+ B+ G+ H+ G+ H+ G+ H+ H+ H+ B+"},
        {"Camera List INITIALIZE", kCameraListTab, "initializeButton", c::kCameraListInitialize, 0,
         kRebootQuestion, cameraRead, "G+ F G+ B B B G+ G+ G+ G+ B B"},
        {"ROP List NETWORK SEARCH", kRopListTab, "networkSearchButton", c::kRopListRequest, 0,
         QString(), ropPanelListGrows, "-+ F -+ I I I -+ -+ -+ -+ I I"},
        {"ROP List REGISTER", kRopListTab, "registerButton", c::kRopListChange, 2, QString(),
         [](PanelRig& rig) { rig.readRopRows(); }, "-+ J+ J+ -+ J+ -+ J+ -+ J+ J+ J+ J+"},
        {"ROP List CONNECTION CHECK", kRopListTab, "trx1ConnectionCheckButton",
         c::kRopConnectionCheck, 0, QString(), [](PanelRig& rig) { rig.readRopRows(); },
         "- A - - - - - - - - - -"},
        {"UserAuth. REFRESH", kUserAuthTab, "refreshButton", c::kAuthRequest, 0, QString(),
         authPanelDiffers, "-+ A -+ B B B -+ -+ -+ -+ B B"},
        // The pair just tried becomes the form's old login whatever the panel did.
        {"UserAuth. SET", kUserAuthTab, "setButton", c::kAuthChange, 68, kRebootQuestion,
         [](PanelRig& rig) { rig.fillLoginChange(); }, "K+ A+ D+ K+ E+ K+ E+ K+ E+ E+ E+ D+"},
    };
    return table;
}

// ---- The printed matrix ----

// Letters seen per operation and fault; '!' marks a failed cell.
std::map<std::pair<std::size_t, std::size_t>, std::string> gMatrix;

class MatrixPrinter final : public ::testing::Environment {
  public:
    void TearDown() override {
        std::cout << "\nHostile-panel matrix (- no message; ! cell failed)\n\n| operation |";
        std::string rule = "\n|---|";
        for (std::size_t f = 0; f < kFaultCount; ++f) {
            std::cout << ' ' << sim::faultName(faultAt(f)) << " |";
            rule += "---|";
        }
        std::cout << rule;
        for (std::size_t o = 0; o < operations().size(); ++o) {
            std::cout << "\n| " << operations()[o].name << " |";
            for (std::size_t f = 0; f < kFaultCount; ++f) {
                const auto it = gMatrix.find({o, f});
                std::cout << ' ' << (it == gMatrix.end() ? " " : it->second) << " |";
            }
        }
        std::cout << "\n\n";
        for (std::size_t i = 0; i < legend().size(); ++i) {
            std::cout << static_cast<char>('A' + i) << ": " << legend()[i] << '\n';
        }
        std::cout << std::flush;
    }
};

[[maybe_unused]] ::testing::Environment* const kPrinter =
    ::testing::AddGlobalTestEnvironment(new MatrixPrinter);

// ---- The cells ----

struct Pressed {
    Snapshot before, after;
    std::chrono::milliseconds elapsed{};
    std::vector<FakeMessageBoxes::Shown> boxes;
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
    run.boxes = rig.messages.shown();
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

class HostilePanel : public ::testing::TestWithParam<std::tuple<std::size_t, std::size_t>> {};

TEST_P(HostilePanel, ReportsKeepsDataSendsNothingMoreAndReturnsInTime) {
    const auto [opIndex, faultIndex] = GetParam();
    const Operation& op = operations()[opIndex];
    const Fault fault = faultAt(faultIndex);
    std::istringstream cells(op.cells);
    std::string expected;
    for (std::size_t f = 0; f <= faultIndex; ++f) {
        cells >> expected;
    }
    std::string& cell = gMatrix[{opIndex, faultIndex}];
    cell = "!";

    PanelRig rig(kLimits, kCheckPause);
    Pressed run;
    ASSERT_NO_FATAL_FAILURE(press(rig, op, fault, run));

    // The operation's own question comes first and is the only other box.
    const std::size_t asked = op.prompt.isEmpty() ? 0 : 1;
    ASSERT_GE(run.boxes.size(), asked);
    EXPECT_EQ(asked == 1 ? run.boxes[0].text : op.prompt, op.prompt);
    std::string seen;
    for (std::size_t i = asked; i < run.boxes.size(); ++i) {
        seen += letterOf(run.boxes[i]);
    }
    seen = seen.empty() ? "-" : seen;
    EXPECT_EQ(seen, expected.substr(0, 1)) << legend()[static_cast<std::size_t>(seen[0] - 'A')];

    const Snapshot& clean = cleanAfter(opIndex);
    const char data = expected.size() > 1 ? expected[1] : '=';
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
    cell = seen + (HasFailure() ? "!" : "");
}

INSTANTIATE_TEST_SUITE_P(EveryOperationEveryFault, HostilePanel,
                         ::testing::Combine(::testing::Range<std::size_t>(0, operations().size()),
                                            ::testing::Range<std::size_t>(0, kFaultCount)),
                         [](const auto& cell) {
                             return testName(
                                 std::string(operations()[std::get<0>(cell.param)].name) + "_" +
                                 std::string(sim::faultName(faultAt(std::get<1>(cell.param)))));
                         });

// ---- No re-entry ----

const ExchangeLimits kHoldLimits{500ms, 300ms, 1500ms};
constexpr std::chrono::milliseconds kHoldPause{300};

struct RunningOperation {
    const char* name;
    int tab;
    const char* button;
    // Silent holds the exchange until the idle limit; the connection check needs no fault to
    // hold the window through its pause.
    Fault fault;
    std::string_view command;
    const char* shows;  // the boxes the operation itself shows, split at '|'
};

const std::vector<RunningOperation>& runningOperations() {
    static const std::vector<RunningOperation> table = {
        {"Configuration REFRESH", kConfigurationTab, "refreshButton", Fault::Silent,
         command::kSetDataRequest, "Command Error!!"},
        {"Camera List REFRESH", kCameraListTab, "refreshButton", Fault::Silent,
         command::kCameraListRequest, "Command Error!!"},
        {"UserAuth. SET", kUserAuthTab, "setButton", Fault::Silent, command::kAuthChange,
         "Do you agree to rebooting after data transfer?|Socket error."},
        // The panel's first sight of the check line comes after the tool has sent it, so the
        // intrusion lands in the pause.
        {"ROP List CONNECTION CHECK pause", kRopListTab, "trx1ConnectionCheckButton", Fault::None,
         command::kRopConnectionCheck, ""},
    };
    return table;
}

struct Intruder {
    std::size_t running;
    int tab;
    const char* button;
};

// A second button on the running operation's own page, and buttons on other pages.
const Intruder kIntruders[] = {
    {0, kConfigurationTab, "setButton"},     {0, kCameraListTab, "initializeButton"},
    {0, kRopListTab, "registerButton"},      {1, kCameraListTab, "setButton"},
    {1, kUserAuthTab, "refreshButton"},      {2, kUserAuthTab, "refreshButton"},
    {2, kConfigurationTab, "setButton"},     {3, kRopListTab, "trx1ConnectionCheckButton"},
    {3, kRopListTab, "networkSearchButton"}, {3, kCameraListTab, "refreshButton"},
};

// true: the button's accessibility press action; false: a direct click() call.
class NoReentry : public ::testing::TestWithParam<std::tuple<Intruder, bool>> {};

TEST_P(NoReentry, SecondOperationFromAnySourceIsRefusedSilently) {
    const auto& [target, pressAction] = GetParam();
    const RunningOperation& running = runningOperations()[target.running];
    // Declared before the rig, so that the panels' thread, which posts into the window, has
    // stopped before they go.
    bool isRunning = false;
    std::vector<bool> seen;  // running before, clicked, running after, no new box
    std::atomic<bool> posted{false};
    PanelRig rig{kHoldLimits, kHoldPause};
    ASSERT_NO_FATAL_FAILURE(rig.start());
    ASSERT_NO_FATAL_FAILURE(rig.readRopRows());
    if (running.tab == kUserAuthTab) {
        rig.fillLoginChange();
    }
    rig.messages.clear();

    QAbstractButton* intruder = rig.find(target.tab, target.button);
    ASSERT_NE(intruder, nullptr);
    ASSERT_TRUE(intruder->isEnabled());
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(intruder);
    ASSERT_NE(access, nullptr);
    ASSERT_NE(access->actionInterface(), nullptr);
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
    rig.sim.setFault(kPanel, running.fault);
    rig.sim.setLogSink([&](const sim::ExchangeRecord&) {
        if (!posted.exchange(true)) {
            QMetaObject::invokeMethod(intruder, intrude, Qt::QueuedConnection);
        }
    });

    isRunning = true;
    ASSERT_NO_FATAL_FAILURE(rig.click(running.tab, running.button));
    isRunning = false;
    rig.sim.setLogSink({});
    QCoreApplication::processEvents();

    ASSERT_TRUE(posted);
    EXPECT_EQ(seen, std::vector<bool>(4, true));
    const QStringList shows = QString::fromLatin1(running.shows).split(u'|', Qt::SkipEmptyParts);
    EXPECT_EQ(rig.messages.texts(), std::vector<QString>(shows.begin(), shows.end()));
    const auto log = rig.sim.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].command, running.command);
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Intruder, bool>>& info) {
    const auto& [target, pressAction] = info.param;
    static const char* const kTabs[] = {"Configuration", "CameraList", "UserAuth", "RopList"};
    return testName(std::string(runningOperations()[target.running].name) + "_then_" +
                    kTabs[target.tab] + "_" + target.button +
                    (pressAction ? "_press_action" : "_click_call"));
}

INSTANTIATE_TEST_SUITE_P(WhileAnOperationRuns, NoReentry,
                         ::testing::Combine(::testing::ValuesIn(kIntruders), ::testing::Bool()),
                         caseName);

}  // namespace
}  // namespace trx::test
