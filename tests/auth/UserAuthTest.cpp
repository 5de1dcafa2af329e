#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include <string>

#include "app/MessageBoxes.h"
#include "app/QtMessageBoxes.h"
#include "auth/UserAuth.h"
#include "config/PageFixture.h"
#include "protocol/Checksum.h"
#include "protocol/Commands.h"
#include "support/ScriptedPeer.h"

namespace trx::test {
namespace {

const QString kCut = QStringLiteral("Enterd information is incorrect. Enter again.");
const QString kReboot = QStringLiteral("Do you agree to rebooting after data transfer?");
const QString kWrongOld = QStringLiteral("Old User Name or Old Password  is incorrect.");

// The login block as the panel must receive it.
Bytes loginBlock(const std::string& user, const std::string& password, std::uint8_t byte67 = 0) {
    Bytes block(68, 0);
    std::copy(user.begin(), user.end(), block.begin());
    std::copy(password.begin(), password.end(), block.begin() + 33);
    block[67] = byte67;
    sealChecksum(block, 66);
    return block;
}

class UserAuthPage : public PageFixture<UserAuth> {
  protected:
    QLineEdit* edit(const char* name) const { return find<QLineEdit>(name); }
    QString text(const char* name) const { return edit(name)->text(); }

    // Fills the five fields as the page's own loads would, without the checks of typing.
    void fill(const char* oldUser, const char* newUser, const char* oldPassword,
              const char* newPassword, const char* retype) {
        edit("oldUserNameEdit")->setText(QLatin1String(oldUser));
        edit("newUserNameEdit")->setText(QLatin1String(newUser));
        edit("oldPasswordEdit")->setText(QLatin1String(oldPassword));
        edit("newPasswordEdit")->setText(QLatin1String(newPassword));
        edit("retypeNewPasswordEdit")->setText(QLatin1String(retype));
    }

    void panelHolds(const std::string& user, const std::string& password, std::uint8_t byte67) {
        const Bytes stored = loginBlock(user, password, byte67);
        changePanel([&](sim::PanelState& s) {
            std::copy(stored.begin(), stored.end(), s.credentials.begin());
        });
    }

