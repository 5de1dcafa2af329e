#include <numeric>

#include "camera/CameraPageFixture.h"
#include "protocol/Checksum.h"
#include "protocol/Commands.h"

namespace trx::test {
namespace {

constexpr int kRows = CameraTable::kRowCount;

const QString kCommandError = QStringLiteral("Command Error!!");
const QString kNoConnect = QStringLiteral("No Connect!!");
const QString kSocketError = QStringLiteral("Socket Error!!");
const QString kReboot = QStringLiteral("Do you agree to rebooting after data transfer?");
const QString kNoCamera =
    QStringLiteral("One or more cameras should be set\r\nexcept for \"NoAsign\"");

std::string line(std::string_view text) {
    return std::string(text);
}

// A stored list in IP Mode (RemoteCamera) with a camera in C02, C05 and C09, MACs and model
// names on every row, and marks in bytes the tool does not interpret.
CameraTable storedList() {
    CameraTable t = CameraTable::defaults();
    t.setModeCode(3);
    t.setTypeCode(0, 0);
    t.setTypeCode(1, camera_type::kRemoteIp);
    t.setTypeCode(4, camera_type::kRemoteSerial);
    t.setTypeCode(8, camera_type::kCamcorderIp);
    for (int row = 0; row < kRows; ++row) {
        const auto r = static_cast<std::uint8_t>(row);
        for (std::size_t k = 0; k < 6; ++k) {
            t.bytes()[12 + 6 * static_cast<std::size_t>(row) + k] =
                static_cast<std::uint8_t>(0xA0 + r);
        }
        const std::string model = "RC-" + std::to_string(row + 100);
        std::copy(model.begin(), model.end(), t.bytes().begin() + 439 + 9 * row);
        t.bytes()[240 + 4 * static_cast<std::size_t>(row) + 3] = static_cast<std::uint8_t>(r + 1);
    }
    t.setRowPort(8, 49152);
    t.bytes()[648 + 1] = 0x81;
    t.bytes()[648 + 8] = 0x40;
    t.bytes()[433] = 0x33;
    t.bytes()[620] = 0x44;
    t.bytes()[669] = 0x5A;
    t.seal();
    return t;
}

CameraTable sealedCopy(CameraTable t) {
    t.seal();
    return t;
}

unsigned sumOf(const Bytes& bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), 0u) % 256u;
}

class CameraExchange : public CameraPage {
  protected:
    // SET with every confirmation answered OK; the one block the panel received.
    Bytes setAndTakeBlock() {
        sim.clearLog();
        messages.clear();
        click("setButton");
        const auto log = received();
        EXPECT_EQ(log.size(), 1u);
        return log.empty() ? Bytes{} : log.back().block;
    }

    void search() { click("networkSearchButton"); }
};

TEST_F(CameraExchange, RefreshShowsTheStoredListByteForByte) {
    const CameraTable stored = storedList();
    panelHolds(stored);
    EXPECT_EQ(table(), stored);
    EXPECT_TRUE(find<QRadioButton>("remoteCameraRadio")->isChecked());
    EXPECT_EQ(typeList(4)->currentText(), QStringLiteral("Remote Serial"));
    EXPECT_EQ(typeList(0)->count(), 4);
    EXPECT_EQ(macField(3)->text(), QStringLiteral("A3:A3:A3:A3:A3:A3"));
    EXPECT_EQ(modelField(3)->text(), QStringLiteral("RC-103"));
    EXPECT_EQ(portField(8)->text(), QStringLiteral("49152"));
    EXPECT_FALSE(rowLabel(1)->autoFillBackground());  // marks light only while a search is pending
}

struct ReadFailure {
    sim::Fault fault;
    QString message;
    bool redrawn;  // the controls are drawn again from the unchanged table
};

class CameraRefreshFailure : public CameraExchange,
                             public ::testing::WithParamInterface<ReadFailure> {};

