#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "app/MessageBoxes.h"
#include "config/PageFixture.h"
#include "config/SettingData.h"
#include "protocol/Checksum.h"
#include "protocol/Commands.h"
#include "support/ScriptedPeer.h"

namespace trx::test {
namespace {

const QString kReboot = QStringLiteral("Do you agree to rebooting after data transfer?");
const Bytes kFactoryBlock{0x89, 0x80, 0x02, 0x02, 0x00, 0x00, 0x01, 0xFF, 0xF3};

class SettingDataPage : public PageFixture<SettingData> {
  protected:
    QString port() const { return find<QLineEdit>("receivePortEdit")->text(); }
    QComboBox* list(const char* name) const { return find<QComboBox>(name); }
    bool checked(const char* radio) const { return find<QRadioButton>(radio)->isChecked(); }

    void expectFactoryForm() const {
        EXPECT_EQ(port(), QStringLiteral("35200"));
        EXPECT_EQ(list("ledBrightnessCombo")->currentText(), QStringLiteral("2"));
        EXPECT_EQ(list("segmentBrightnessCombo")->currentText(), QStringLiteral("2"));
        EXPECT_TRUE(checked("buzzerOnRadio") && checked("flareRadio") && checked("tallyOnRadio"));
        EXPECT_FALSE(checked("buzzerOffRadio") || checked("pedRadio") || checked("tallyOffRadio"));
        EXPECT_EQ(list("tallyInputCombo")->currentText(), QStringLiteral("NoAsign"));
    }

