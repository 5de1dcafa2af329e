#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <iostream>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "PanelBehaviour.h"
#include "PanelRig.h"
#include "app/MessageBoxes.h"
#include "app/WaitDialog.h"
#include "camera/IPSetting.h"
#include "protocol/Checksum.h"
#include "protocol/Commands.h"

// Every operation that talks to a panel, against every way a panel can misbehave, each on a page
// of its own built fresh for the cell. Per cell: the message the page shows, the page's data kept
// or taken, what reached the panel, and how long the operation held the window.

namespace trx::test {
namespace {

using sim::Fault;
using Icon = MessageBoxes::Icon;

// A trickled camera table takes about a second at one byte a millisecond; the total limit leaves
// room for that on a busy machine.
const ExchangeLimits kLimits{500ms, 300ms, 2500ms};
constexpr std::chrono::milliseconds kCheckPause{100};
// Window work around the exchange (form reads, redraws) on a busy machine.
constexpr std::chrono::milliseconds kSlack{1000};

constexpr std::array kFaults = {
    Fault::None,
    Fault::RefuseConnection,
    Fault::NotAcknowledge,
    Fault::BadChecksum,
    Fault::EmptyReply,
    Fault::ShortReply,
    Fault::OversizeReply,
    Fault::Trickle,
    Fault::CloseAfterAcknowledge,
    Fault::AcknowledgeWithoutTrailer,
    Fault::Silent,
    Fault::Garbage,
};

enum class Shape { Request, Write, Notify };

// What the page is handed, whatever the panel did to produce it.
enum class Seen {
    Ok,  // the whole reply; a write's "WRITE OK"; a notify sent
    EmptyReply,
    ShortReply,  // 5 bytes that still sum to 0
    ConnectFailed,
    ChecksumFailed,
    ReceiveFailed,
    NotAcknowledged,
    ResultLost,  // the block went out, the result line never came
};

Seen seenFor(Shape shape, Fault fault) {
    if (fault == Fault::RefuseConnection) {
        return Seen::ConnectFailed;
    }
    switch (shape) {
        case Shape::Request:
            switch (fault) {
                case Fault::BadChecksum:
                case Fault::Garbage:
                    return Seen::ChecksumFailed;
                case Fault::EmptyReply:
                    return Seen::EmptyReply;
                case Fault::ShortReply:
                    return Seen::ShortReply;
                case Fault::Silent:
                    return Seen::ReceiveFailed;
                default:
                    // Write faults do not touch replies; an oversize reply is cut at 4096 bytes,
                    // which still sum to 0; a trickled one is assembled.
                    return Seen::Ok;
            }
        case Shape::Write:
            switch (fault) {
                case Fault::NotAcknowledge:
                case Fault::Garbage:
                    return Seen::NotAcknowledged;
                case Fault::EmptyReply:
                case Fault::AcknowledgeWithoutTrailer:
                case Fault::Silent:
                // The acknowledgement drowns in the bytes after it and never ends as a line.
                case Fault::OversizeReply:
                    return Seen::ReceiveFailed;
                case Fault::CloseAfterAcknowledge:
                    return Seen::ResultLost;
                default:
                    return Seen::Ok;
            }
        case Shape::Notify:
            break;
    }
    return Seen::Ok;
}

// How long the exchange may rightly wait for this panel: a panel that goes quiet costs the idle
// limit, one that keeps dribbling at most the total limit, any other answers at once.
std::chrono::milliseconds longestWait(Shape shape, Fault fault) {
    switch (fault) {
        case Fault::Silent:
            return kLimits.idle;
        case Fault::OversizeReply:
            return shape == Shape::Write ? kLimits.idle : 0ms;
        case Fault::Trickle:
            return kLimits.total;
        default:
            return 0ms;
    }
}

// Page data after the press: as it was before, or as a healthy panel leaves it.
enum class Data { Before, Clean };

struct Expect {
    QString text;  // empty: no message at all
    Icon icon = Icon::None;
    Data record = Data::Before;
    Data state = Data::Before;
    QString caption;  // empty: the application's name
};

Expect fails(const char* text, Data record = Data::Before, Data state = Data::Before,
             Icon icon = Icon::Error) {
    return {QLatin1String(text), icon, record, state, {}};
}
Expect takes() {
    return {{}, Icon::None, Data::Clean, Data::Clean, {}};
}
Expect written(const char* text, const char* caption = nullptr) {
    return {QLatin1String(text), Icon::None, Data::Clean, Data::Clean,
            caption ? QLatin1String(caption) : QString()};
}

struct Snapshot {
    std::string record;  // the page's panel data
    std::string state;   // search state, buttons, shared target table
};

struct Operation {
    const char* name;
    int tab;
    const char* button;
    Shape shape;
    std::string_view command;
    std::size_t blockSize;
    std::vector<QString> prompts;  // boxes before the exchange, answered OK
    void (*prepare)(PanelRig&);
    Snapshot (*snapshot)(PanelRig&);
    Expect (*expect)(Seen);
};

QString rebootQuestion() {
    return QStringLiteral("Do you agree to rebooting after data transfer?");
}

QString searchNote() {
    return QStringLiteral(
        "<Note>\r\nCCU IP/Remote IP\r\n : IP address and Port Number is detected "
        "automatically.\r\n\r\nCamcoder IP\r\n : IP address and Port Number need to be set "
        "manually.\r\n   Port Number = 49152 (default)");
}

// ---- Configuration ----

Snapshot configSnapshot(PanelRig& rig) {
    const auto index = [&](const char* name) {
        return std::to_string(rig.find<QComboBox>(kConfigurationTab, name)->currentIndex());
    };
    const auto on = [&](const char* name) {
        return rig.find<QRadioButton>(kConfigurationTab, name)->isChecked() ? "1" : "0";
    };
    return {rig.find<QLineEdit>(kConfigurationTab, "receivePortEdit")->text().toStdString() +
                " led " + index("ledBrightnessCombo") + " seg " + index("segmentBrightnessCombo") +
                " radios " + on("buzzerOnRadio") + on("buzzerOffRadio") + on("flareRadio") +
                on("pedRadio") + on("tallyOnRadio") + on("tallyOffRadio") + " input " +
                index("tallyInputCombo"),
            {}};
}

void configPanelDiffers(PanelRig& rig) {
    // Port 35300, LED 1, segments 0, buzzer off, PED, tally off, Cam5: nothing as the page starts.
    rig.changePanel([](sim::PanelState& s) {
        s.settings = {0x89, 0xE4, 0x01, 0x00, 0x01, 0x01, 0x00, 0x04, 0x00};
    });
}

void configUserEdits(PanelRig& rig) {
    rig.click(kConfigurationTab, "buzzerOffRadio");
}

// ---- Camera List ----

namespace cl = sim::camera_layout;

std::string cameraState(PanelRig& rig) {
    const auto on = [&](const char* name) { return rig.find(kCameraListTab, name)->isEnabled(); };
    const auto& form = rig.page<IPSetting>(kCameraListTab).form();
    return "search " + std::to_string(form.searchState()) + " cancel " +
           std::to_string(on("cancelButton")) + " refresh " + std::to_string(on("refreshButton")) +
           " initialize " + std::to_string(on("initializeButton"));
}

Snapshot cameraSnapshot(PanelRig& rig) {
    return {hex(rig.page<IPSetting>(kCameraListTab).form().table().bytes()), cameraState(rig)};
}

// The page reads an IP Mode list with one remote camera, then the panel's stored list changes,
// so that a later read shows whether the page took it.
void cameraRead(PanelRig& rig) {
    rig.changePanel([](sim::PanelState& s) {
        s.cameraTable[cl::kModeCode] = 3;  // IP Mode, RemoteCamera
        std::fill_n(s.cameraTable.begin() + cl::kType, cl::kRows, std::uint8_t{0});
        s.cameraTable[cl::kType] = 4;  // C01 "Remote IP"
    });
    rig.click(kCameraListTab, "refreshButton");
    ASSERT_TRUE(rig.messages().shown().empty());
    rig.changePanel([](sim::PanelState& s) {
        s.cameraTable[cl::kIpPort + 6 * 5 + 3] = 99;
        s.cameraTable[cl::kModel] = 'Z';
    });
}

void cameraSearchPending(PanelRig& rig) {
    cameraRead(rig);
    rig.click(kCameraListTab, "networkSearchButton");
    ASSERT_EQ(rig.messages().texts(), std::vector<QString>{searchNote()});
    ASSERT_TRUE(rig.find(kCameraListTab, "cancelButton")->isEnabled());
}

// ---- ROP List ----

Snapshot ropSnapshot(PanelRig& rig) {
    const RopTable& table = rig.rop().ropTable();
    const auto words = [](const auto& addresses) {
        std::string text;
        for (const PanelAddress a : addresses) {
            text += addressText(a) + ' ';
        }
        return text;
    };
    const TargetSelection& selection = rig.selection();
    return {hex(table.block) + " rows " + words(table.address) + words(table.subnetMask) +
                words(table.gateway),
            words(selection.panelAddressTable()) + "target " +
                addressText(selection.currentTarget()) + " waiting " +
                std::to_string(rig.rop().findChild<Wait_Dialog*>()->isVisible())};
}

void ropRows(PanelRig& rig) {
    rig.readRopRows();
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

// ---- UserAuth. ----

Snapshot authSnapshot(PanelRig& rig) {
    std::string text;
    for (const char* name : {"oldUserNameEdit", "newUserNameEdit", "oldPasswordEdit",
                             "newPasswordEdit", "retypeNewPasswordEdit"}) {
        text += rig.find<QLineEdit>(kUserAuthTab, name)->text().toStdString() + '|';
    }
    return {text, {}};
}

void authPanelDiffers(PanelRig& rig) {
    rig.changePanel([](sim::PanelState& s) {
        s.credentials = {};
        std::copy_n("operator", 8, s.credentials.begin());
        std::copy_n("secret1", 7, s.credentials.begin() + 33);
    });
}

void authUserFills(PanelRig& rig) {
    rig.showTab(kUserAuthTab);
    rig.fillLoginChange();
}

// ---- What each page makes of what it was handed ----

Expect configRead(Seen s) {
    switch (s) {
        case Seen::ConnectFailed:
            return fails("Not connected.");
        case Seen::Ok:
            return takes();
        default:
            // Short and empty replies hold no settings.
            return fails("Command Error!!");
    }
}

Expect configWrite(Seen s) {
    // The form keeps what the operator entered, whatever the panel did.
    switch (s) {
        case Seen::ConnectFailed:
            return fails("Not connected.");
        case Seen::NotAcknowledged:
            return fails("Command error.");
        case Seen::Ok:
            return {QStringLiteral("Write OK."), Icon::None, Data::Before, Data::Before, {}};
        default:
            return fails("Socket error.");
    }
}

Expect cameraRefresh(Seen s) {
    switch (s) {
        case Seen::ConnectFailed:
            return fails("No Connect!!");
        case Seen::Ok:
            return takes();
        default:
            return fails("Command Error!!");
    }
}

Expect cameraSearch(Seen s) {
    switch (s) {
        case Seen::ConnectFailed:
            return fails("No Connect!!");
        case Seen::Ok:
            return takes();
        case Seen::EmptyReply:
            // The table stays, yet the search counts as done and waits for SET.
            return {{}, Icon::None, Data::Before, Data::Clean, {}};
        default:
            // A cut reply is no table: none of its bytes may mix with the page's.
            return fails("Command Error!!");
    }
}

Expect cameraCancel(Seen s) {
    // The search is left whether or not the read works.
    switch (s) {
        case Seen::ConnectFailed:
            return fails("No Connect!!", Data::Before, Data::Clean);
        case Seen::Ok:
            return takes();
        default:
            return fails("Command Error!!", Data::Before, Data::Clean);
    }
}

Expect cameraWrite(Seen s) {
    // The page keeps the table as it sent it, whatever the panel did.
    switch (s) {
        case Seen::ConnectFailed:
            return fails("No Connect!!", Data::Clean, Data::Clean);
        case Seen::NotAcknowledged:
            return fails("Command Error!!", Data::Clean, Data::Clean);
        case Seen::Ok:
            return written("Write OK", "Status");
        default:
            return fails("Socket Error!!", Data::Clean, Data::Clean);
    }
}

Expect cameraInitialize(Seen s) {
    switch (s) {
        case Seen::ConnectFailed:
            return fails("No Connect!!");
        case Seen::Ok:
            return written("Write OK", "Status");
        default:
            return fails("Command Error!!");
    }
}

Expect ropRead(Seen s) {
    switch (s) {
        case Seen::ConnectFailed:
            return fails("No Connect!!");
        case Seen::Ok:
            return takes();
        default:
            return fails("Command Error.");
    }
}

Expect ropRegister(Seen s) {
    if (s == Seen::Ok) {
        return takes();
    }
    return fails("Not registered:\r\n TRX1", Data::Clean, Data::Clean, Icon::Warning);
}

Expect ropCheck(Seen s) {
    return s == Seen::ConnectFailed ? fails("Not connected.") : Expect{};
}

// The UserAuth. page words its failures as the Configuration page does.
Expect authRead(Seen s) {
    return s == Seen::Ok ? takes() : configRead(s);
}

Expect authWrite(Seen s) {
    // The pair just tried becomes the form's old login whatever the panel did.
    Expect e = s == Seen::Ok ? written("Write OK.", "Status") : configWrite(s);
    e.record = Data::Clean;
    return e;
}

const std::vector<Operation>& operations() {
    namespace c = command;
    const std::vector<QString> none;
    const std::vector<QString> consent{rebootQuestion()};
    const std::vector<QString> note{searchNote()};
    static const std::vector<Operation> table = {
        {"Configuration REFRESH", kConfigurationTab, "refreshButton", Shape::Request,
         c::kSetDataRequest, 0, none, configPanelDiffers, configSnapshot, configRead},
        {"Configuration SET", kConfigurationTab, "setButton", Shape::Write, c::kSetDataChange, 9,
         consent, configUserEdits, configSnapshot, configWrite},
        {"Camera List REFRESH", kCameraListTab, "refreshButton", Shape::Request,
         c::kCameraListRequest, 0, none, cameraRead, cameraSnapshot, cameraRefresh},
        {"Camera List NETWORK SEARCH", kCameraListTab, "networkSearchButton", Shape::Request,
         c::kSearchStartRemoteCamera, 0, note, cameraRead, cameraSnapshot, cameraSearch},
        {"Camera List CANCEL", kCameraListTab, "cancelButton", Shape::Request,
         c::kCameraListRequest, 0, none, cameraSearchPending, cameraSnapshot, cameraCancel},
        {"Camera List SET", kCameraListTab, "setButton", Shape::Write, c::kCameraListChange, 670,
         consent, cameraRead, cameraSnapshot, cameraWrite},
        {"Camera List INITIALIZE", kCameraListTab, "initializeButton", Shape::Request,
         c::kCameraListInitialize, 0, consent, cameraRead, cameraSnapshot, cameraInitialize},
        {"ROP List NETWORK SEARCH", kRopListTab, "networkSearchButton", Shape::Request,
         c::kRopListRequest, 0, none, ropPanelListGrows, ropSnapshot, ropRead},
        {"ROP List REGISTER", kRopListTab, "registerButton", Shape::Write, c::kRopListChange, 2,
         none, ropRows, ropSnapshot, ropRegister},
        {"ROP List CONNECTION CHECK", kRopListTab, "trx1ConnectionCheckButton", Shape::Notify,
         c::kRopConnectionCheck, 0, none, ropRows, ropSnapshot, ropCheck},
        {"UserAuth. REFRESH", kUserAuthTab, "refreshButton", Shape::Request, c::kAuthRequest, 0,
         none, authPanelDiffers, authSnapshot, authRead},
        {"UserAuth. SET", kUserAuthTab, "setButton", Shape::Write, c::kAuthChange, 68, consent,
         authUserFills, authSnapshot, authWrite},
    };
    return table;
}

// ---- The printed matrix ----

std::string iconName(Icon icon) {
    switch (icon) {
        case Icon::None:
            return "no icon";
        case Icon::Error:
            return "error";
        case Icon::Warning:
            return "warning";
        case Icon::Information:
            return "information";
    }
    return "?";
}

std::string boxText(const FakeMessageBoxes::Shown& box) {
    std::string text = box.text.toStdString();
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
        text.replace(at, 2, " / ");
    }
    return "\"" + text + "\" (" + iconName(box.icon) + ")";
}

struct Cell {
    std::vector<std::string> seen;
    bool failed = false;
};

std::map<std::pair<std::size_t, std::size_t>, Cell>& matrix() {
    static std::map<std::pair<std::size_t, std::size_t>, Cell> cells;
    return cells;
}

// Prints operation x fault -> message seen once every cell has run; each distinct message gets
// a letter, listed under the table.
class MatrixPrinter final : public ::testing::Environment {
  public:
    void TearDown() override {
        if (matrix().empty()) {
            return;
        }
        std::vector<std::string> legend;
        const auto letter = [&legend](const std::string& message) {
            auto it = std::find(legend.begin(), legend.end(), message);
            if (it == legend.end()) {
                legend.push_back(message);
                it = legend.end() - 1;
            }
            return std::string(1, static_cast<char>('A' + (it - legend.begin())));
        };
        std::cout << "\nHostile-panel matrix (- no message; ! cell failed)\n\n| "
                     "operation |";
        for (const Fault fault : kFaults) {
            std::cout << ' ' << sim::faultName(fault) << " |";
        }
        std::cout << "\n|---|";
        for (std::size_t f = 0; f < kFaults.size(); ++f) {
            std::cout << "---|";
        }
        std::cout << '\n';
        for (std::size_t o = 0; o < operations().size(); ++o) {
            std::cout << "| " << operations()[o].name << " |";
            for (std::size_t f = 0; f < kFaults.size(); ++f) {
                const auto it = matrix().find({o, f});
                std::string text;
                if (it == matrix().end()) {
                    text = " ";
                } else {
                    for (const std::string& message : it->second.seen) {
                        text += letter(message);
                    }
                    text = text.empty() ? "-" : text;
                    text += it->second.failed ? "!" : "";
                }
                std::cout << ' ' << text << " |";
            }
            std::cout << '\n';
        }
        std::cout << '\n';
        for (std::size_t i = 0; i < legend.size(); ++i) {
            std::cout << static_cast<char>('A' + i) << ": " << legend[i] << '\n';
        }
        std::cout << std::flush;
    }
};

[[maybe_unused]] ::testing::Environment* const kPrinter =
    ::testing::AddGlobalTestEnvironment(new MatrixPrinter);

// ---- The cells ----

// Cells the product gets wrong today, with what goes wrong. The cell still runs and shows in the
// printed matrix; remove the entry once the page is fixed.
struct Pressed {
    Snapshot before;
    Snapshot after;
    std::chrono::milliseconds elapsed{};
    std::vector<FakeMessageBoxes::Shown> boxes;
};

// Prepares the page on a healthy panel, turns the fault on and presses the button once.
void press(PanelRig& rig, const Operation& op, Fault fault, Pressed& run) {
    ASSERT_NO_FATAL_FAILURE(rig.start());
    ASSERT_NO_FATAL_FAILURE(op.prepare(rig));
    rig.messages().clear();
    rig.sim().clearLog();
    rig.showTab(op.tab);
    run.before = op.snapshot(rig);
    rig.sim().setFault(kPanel, fault);

    QElapsedTimer clock;
    clock.start();
    ASSERT_NO_FATAL_FAILURE(rig.click(op.tab, op.button));
    run.elapsed = std::chrono::milliseconds(clock.elapsed());
    run.after = op.snapshot(rig);
    run.boxes = rig.messages().shown();
}

// The page's data after a healthy panel's run, worked out once per operation unless the healthy
// cell itself has run.
const Snapshot& cleanAfter(std::size_t index, const Snapshot* healthy) {
    static std::map<std::size_t, Snapshot> cache;
    auto it = cache.find(index);
    if (healthy != nullptr) {
        it = cache.insert_or_assign(index, *healthy).first;
    } else if (it == cache.end()) {
        PanelRig rig(kLimits, kCheckPause, operations()[index].tab);
        Pressed run;
        press(rig, operations()[index], Fault::None, run);
        it = cache.emplace(index, run.after).first;
    }
    return it->second;
}

class HostilePanel : public ::testing::TestWithParam<std::tuple<std::size_t, std::size_t>> {};

TEST_P(HostilePanel, ReportsKeepsDataSendsNothingMoreAndReturnsInTime) {
    const auto [opIndex, faultIndex] = GetParam();
    const Operation& op = operations()[opIndex];
    const Fault fault = kFaults[faultIndex];
    const Seen seen = seenFor(op.shape, fault);
    const Expect expect = op.expect(seen);
    Cell& cell = matrix()[{opIndex, faultIndex}];
    cell.failed = true;

    PanelRig rig(kLimits, kCheckPause, op.tab);
    Pressed run;
    ASSERT_NO_FATAL_FAILURE(press(rig, op, fault, run));
    const std::size_t promptCount = std::min(op.prompts.size(), run.boxes.size());
    for (std::size_t i = promptCount; i < run.boxes.size(); ++i) {
        cell.seen.push_back(boxText(run.boxes[i]));
    }

    // The operation's own questions come first and are the only other boxes.
    for (std::size_t i = 0; i < op.prompts.size(); ++i) {
        ASSERT_LT(i, run.boxes.size());
        EXPECT_EQ(run.boxes[i].text, op.prompts[i]);
    }
    const std::vector<FakeMessageBoxes::Shown> shown(
        run.boxes.begin() + static_cast<std::ptrdiff_t>(promptCount), run.boxes.end());
    if (expect.text.isEmpty()) {
        EXPECT_TRUE(shown.empty()) << boxText(shown.front());
    } else {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, expect.text);
        EXPECT_EQ(shown[0].icon, expect.icon);
        EXPECT_EQ(shown[0].caption,
                  expect.caption.isEmpty() ? applicationCaption() : expect.caption);
    }