TEST_P(CameraRefreshFailure, TellsAndKeepsTheTable) {
    click("ipModeRadio");
    retype(portField(3), QStringLiteral("4321"));
    const CameraTable before = table();
    sim.setFault(kPanel, GetParam().fault);
    click("refreshButton");
    expectOnlyMessage(GetParam().message, Icon::Error);
    EXPECT_EQ(table(), before);
    EXPECT_EQ(portField(3)->text(),
              GetParam().redrawn ? QStringLiteral("80") : QStringLiteral("4321"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CameraRefreshFailure,
    ::testing::Values(ReadFailure{sim::Fault::RefuseConnection, kNoConnect, false},
                      ReadFailure{sim::Fault::BadChecksum, kCommandError, true},
                      ReadFailure{sim::Fault::Silent, kCommandError, true},
                      ReadFailure{sim::Fault::ShortReply, kCommandError, true},
                      ReadFailure{sim::Fault::EmptyReply, kCommandError, true}));

TEST_F(CameraExchange, SearchSendsStartThenRetryAndCancelStartsOver) {
    click("ipModeRadio");
    click("remoteCameraRadio");
    search();
    search();
    click("cancelButton");
    // The stored list read back by CANCEL is in Serial Mode: back to IP Mode to search again.
    ASSERT_FALSE(find<QPushButton>("networkSearchButton")->isEnabled());
    click("ipModeRadio");
    click("remoteCameraRadio");
    search();
    EXPECT_EQ(commands(),
              (std::vector<std::string>{
                  line(command::kSearchStartRemoteCamera), line(command::kSearchRetryRemoteCamera),
                  line(command::kCameraListRequest), line(command::kSearchStartRemoteCamera)}));
    const auto& note = messages.shown().front();
    EXPECT_EQ(note.caption, QStringLiteral("QL-TRX900 Setup Software"));
    EXPECT_EQ(note.icon, Icon::None);
    EXPECT_EQ(note.buttons, MessageBoxes::Buttons::Ok);
    EXPECT_TRUE(
        note.text.startsWith(QStringLiteral("<Note>\r\nCCU IP/Remote IP\r\n : IP address")));
    EXPECT_TRUE(note.text.endsWith(QStringLiteral("\r\n   Port Number = 49152 (default)")));
}

TEST_F(CameraExchange, AFailedSearchLeavesAPendingResultPending) {
    click("ipModeRadio");
    click("camcorderRadio");
    search();
    sim.setFault(kPanel, sim::Fault::RefuseConnection);
    search();
    EXPECT_EQ(messages.texts().back(), kNoConnect);
    sim.setFault(kPanel, sim::Fault::None);
    search();
    const auto sent = commands();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], command::kSearchRetryCamcorder);
}

TEST_F(CameraExchange, SearchTakesThePanelsTableButKeepsThePagesMode) {
    click("ipModeRadio");
    click("camcorderRadio");
    search();
    // The panel sent its search result sealed; the page keeps it but for its own mode code.
    CameraTable expected =
        sealedCopy(*CameraTable::fromReply(sim.state(kPanel).pendingCameraTable));
    ASSERT_EQ(expected.modeCode(), 0);
    expected.setModeCode(5);
    EXPECT_EQ(table(), expected);
    EXPECT_TRUE(find<QRadioButton>("camcorderRadio")->isChecked());
    // The built-in network has two camcorders; they land in the free rows C02 and C03, marked.
    EXPECT_EQ(typeList(0)->currentText(), QStringLiteral("Camcoder Serial"));
    EXPECT_EQ(typeList(1)->currentText(), QStringLiteral("Camcoder IP"));
    EXPECT_EQ(modelField(2)->text(), QStringLiteral("CAM-X5"));
    EXPECT_TRUE(rowLabel(1)->autoFillBackground());
    EXPECT_EQ(rowLabel(1)->palette().color(QPalette::Window), QColor(Qt::yellow));
    EXPECT_TRUE(rowLabel(2)->autoFillBackground());
    EXPECT_FALSE(rowLabel(0)->autoFillBackground());
    EXPECT_FALSE(rowLabel(3)->autoFillBackground());
    EXPECT_TRUE(find<QPushButton>("cancelButton")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("refreshButton")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("initializeButton")->isEnabled());
    EXPECT_EQ(page->form().searchState(), 2);

    click("cancelButton");
    EXPECT_FALSE(rowLabel(0)->autoFillBackground());
    EXPECT_FALSE(find<QPushButton>("cancelButton")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("refreshButton")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("initializeButton")->isEnabled());
}