    void panelSends(std::array<std::uint8_t, 8> bytes) {
        changePanel(
            [&](sim::PanelState& s) { std::copy(bytes.begin(), bytes.end(), s.settings.begin()); });
        click("refreshButton");
        ASSERT_TRUE(messages.shown().empty());
        sim.clearLog();
    }
};

TEST_F(SettingDataPage, FactorySettingsAreShownReadAndWrittenSealedWithF3) {
    expectFactoryForm();
    click("refreshButton");
    EXPECT_TRUE(messages.shown().empty());
    expectFactoryForm();
    EXPECT_EQ(firstCommand(), command::kSetDataRequest);
    sim.clearLog();
    click("setButton");
    ASSERT_EQ(messages.texts(), (std::vector<QString>{kReboot, QStringLiteral("Write OK.")}));
    EXPECT_EQ(messages.shown()[0].buttons, MessageBoxes::Buttons::OkCancel);
    EXPECT_EQ(messages.shown()[1].caption, applicationCaption());
    EXPECT_EQ(messages.shown()[1].icon, Icon::None);
    EXPECT_EQ(firstCommand(), command::kSetDataChange);
    EXPECT_EQ(block(), kFactoryBlock);
}

TEST_F(SettingDataPage, ShowsWhatThePanelHoldsAndWritesItBackInItsOwnCodes) {
    // Buzzer 5 reads as OFF, flare/ped 2 as FLARE, tally enable 0 as OFF; 18 is Cam19.
    panelSends({0x8A, 0xCF, 0x00, 0x01, 0x05, 0x02, 0x00, 0x12});
    EXPECT_EQ(port(), QStringLiteral("35535"));
    EXPECT_EQ(list("ledBrightnessCombo")->currentText(), QStringLiteral("0"));
    EXPECT_EQ(list("segmentBrightnessCombo")->currentText(), QStringLiteral("1"));
    EXPECT_TRUE(checked("buzzerOffRadio") && checked("flareRadio") && checked("tallyOffRadio"));
    EXPECT_EQ(list("tallyInputCombo")->currentText(), QStringLiteral("Cam19"));
    click("setButton");
    EXPECT_EQ(block(), (Bytes{0x8A, 0xCF, 0x00, 0x01, 0x01, 0x00, 0x00, 0x12, 0x93}));
}

TEST_F(SettingDataPage, LevelsAndInputsTheListsDoNotOfferGoBackUnchanged) {
    panelSends({0x89, 0x80, 0x07, 0x02, 0x00, 0x01, 0x01, 0x30});
    EXPECT_EQ(list("ledBrightnessCombo")->currentIndex(), -1);
    EXPECT_EQ(list("tallyInputCombo")->currentIndex(), -1);
    EXPECT_TRUE(checked("pedRadio"));
    click("setButton");
    EXPECT_EQ(block(), (Bytes{0x89, 0x80, 0x07, 0x02, 0x00, 0x01, 0x01, 0x30, 0xBC}));
}

TEST_F(SettingDataPage, TallyInputGoesOutAsCameraNumberLessOneOrFF) {
    for (const auto& [index, wire] :
         {std::pair{19, 0x12}, std::pair{1, 0x00}, std::pair{0, 0xFF}}) {
        list("tallyInputCombo")->setCurrentIndex(index);
        sim.clearLog();
        click("setButton");
        EXPECT_EQ(block().at(7), wire) << index;
        EXPECT_TRUE(checksumHolds(block()));
    }
}

// A port typed into the form, and the text that refuses it ("" when it is sent).
struct PortCase {
    const char* typed;
    const char* refusal;
};

class SettingDataPort : public SettingDataPage, public ::testing::WithParamInterface<PortCase> {};

TEST_P(SettingDataPort, IsSentOnlyInsideTheReceiveRange) {
    auto* edit = find<QLineEdit>("receivePortEdit");
    edit->setText(QLatin1String(GetParam().typed));
    click("setButton");
    const QString refusal = QLatin1String(GetParam().refusal);
    if (refusal.isEmpty()) {
        EXPECT_EQ(block().at(1), 0x0F);
        return;
    }
    expectOnlyMessage(refusal, Icon::Warning);
    // Nothing went out: the next exchange is the first the panel sees.
    click("refreshButton");
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(firstCommand(), command::kSetDataRequest);
}

const char kRange[] = "Please enter an integer between 35200 and 35599.";
const char kNumber[] = "Please enter a positive integer.";
INSTANTIATE_TEST_SUITE_P(Table, SettingDataPort,
                         ::testing::Values(PortCase{"35599", ""}, PortCase{"35600", kRange},
                                           PortCase{"35199", kRange}, PortCase{"0", kRange},
                                           PortCase{"99999999999", kNumber}, PortCase{"", kNumber},
                                           PortCase{"-35300", kNumber},
                                           PortCase{"35a00", kNumber}));

TEST_F(SettingDataPage, DeclinedRebootSendsNothing) {
    messages.script({MessageBoxes::Answer::Cancel});
    click("setButton");
    EXPECT_EQ(messages.shown().size(), 1u);
    EXPECT_TRUE(received().empty());
}

// A panel fault, the button pressed, and what the operator is told.
struct FaultCase {
    sim::Fault fault;
    const char* button;
    const char* message;
};

class SettingDataFault : public SettingDataPage, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SettingDataFault, IsReportedAndLeavesTheFormAsItWas) {
    sim.setFault(kPanel, GetParam().fault, sim::FaultOptions{8});
    // Edits not yet written are dropped by a read.
    find<QLineEdit>("receivePortEdit")->setText(QStringLiteral("35300"));
    click(GetParam().button);
    const bool write = QLatin1String(GetParam().button) == QLatin1String("setButton");
    const QString reported = QLatin1String(GetParam().message);
    const std::vector<QString> expected =
        write ? std::vector<QString>{kReboot, reported} : std::vector<QString>{reported};
    EXPECT_EQ(messages.texts(), expected);
    EXPECT_EQ(last().icon, Icon::Error);
    // After a failed write the form keeps what was entered; after a failed read what was held.
    EXPECT_EQ(find<QLineEdit>("receivePortEdit")->text(),
              write ? QStringLiteral("35300") : QStringLiteral("35200"));
    if (GetParam().fault == sim::Fault::NotAcknowledge) {
        EXPECT_TRUE(block().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingDataFault,
    ::testing::Values(FaultCase{sim::Fault::RefuseConnection, "refreshButton", "Not connected."},
                      FaultCase{sim::Fault::BadChecksum, "refreshButton", "Command Error!!"},
                      FaultCase{sim::Fault::ShortReply, "refreshButton", "Command Error!!"},
                      FaultCase{sim::Fault::EmptyReply, "refreshButton", "Command Error!!"},
                      FaultCase{sim::Fault::Silent, "refreshButton", "Command Error!!"},
                      FaultCase{sim::Fault::RefuseConnection, "setButton", "Not connected."},
                      FaultCase{sim::Fault::NotAcknowledge, "setButton", "Command error."},
                      FaultCase{sim::Fault::EmptyReply, "setButton", "Socket error."},
                      FaultCase{sim::Fault::CloseAfterAcknowledge, "setButton", "Socket error."}));

TEST_F(SettingDataPage, ResultOtherThanWriteOkIsAWriteError) {
    using Peer = ScriptedPeer;
    Peer peer({Peer::readLine(), Peer::send("TRX900 SETTING CHANGE OK\r\n\n"), Peer::readBytes(9),
               Peer::send(std::string("WRITE NG\r\n\0", 11)), Peer::close()});
    makePage(peer.port(), makeAddress(127, 0, 0, 1));
    click("setButton");
    EXPECT_EQ(last().text, QStringLiteral("Write error."));
    EXPECT_EQ(last().icon, Icon::Error);
    const std::string wire = peer.received();
    EXPECT_EQ(wire.substr(command::kSetDataChange.size()),
              std::string(kFactoryBlock.begin(), kFactoryBlock.end()));
}

TEST_F(SettingDataPage, ButtonsDoNothingWhileAnotherOperationRuns) {
    {
        OperationGuard::Scope running(guard);
        click("setButton");
        click("refreshButton");
    }
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(received().empty());
}

}  // namespace
}  // namespace trx::test
