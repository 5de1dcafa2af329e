#include <QElapsedTimer>

#include "pagebase/FailureTexts.h"
#include "pages/config/SettingData.h"
#include "support/PageFixture.h"
#include "wire/Commands.h"

namespace trx::test {
namespace {

// The two failures that no panel can bring about end to end: a command line the socket would
// not take, told on a read, and no socket at all, told on a write. Every other text both pages
// give is met in the hostile-panel matrix.
TEST(SettingFailureTexts, FailuresNoPanelCanCause) {
    EXPECT_EQ(settingReadFailures().text(ExchangeOutcome::CommandSendFailed), u"Socket error.");
    EXPECT_EQ(settingWriteFailures().text(ExchangeOutcome::SocketCreateFailed), u"Command Error!!");
}

using SettingDataPage = PageFixture<SettingData>;

// A port outside the receive range and a declined reboot send nothing. Then: what the panel
// holds, how REFRESH shows it, and what an untouched SET writes back; then what a refused read
// and a "WRITE NG" leave.
TEST_F(SettingDataPage, ReadsShowWhatThePanelHoldsAndWritesSendItBackSealed) {
    for (const char* typed : {"35600", "35199"}) {
        EXPECT_EQ(press("setButton", typed),
                  Told{"Warning: Please enter an integer between 35200 and 35599."});
    }
    messages.script({MessageBoxes::Answer::Cancel});
    EXPECT_EQ(press("setButton", "35200"), Told{kReboot});
    EXPECT_TRUE(sim.log().empty());
    const char* const table[][3] = {
        {"89 80 02 02 00 00 01 FF", "35200/2/2/ON/FLARE/ON/NoAsign", "89 80 02 02 00 00 01 FF F3"},
        {"8A CF 00 01 05 02 00 12", "35535/0/1/OFF/FLARE/OFF/Cam19", "8A CF 00 01 01 00 00 12 93"},
        // Levels and inputs the lists do not offer show no selection and go back unchanged.
        {"89 80 00 00 00 FF 01 FE", "35200/0/0/ON/FLARE/ON/", "89 80 00 00 00 00 01 FE F8"},
        {"89 80 03 FE 00 01 07 13", "35200///ON/PED/ON/", "89 80 03 FE 00 01 01 13 E1"}};
    EXPECT_EQ(form(), QLatin1String(table[0][1]));
    for (const auto& [held, shown, written] : table) {
        changePanel(
            [&](sim::PanelState& s) { std::ranges::copy(hexBytes(held), s.settings.begin()); });
        EXPECT_EQ(press("refreshButton"), Told{});
        EXPECT_EQ(block(command::kSetDataRequest), Bytes{});
        EXPECT_EQ(form(), QLatin1String(shown));
        EXPECT_EQ(writeOk(command::kSetDataChange, "Box: Write OK."), hexBytes(written));
    }
    // What the operator picks replaces what the lists did not offer; the rest stays.
    find<QComboBox>(QStringLiteral("ledBrightnessCombo"))->setCurrentIndex(1);
    find<QComboBox>(QStringLiteral("tallyInputCombo"))->setCurrentIndex(3);
    EXPECT_EQ(writeOk(command::kSetDataChange, "Box: Write OK.", "35599"),
              hexBytes("8B 0F 01 FE 00 01 01 02 63"));
    // A reply one byte short of the record is refused and changes nothing; a read drops what was
    // entered all the same.
    sim.setFault(kPanel, sim::Fault::ShortReply, sim::FaultOptions{8});
    EXPECT_EQ(press("refreshButton", "35300"), Told{"Error: Command Error!!"});
    EXPECT_EQ(form(), QStringLiteral("35599/1//ON/PED/ON/Cam3"));
    // Any result other than "WRITE OK" is a write error (a new page, which writes the factory
    // settings).
    EXPECT_EQ(writeAnsweredNg(9), std::string(command::kSetDataChange) +
                                      std::string("\x89\x80\x02\x02\x00\x00\x01\xFF\xF3", 9));
}

// A line that fills the reply buffer without a line end can never end: the write fails at once,
// not when the idle limit of 10 s runs out.
TEST_F(SettingDataPage, ALineThatCannotEndFailsAtOnce) {
    for (sim::Fault fault : {sim::Fault::EndlessAcknowledge, sim::Fault::EndlessResultLine}) {
        sim.setFault(kPanel, fault);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(press("setButton"), (Told{kReboot, "Error: Socket error."}));
        EXPECT_LT(clock.elapsed(), 1000) << static_cast<int>(fault);
    }
}

}  // namespace
}  // namespace trx::test