TEST_F(CameraExchange, OnlyTheFirstFlaggedDuplicateIsReported) {
    changePanel([](sim::PanelState& s) {
        sim::NetworkCamera a;
        a.family = 1;
        a.typeCode = 4;
        a.mac = {2, 0, 0, 0, 0, 1};
        a.address = makeAddress(10, 1, 1, 50);
        sim::NetworkCamera b = a;
        b.mac[5] = 2;
        sim::NetworkCamera c = a;
        c.mac[5] = 3;
        c.address = makeAddress(10, 1, 1, 60);
        sim::NetworkCamera d = c;
        d.mac[5] = 4;
        s.network = {a, b, c, d};
    });
    click("ipModeRadio");
    click("remoteCameraRadio");
    search();
    const auto texts = messages.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], QStringLiteral("IP(10.1.1.50) Duplication"));
    EXPECT_EQ(messages.shown()[1].icon, Icon::Error);
    EXPECT_EQ(page->form().searchState(), 2);  // a finding, not a failure
}

TEST_F(CameraExchange, AnEmptySearchReplyStillEntersThePendingState) {
    click("ipModeRadio");
    const CameraTable before = table();
    sim.setFault(kPanel, sim::Fault::EmptyReply);
    search();
    EXPECT_EQ(messages.texts().size(), 1u);  // the note only
    EXPECT_EQ(table(), before);
    EXPECT_TRUE(find<QPushButton>("cancelButton")->isEnabled());
}

TEST_F(CameraExchange, WhilePendingATypeChoiceSpringsBack) {
    click("ipModeRadio");
    search();
    const CameraTable before = table();
    ASSERT_EQ(typeList(5)->currentText(), QStringLiteral("NoAsign"));
    choose(typeList(5), QStringLiteral("Remote IP"));
    EXPECT_EQ(typeList(5)->currentText(), QStringLiteral("NoAsign"));
    EXPECT_EQ(table(), before);
}

TEST_F(CameraExchange, SwapMovesTheCameraAndLeavesMasksAndGateways) {
    const CameraTable stored = storedList();
    panelHolds(stored);
    choose(swapList(1), QStringLiteral("C09"));
    CameraTable expected = stored;
    expected.swapRows(1, 8);
    EXPECT_EQ(table(), expected);
    EXPECT_EQ(table().statusFlags(8), 0x81);
    EXPECT_EQ(table().bytes()[240 + 4 * 1 + 3], 2);  // C02's mask stays
    EXPECT_EQ(typeList(1)->currentText(), QStringLiteral("Camcoder IP"));
    EXPECT_EQ(typeList(8)->currentText(), QStringLiteral("Remote IP"));
    EXPECT_EQ(macField(1)->text(), QStringLiteral("A8:A8:A8:A8:A8:A8"));
    EXPECT_EQ(modelField(8)->text(), QStringLiteral("RC-101"));
    EXPECT_EQ(portField(1)->text(), QStringLiteral("49152"));
    EXPECT_EQ(swapList(1)->currentIndex(), -1);
    EXPECT_EQ(swapList(8)->currentIndex(), -1);
}

TEST_F(CameraExchange, SetRefusesATableWithoutCameraBeforeReadingTheForm) {
    click("ipModeRadio");
    portField(0)->clear();  // a read would complain about it
    sim.clearLog();
    click("setButton");
    expectOnlyMessage(kNoCamera, Icon::Error);
    EXPECT_TRUE(received().empty());
}

TEST_F(CameraExchange, SetRefusesTheTargetPanelsAddressAndDuplicateRows) {
    click("ipModeRadio");
    choose(typeList(0), QStringLiteral("CCU IP"));
    typeAddress(5, QStringLiteral("127.0.0.3"));
    sim.clearLog();
    click("setButton");
    expectOnlyMessage(QStringLiteral("IP(127.0.0.3) Duplication"), Icon::Error);
    messages.clear();
    typeAddress(5, QStringLiteral("192.168.0.40"));
    typeAddress(17, QStringLiteral("192.168.0.40"));  // two NoAsign rows
    click("setButton");
    expectOnlyMessage(QStringLiteral("IP(192.168.0.40) Duplication"), Icon::Error);
    EXPECT_TRUE(received().empty());
}

struct NetworkCase {
    const char* address;
    const char* port;
    bool accepted;
};

class CameraSetNetworkCheck : public CameraExchange,
                              public ::testing::WithParamInterface<NetworkCase> {};

