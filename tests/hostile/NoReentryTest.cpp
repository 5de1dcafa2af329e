#include <QAccessible>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <ostream>
#include <string_view>
#include <vector>

#include "PanelRig.h"
#include "protocol/Commands.h"

// While one operation talks to a panel (or holds the connection-check pause), the window still
// serves assistive technology, queued calls and timers. A second operation started from any of
// them, on any page, must be refused without doing or showing anything.

namespace trx::test {
namespace {

using sim::Fault;

const ExchangeLimits kLimits{500ms, 300ms, 1500ms};
constexpr std::chrono::milliseconds kCheckPause{300};

struct RunningOperation {
    const char* name;
    int tab;
    const char* button;
    // Silent holds the exchange until the idle limit; the connection check needs no fault to
    // hold the window through its pause.
    Fault fault;
    std::string_view command;
    // What the operation itself shows: the reboot question, then its outcome.
    bool asksConsent;
    const char* outcome;
    void (*prepare)(PanelRig&);
};

void noPreparation(PanelRig&) {}

void loginChange(PanelRig& rig) {
    rig.fillLoginChange();
}

const std::vector<RunningOperation>& runningOperations() {
    static const std::vector<RunningOperation> table = {
        {"Configuration REFRESH", kConfigurationTab, "refreshButton", Fault::Silent,
         command::kSetDataRequest, false, "Command Error!!", noPreparation},
        {"Camera List REFRESH", kCameraListTab, "refreshButton", Fault::Silent,
         command::kCameraListRequest, false, "Command Error!!", noPreparation},
        {"UserAuth. SET", kUserAuthTab, "setButton", Fault::Silent, command::kAuthChange, true,
         "Socket error.", loginChange},
        // The panel's first sight of the check line comes after the tool has sent it, so the
        // intrusion lands in the pause.
        {"ROP List CONNECTION CHECK pause", kRopListTab, "trx1ConnectionCheckButton", Fault::None,
         command::kRopConnectionCheck, false, nullptr, noPreparation},
    };
    return table;
}

enum class Source { PressAction, DirectClick };

struct Intruder {
    std::size_t running;
    int tab;
    const char* button;
};

const char* const kTabNames[] = {"Configuration", "CameraList", "UserAuth", "RopList"};

// A second button on the running operation's own page, and buttons on other pages.
const Intruder kIntruders[] = {
    {0, kConfigurationTab, "setButton"},     {0, kCameraListTab, "initializeButton"},
    {0, kRopListTab, "registerButton"},      {1, kCameraListTab, "setButton"},
    {1, kUserAuthTab, "refreshButton"},      {2, kUserAuthTab, "refreshButton"},
    {2, kConfigurationTab, "setButton"},     {3, kRopListTab, "trx1ConnectionCheckButton"},
    {3, kRopListTab, "networkSearchButton"}, {3, kCameraListTab, "refreshButton"},
};

void PrintTo(const Intruder& intruder, std::ostream* os) {
    *os << runningOperations()[intruder.running].name << " then " << kTabNames[intruder.tab] << ' '
        << intruder.button;
}

void PrintTo(Source source, std::ostream* os) {
    *os << (source == Source::PressAction ? "press action" : "click()");
}

class NoReentry : public ::testing::TestWithParam<std::tuple<Intruder, Source>> {
  protected:
    // What the intrusion saw, filled on the window's thread from inside the running operation.
    struct Observed {
        bool operationRunning = false;
        bool intrudedWhileRunning = false;
        bool intruderClicked = false;
        bool stillRunningAfter = false;
        std::size_t boxesBefore = 0;
        std::size_t boxesAfter = 0;
    };

    void intrude(QAbstractButton* intruder, QAccessibleInterface* access, Source source,
                 QSignalSpy& clicked) {
        m_seen.intrudedWhileRunning = m_seen.operationRunning;
        m_seen.boxesBefore = m_rig.messages().shown().size();
        if (source == Source::PressAction) {
            access->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        } else {
            intruder->click();
        }
        // The press action clicks after a short animation, on the button's own timer.
        m_seen.intruderClicked = QTest::qWaitFor([&] { return !clicked.isEmpty(); }, 2000);
        m_seen.boxesAfter = m_rig.messages().shown().size();
        m_seen.stillRunningAfter = m_seen.operationRunning;
    }

    // Declared before the rig, so that the panels' thread, which posts into the window, has
    // stopped before they go.
    Observed m_seen;
    std::atomic<bool> m_posted{false};
    PanelRig m_rig{kLimits, kCheckPause};
};

TEST_P(NoReentry, SecondOperationFromAnySourceIsRefusedSilently) {
    const auto& [target, source] = GetParam();
    const RunningOperation& running = runningOperations()[target.running];
    ASSERT_NO_FATAL_FAILURE(m_rig.start());
    ASSERT_NO_FATAL_FAILURE(m_rig.readRopRows());
    running.prepare(m_rig);
    m_rig.messages().clear();
    m_rig.sim().clearLog();

    QAbstractButton* intruder = m_rig.find(target.tab, target.button);
    ASSERT_NE(intruder, nullptr);
    ASSERT_TRUE(intruder->isEnabled());
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(intruder);
    ASSERT_NE(access, nullptr);
    ASSERT_NE(access->actionInterface(), nullptr);
    QSignalSpy clicked(intruder, &QAbstractButton::clicked);

    // The panel's first sight of the command starts the intrusion, queued into the window's
    // thread while the operation waits.
    m_rig.sim().setFault(kPanel, running.fault);
    m_rig.sim().setLogSink(
        [this, intruder, access, source = source, &clicked](const sim::ExchangeRecord&) {
            if (m_posted.exchange(true)) {
                return;
            }
            QMetaObject::invokeMethod(
                &m_rig.top(),
                [this, intruder, access, source, &clicked] {
                    intrude(intruder, access, source, clicked);
                },
                Qt::QueuedConnection);
        });

    m_seen.operationRunning = true;
    ASSERT_NO_FATAL_FAILURE(m_rig.click(running.tab, running.button));
    m_seen.operationRunning = false;
    m_rig.sim().setLogSink({});
    QCoreApplication::processEvents();

    ASSERT_TRUE(m_posted);
    EXPECT_TRUE(m_seen.intrudedWhileRunning);
    EXPECT_TRUE(m_seen.intruderClicked);
    EXPECT_TRUE(m_seen.stillRunningAfter);
    EXPECT_EQ(m_seen.boxesAfter, m_seen.boxesBefore);
    std::vector<QString> own;
    if (running.asksConsent) {
        own.push_back(QStringLiteral("Do you agree to rebooting after data transfer?"));
    }
    if (running.outcome != nullptr) {
        own.push_back(QLatin1String(running.outcome));
    }
    EXPECT_EQ(m_rig.messages().texts(), own);
    const auto log = m_rig.sim().log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].command, running.command);
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Intruder, Source>>& info) {
    const auto& [target, source] = info.param;
    std::string name = std::string(runningOperations()[target.running].name) + "_then_" +
                       kTabNames[target.tab] + "_" + target.button +
                       (source == Source::PressAction ? "_press_action" : "_click_call");
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(WhileAnOperationRuns, NoReentry,
                         ::testing::Combine(::testing::ValuesIn(kIntruders),
                                            ::testing::Values(Source::PressAction,
                                                              Source::DirectClick)),
                         caseName);

}  // namespace
}  // namespace trx::test
