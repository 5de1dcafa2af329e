#include <QElapsedTimer>

#include "config/PageFixture.h"
#include "pages/config/SettingData.h"

namespace trx::test {
namespace {

using SettingDataPage = PageFixture<SettingData>;

// A busy page, a port outside the receive range and a declined reboot send nothing. Then: what
// the panel holds, how REFRESH shows it, and what an untouched SET writes back; then the failures.
TEST_F(SettingDataPage, ReadsShowWhatThePanelHoldsAndWritesSendItBackSealed) {
    expectButtonsIgnoredWhileBusy();
    const QString range = QStringLiteral("Please enter an integer between 35200 and 35599.");
    for (const char* typed : {"35600", "35199"}) {
        EXPECT_EQ(press("setButton", typed), Texts{range});
        EXPECT_TRUE(sim.log(kPanel).empty());
    }
    messages.script({MessageBoxes::Answer::Cancel});
    EXPECT_EQ(press("setButton", "35200"), Texts{kReboot});
    EXPECT_TRUE(sim.log(kPanel).empty());
    const char* const table[][3] = {
        {"89 80 02 02 00 00 01 FF", "35200/2/2/ON/FLARE/ON/NoAsign", "89 80 02 02 00 00 01 FF F3"},
        {"8A CF 00 01 05 02 00 12", "35535/0/1/OFF/FLARE/OFF/Cam19", "8A CF 00 01 01 00 00 12 93"},
        // Levels and inputs the lists do not offer show no selection and go back unchanged.
        {"89 80 00 00 00 FF 01 FE", "35200/0/0/ON/FLARE/ON/", "89 80 00 00 00 00 01 FE F8"},
        {"89 80 03 FE 00 01 07 13", "35200///ON/PED/ON/", "89 80 03 FE 00 01 01 13 E1"}};
    EXPECT_EQ(form(), QLatin1String(table[0][1]));
    for (const auto& [held, shown, written] : table) {
        panelHolds(&sim::PanelState::settings, hexBytes(held));
        EXPECT_EQ(press("refreshButton"), Texts{});
        EXPECT_EQ(block(command::kSetDataRequest), Bytes{});
        EXPECT_EQ(form(), QLatin1String(shown));
        EXPECT_EQ(writeOk(command::kSetDataChange, applicationCaption()), hexBytes(written));
    }
    // What the operator picks replaces what the lists did not offer; the rest stays.
    page->findChild<QComboBox*>(QStringLiteral("ledBrightnessCombo"))->setCurrentIndex(1);
    page->findChild<QComboBox*>(QStringLiteral("tallyInputCombo"))->setCurrentIndex(3);
    EXPECT_EQ(writeOk(command::kSetDataChange, applicationCaption(), "35599"),
              hexBytes("8B 0F 01 FE 00 01 01 02 63"));
    // A reply shorter than the record is refused and changes nothing; a read drops what was
    // entered. An NG acknowledgement sends no block.
    panelHolds(&sim::PanelState::settings, hexBytes("89 80 02 02 00 00 01 FF"));
    sim.setFault(kPanel, sim::Fault::ShortReply, sim::FaultOptions{8});
    EXPECT_EQ(press("refreshButton", "35300"), Texts{QStringLiteral("Command Error!!")});
    EXPECT_EQ(form(), QStringLiteral("35599/1//ON/PED/ON/Cam3"));
    sim.setFault(kPanel, sim::Fault::NotAcknowledge);
    EXPECT_EQ(press("setButton").back(), QStringLiteral("Command error."));
    EXPECT_EQ(block(command::kSetDataChange), Bytes{});
    // Any result other than "WRITE OK" is a write error.
    EXPECT_EQ(writeAnsweredNg(9), std::string(command::kSetDataChange) +
                                      std::string("\x89\x80\x02\x02\x00\x00\x01\xFF\xF3", 9));
}

// A line that fills the reply buffer without a line end can never end: the write fails at once,
// under the product's own limits, not when the idle limit of 10 s runs out.
TEST_F(SettingDataPage, ALineThatCannotEndFailsAtOnce) {
    for (sim::Fault fault : {sim::Fault::EndlessAcknowledge, sim::Fault::EndlessResultLine}) {
        sim.setFault(kPanel, fault);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(press("setButton"), (Texts{kReboot, QStringLiteral("Socket error.")}));
        EXPECT_LT(clock.elapsed(), 1000) << static_cast<int>(fault);
    }
}

}  // namespace
}  // namespace trx::test