TEST_P(CameraSetNetworkCheck, RefusesOrWritesTheRow) {
    const NetworkCase c = GetParam();
    click("ipModeRadio");
    choose(typeList(2), QStringLiteral("CCU IP"));
    typeAddress(2, QString::fromLatin1(c.address));
    retype(portField(2), QString::fromLatin1(c.port));
    sim.clearLog();
    messages.clear();
    click("setButton");
    if (!c.accepted) {
        expectOnlyMessage(QStringLiteral("Unavailable network setting!\r\n C03"), Icon::Warning);
        EXPECT_TRUE(received().empty());
        return;
    }
    ASSERT_EQ(messages.texts().back(), QStringLiteral("Write OK"));
    const auto log = received();
    ASSERT_EQ(log.size(), 1u);
    const auto written = CameraTable::fromReply(log[0].block);
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(addressText(written->rowAddress(2)), c.address);
    EXPECT_EQ(std::to_string(written->rowPort(2)), c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CameraSetNetworkCheck,
    ::testing::Values(
        NetworkCase{"10.0.0.255", "80", false}, NetworkCase{"224.1.1.1", "80", false},
        NetworkCase{"127.0.0.1", "80", false}, NetworkCase{"127.0.0.2", "80", true},
        NetworkCase{"192.168.0.12", "0", false}, NetworkCase{"192.168.0.12", "21", false},
        NetworkCase{"192.168.0.12", "995", false}, NetworkCase{"192.168.0.12", "10670", false},
        NetworkCase{"192.168.0.12", "70000", false}, NetworkCase{"192.168.0.12", "1", true},
        NetworkCase{"192.168.0.12", "80", true}, NetworkCase{"192.168.0.12", "1024", true},
        NetworkCase{"192.168.0.12", "49152", true}, NetworkCase{"192.168.0.12", "65535", true}));

TEST_F(CameraExchange, SevenFailingRowsGiveTwoLinesOfLabels) {
    click("ipModeRadio");
    choose(typeList(0), QStringLiteral("CCU IP"));
    for (int row : {1, 2, 3, 4, 6, 10, 18}) {
        retype(portField(row), QStringLiteral("23"));
    }
    click("setButton");
    expectOnlyMessage(
        QStringLiteral("Unavailable network setting!\r\n C02/ C03/ C04/ C05/ C07\r\n C11/ C19"),
        Icon::Warning);
}

TEST_F(CameraExchange, SetWritesTheSealedTableWithNonIpMacsCleared) {
    const CameraTable stored = storedList();
    panelHolds(stored);
    const Bytes block = setAndTakeBlock();
    ASSERT_EQ(block.size(), CameraTable::kSize);
    EXPECT_EQ(sumOf(block), 0u);
    EXPECT_EQ(block[669], 0x5A);
    EXPECT_EQ(received().front().command, command::kCameraListChange);
    CameraTable expected = stored;
    for (int row = 0; row < kRows; ++row) {
        if (row != 1 && row != 8) {
            expected.clearRowMac(row);
        }
    }
    expected.seal();
    EXPECT_EQ(Bytes(expected.bytes().begin(), expected.bytes().end()), block);
    EXPECT_EQ(macField(4)->text(), QStringLiteral("00:00:00:00:00:00"));
    EXPECT_EQ(macField(8)->text(), QStringLiteral("A8:A8:A8:A8:A8:A8"));
    // Camcoder IP in C09: the firmware notice, then the reboot consent, then the result.
    const auto& shown = messages.shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_TRUE(shown[0].text.startsWith(
        QStringLiteral("Please make sure that firmware version of QL-TRX900\r\n(Remote")));
    EXPECT_EQ(shown[0].buttons, MessageBoxes::Buttons::OkCancel);
    EXPECT_EQ(shown[0].icon, Icon::Warning);
    EXPECT_EQ(shown[1].text, kReboot);
    EXPECT_EQ(shown[2].text, QStringLiteral("Write OK"));
    EXPECT_EQ(shown[2].caption, QStringLiteral("Status"));
    EXPECT_EQ(shown[2].icon, Icon::None);
}

TEST_F(CameraExchange, CancellingAConfirmationSendsNothing) {
    panelHolds(storedList());
    for (const auto& answers :
         {std::vector<Answer>{Answer::Cancel}, std::vector<Answer>{Answer::Ok, Answer::Cancel}}) {
        messages.clear();
        for (Answer a : answers) {
            messages.script({a});
        }
        click("setButton");
        EXPECT_EQ(messages.shown().size(), answers.size());
    }
    messages.script({Answer::Cancel});
    click("initializeButton");
    EXPECT_TRUE(received().empty());
}

TEST_F(CameraExchange, AfterASearchSetConfirmsItOnceEvenIfTheWriteFailed) {
    click("ipModeRadio");
    click("camcorderRadio");
    search();
    sim.setFault(kPanel, sim::Fault::CloseAfterAcknowledge);
    sim.clearLog();
    messages.clear();
    click("setButton");
    EXPECT_EQ(messages.texts().back(), kSocketError);
    EXPECT_EQ(page->form().searchState(), 0);
    sim.setFault(kPanel, sim::Fault::None);
    click("setButton");
    EXPECT_EQ(commands(), (std::vector<std::string>{line(command::kCameraListKeepSet),
                                                    line(command::kCameraListChange)}));
    EXPECT_EQ(messages.texts().back(), QStringLiteral("Write OK"));
}

TEST_F(CameraExchange, ASetThatCannotConnectKeepsTheSearchPending) {
    click("ipModeRadio");
    click("camcorderRadio");
    search();
    sim.setFault(kPanel, sim::Fault::RefuseConnection);
    messages.clear();
    click("setButton");
    EXPECT_EQ(messages.texts().back(), kNoConnect);
    EXPECT_EQ(page->form().searchState(), 2);
    EXPECT_FALSE(find<QPushButton>("cancelButton")->isEnabled());
    sim.setFault(kPanel, sim::Fault::None);
    sim.clearLog();
    click("setButton");
    EXPECT_EQ(commands(), std::vector<std::string>{line(command::kCameraListKeepSet)});
}

struct WriteFailure {
    sim::Fault fault;
    QString message;
};

class CameraSetFailure : public CameraExchange,
                         public ::testing::WithParamInterface<WriteFailure> {};

TEST_P(CameraSetFailure, IsToldAndTheFormIsRefreshed) {
    click("ipModeRadio");
    choose(typeList(0), QStringLiteral("CCU IP"));
    retype(portField(4), QStringLiteral("8000"));
    sim.setFault(kPanel, GetParam().fault);
    messages.clear();
    click("setButton");
    ASSERT_EQ(messages.texts(), (std::vector<QString>{kReboot, GetParam().message}));
    EXPECT_EQ(messages.shown()[1].icon, Icon::Error);
    EXPECT_EQ(table().rowPort(4), 8000);
    EXPECT_EQ(portField(4)->text(), QStringLiteral("8000"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CameraSetFailure,
    ::testing::Values(WriteFailure{sim::Fault::RefuseConnection, kNoConnect},
                      WriteFailure{sim::Fault::NotAcknowledge, kCommandError},
                      WriteFailure{sim::Fault::EmptyReply, kSocketError},
                      WriteFailure{sim::Fault::CloseAfterAcknowledge, kSocketError},
                      WriteFailure{sim::Fault::AcknowledgeWithoutTrailer, kSocketError},
                      WriteFailure{sim::Fault::Garbage, kCommandError}));

TEST_F(CameraExchange, InitializeShowsTheFactoryListAndWriteOk) {
    panelHolds(storedList());
    click("initializeButton");
    ASSERT_EQ(messages.texts(), (std::vector<QString>{kReboot, QStringLiteral("Write OK")}));
    EXPECT_EQ(messages.shown()[0].icon, Icon::Warning);
    EXPECT_EQ(messages.shown()[1].caption, QStringLiteral("Status"));
    EXPECT_EQ(messages.shown()[1].icon, Icon::None);
    EXPECT_EQ(commands(), std::vector<std::string>{line(command::kCameraListInitialize)});
    EXPECT_EQ(table(), sealedCopy(CameraTable::defaults()));
    EXPECT_TRUE(find<QRadioButton>("serialModeRadio")->isChecked());
    EXPECT_EQ(typeList(0)->currentText(), QStringLiteral("CCU Serial"));
}

TEST_F(CameraExchange, AShortInitializeReplyIsRefused) {
    const CameraTable before = table();
    sim.setFault(kPanel, sim::Fault::ShortReply);
    click("initializeButton");
    ASSERT_EQ(messages.texts(), (std::vector<QString>{kReboot, kCommandError}));
    EXPECT_EQ(table(), before);
}

TEST_F(CameraExchange, ASecondOperationWhileOneRunsIsRefusedSilently) {
    panelHolds(storedList());
    int shownDuringSet = 0;
    messages.onShow([&](const FakeMessageBoxes::Shown& shown) {
        if (shown.text == kReboot) {
            click("refreshButton");
            shownDuringSet = static_cast<int>(messages.shown().size());
        }
    });
    click("setButton");
    EXPECT_EQ(shownDuringSet, 2);
    EXPECT_EQ(commands(), std::vector<std::string>{line(command::kCameraListChange)});
}

}  // namespace
}  // namespace trx::test