    void expectEmptiedFormShowing(const char* oldUser) const {
        EXPECT_EQ(text("oldUserNameEdit"), QLatin1String(oldUser));
        for (const char* field :
             {"newUserNameEdit", "oldPasswordEdit", "newPasswordEdit", "retypeNewPasswordEdit"}) {
            EXPECT_TRUE(text(field).isEmpty()) << field;
        }
    }
};

// A field, what the operator types into it, and what the field keeps.
struct TypingCase {
    const char* field;
    const char* typed;
    const char* kept;
    bool told;
};

class UserAuthTyping : public UserAuthPage, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(UserAuthTyping, CutsAtTheFirstCharacterTheFieldDoesNotTake) {
    QTest::keyClicks(edit(GetParam().field), QLatin1String(GetParam().typed));
    EXPECT_EQ(text(GetParam().field), QLatin1String(GetParam().kept));
    if (GetParam().told) {
        expectOnlyMessage(kCut, Icon::Warning);
    } else {
        EXPECT_TRUE(messages.shown().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, UserAuthTyping,
    ::testing::Values(TypingCase{"newUserNameEdit", "ab&", "ab", true},
                      TypingCase{"newUserNameEdit", "a:", "a", true},
                      TypingCase{"newPasswordEdit", "a:b", "a:b", false},
                      TypingCase{"retypeNewPasswordEdit", "x;\\y~", "x;\\y~", false},
                      TypingCase{"oldPasswordEdit", "p\"", "p", true},
                      // The field itself takes no 33rd character.
                      TypingCase{"newPasswordEdit", "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk",
                                 "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk", false}));

// Keys typed while the refusal is open go to the box, not to the field: a, b, &, c, d leave "ab".
TEST_F(UserAuthPage, KeysTypedWhileTheRefusalIsOpenDoNotReachTheField) {
    page.reset();
    QtMessageBoxes real;
    struct Recording final : MessageBoxes {
        explicit Recording(MessageBoxes& boxes) : inner(boxes) {}
        Answer show(const QString& t, const QString& c, Icon i, Buttons b) override {
            texts.push_back(t);
            return inner.show(t, c, i, b);
        }
        MessageBoxes& inner;
        std::vector<QString> texts;
    } recording(real);
    page = std::make_unique<UserAuth>(
        PageContext{selection, recording, guard, ExchangeSettings{sim.port(), {}}});
    real.setParent(page.get());
    page->show();
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    edit("newUserNameEdit")->setFocus();
    QTimer operatorAtTheBox;
    QObject::connect(&operatorAtTheBox, &QTimer::timeout, page.get(), [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        operatorAtTheBox.stop();
        QTest::keyClick(page->windowHandle(), 'c');
        QTest::keyClick(page->windowHandle(), 'd');
        box->accept();
    });
    operatorAtTheBox.start(10);
    for (char key : std::string("ab&")) {
        QTest::keyClick(page->windowHandle(), key);
    }
    EXPECT_EQ(text("newUserNameEdit"), QStringLiteral("ab"));
    EXPECT_EQ(recording.texts, std::vector<QString>{kCut});
}

TEST_F(UserAuthPage, PasteKeepsWhatComesBeforeASpace) {
    QLineEdit* field = edit("newUserNameEdit");
    QTest::keyClicks(field, QStringLiteral("xy"));
    QApplication::clipboard()->setText(QStringLiteral("ab cd"));
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QStringLiteral("xyab"));
    expectOnlyMessage(kCut, Icon::Warning);
}

TEST_F(UserAuthPage, FactoryLoginIsAcceptedAndTheNewOneGoesOutOnTheWire) {
    fill("vexor", "n", "58203", "ab:;", "ab:;");
    click("setButton");
    ASSERT_EQ(messages.texts(), (std::vector<QString>{kReboot, QStringLiteral("Write OK.")}));
    EXPECT_EQ(messages.shown()[1].caption, QStringLiteral("Status"));
    EXPECT_EQ(messages.shown()[1].icon, Icon::None);
    EXPECT_EQ(firstCommand(), command::kAuthChange);
    EXPECT_EQ(block(), loginBlock("n", "ab:;"));
    expectEmptiedFormShowing("n");
}

TEST_F(UserAuthPage, LoginReadFromThePanelIsAcceptedAndItsLastByteCarried) {
    panelHolds("operator", "pa:ss;\\", 0x42);
    fill("operator", "next", "pa:ss;\\", "word", "word");
    click("setButton");
    expectOnlyMessage(kWrongOld, Icon::Error);
    messages.clear();

    // The page's own load of a name with a space runs no check.
    panelHolds("the operator", "pa:ss;\\", 0x42);
    click("refreshButton");
    EXPECT_TRUE(messages.shown().empty());
    expectEmptiedFormShowing("the operator");

    fill("the operator", "next", "pa:ss;\\", "word", "word");
    sim.clearLog();
    click("setButton");
    EXPECT_EQ(last().text, QStringLiteral("Write OK."));
    EXPECT_EQ(block(), loginBlock("next", "word", 0x42));
}

TEST_F(UserAuthPage, FailedWriteStillMakesTheTriedLoginTheOldOne) {
    sim.setFault(kPanel, sim::Fault::RefuseConnection);
    fill("vexor", "tried", "58203", "1234", "1234");
    click("setButton");
    EXPECT_EQ(messages.texts(), (std::vector<QString>{kReboot, QStringLiteral("Not connected.")}));
    expectEmptiedFormShowing("tried");

    messages.clear();
    messages.script({MessageBoxes::Answer::Cancel});
    fill("tried", "again", "1234", "5678", "5678");
    click("setButton");
    EXPECT_EQ(messages.texts(), std::vector<QString>{kReboot});
    // A declined reboot leaves the form as the operator filled it.
    EXPECT_EQ(text("newUserNameEdit"), QStringLiteral("again"));
}

// Fields as SET finds them, and the refusal it gives.
struct CheckCase {
    std::array<const char*, 5> fields;
    const char* refusal;
};

class UserAuthChecks : public UserAuthPage, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(UserAuthChecks, RefuseBeforeAskingAnything) {
    const auto& f = GetParam().fields;
    fill(f[0], f[1], f[2], f[3], f[4]);
    click("setButton");
    expectOnlyMessage(QString::fromUtf8(GetParam().refusal), Icon::Error);
    EXPECT_EQ(text("newUserNameEdit"), QLatin1String(f[1]));
    EXPECT_TRUE(received().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, UserAuthChecks,
    ::testing::Values(
        CheckCase{{"", "", "", "", ""}, "Complete the \"Old User Name\" field."},
        CheckCase{{"vexor", "", "58203", "abcd", "abcd"}, "Complete the \"New User Name\" field."},
        CheckCase{{"vexor", "n", "582", "abcd", "abcd"}, "Complete the \"Old Password\" field."},
        CheckCase{{"vexor", "n", "58203", "abc", "abc"}, "Complete the \"New Password\" field."},
        CheckCase{{"vexor", "n", "58203", "abcd", ""},
                  "Complete the \"Retype New Password\" field."},
        CheckCase{{"vexor", "n", "58203", "abcd", "ABCD"},
                  "Password enterd in the \"Retype New Password\" field is incorrect."},
        CheckCase{{"vexor", "n", "58204", "abcd", "abcd"},
                  "Old User Name or Old Password  is incorrect."}));

// A panel fault, the button pressed, and the message shown after the reboot question (if any).
struct FaultCase {
    sim::Fault fault;
    const char* button;
    const char* message;
};

class UserAuthFault : public UserAuthPage, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(UserAuthFault, IsReported) {
    sim.setFault(kPanel, GetParam().fault, sim::FaultOptions{67});
    fill("vexor", "n", "58203", "abcd", "abcd");
    click(GetParam().button);
    EXPECT_EQ(last().text, QLatin1String(GetParam().message));
    EXPECT_EQ(last().icon, Icon::Error);
    if (QLatin1String(GetParam().button) == QLatin1String("refreshButton")) {
        // A failed read changes nothing.
        EXPECT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(text("newUserNameEdit"), QStringLiteral("n"));
    } else {
        expectEmptiedFormShowing("n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, UserAuthFault,
    ::testing::Values(FaultCase{sim::Fault::RefuseConnection, "refreshButton", "Not connected."},
                      FaultCase{sim::Fault::BadChecksum, "refreshButton", "Command Error!!"},
                      FaultCase{sim::Fault::ShortReply, "refreshButton", "Command Error!!"},
                      FaultCase{sim::Fault::EmptyReply, "refreshButton", "Command Error!!"},
                      FaultCase{sim::Fault::NotAcknowledge, "setButton", "Command error."},
                      FaultCase{sim::Fault::EmptyReply, "setButton", "Socket error."},
                      FaultCase{sim::Fault::CloseAfterAcknowledge, "setButton", "Socket error."}));

TEST_F(UserAuthPage, NameWithoutZeroByteChangesTheRecordButNotTheForm) {
    Bytes reply(68, 'u');
    reply[40] = 0;
    reply[67] = 0x77;
    changePanel(
        [&](sim::PanelState& s) { std::copy(reply.begin(), reply.end(), s.credentials.begin()); });
    QTest::keyClicks(edit("oldUserNameEdit"), QStringLiteral("kept"));
    click("refreshButton");
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(text("oldUserNameEdit"), QStringLiteral("kept"));

    fill("vexor", "n", "58203", "abcd", "abcd");
    sim.clearLog();
    click("setButton");
    // Each field is zero after its text: nothing of the 'u's read before travels along.
    EXPECT_EQ(block(), loginBlock("n", "abcd", 0x77));
}

TEST_F(UserAuthPage, ResultOtherThanWriteOkIsAWriteError) {
    using Peer = ScriptedPeer;
    Peer peer({Peer::readLine(), Peer::send("TRX900 SETTING CHANGE OK\r\n\n"), Peer::readBytes(68),
               Peer::send(std::string("WRITE NG\r\n\0", 11)), Peer::close()});
    makePage(peer.port(), makeAddress(127, 0, 0, 1));
    fill("vexor", "n", "58203", "abcd", "abcd");
    click("setButton");
    EXPECT_EQ(last().text, QStringLiteral("Write error."));
    const Bytes sent = loginBlock("n", "abcd");
    EXPECT_EQ(peer.received(),
              std::string(command::kAuthChange) + std::string(sent.begin(), sent.end()));
}

TEST_F(UserAuthPage, ButtonsDoNothingWhileAnotherOperationRuns) {
    fill("vexor", "n", "58203", "abcd", "abcd");
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