    const Snapshot& clean = cleanAfter(opIndex, fault == Fault::None ? &run.after : nullptr);
    EXPECT_EQ(run.after.record, expect.record == Data::Before ? run.before.record : clean.record);
    EXPECT_EQ(run.after.state, expect.state == Data::Before ? run.before.state : clean.state);

    const auto limit =
        longestWait(op.shape, fault) + kSlack + (op.shape == Shape::Notify ? kCheckPause : 0ms);
    EXPECT_LT(run.elapsed.count(), limit.count());

    // One exchange, or none where nothing listens; a block only after a real acknowledgement.
    const std::size_t exchanges = fault == Fault::RefuseConnection ? 0 : 1;
    EXPECT_TRUE(QTest::qWaitFor([&] { return rig.sim().log().size() >= exchanges; }, 2000));
    const auto log = rig.sim().log();
    ASSERT_EQ(log.size(), exchanges);
    if (exchanges == 1) {
        EXPECT_EQ(log[0].command, op.command);
        if (op.shape == Shape::Write && (seen == Seen::Ok || seen == Seen::ResultLost)) {
            EXPECT_EQ(log[0].block.size(), op.blockSize);
            EXPECT_TRUE(checksumHolds(log[0].block));
        } else {
            EXPECT_TRUE(log[0].block.empty()) << log[0].answer;
        }
    }
    if (!HasFailure()) {
        cell.failed = false;
    }
}

std::string cellName(const ::testing::TestParamInfo<std::tuple<std::size_t, std::size_t>>& info) {
    std::string name = std::string(operations()[std::get<0>(info.param)].name) + "_" +
                       std::string(sim::faultName(kFaults[std::get<1>(info.param)]));
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryOperationEveryFault, HostilePanel,
                         ::testing::Combine(::testing::Range<std::size_t>(0, operations().size()),
                                            ::testing::Range<std::size_t>(0, kFaults.size())),
                         cellName);

}  // namespace
}  // namespace trx::test
