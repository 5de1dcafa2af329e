#include <QClipboard>
#include <QMessageBox>
#include <QTimer>

#include "pagebase/QtMessageBoxes.h"
#include "pages/auth/UserAuth.h"
#include "support/PageFixture.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace trx::test {
namespace {

TEST(Credentials, CharacterSetsLengthAndTheOldPair) {
    std::array<int, 2> counts{};
    for (char32_t c = 0; c < 0x100; ++c) {
        counts[0] += inCharacterSet(c, CharacterSet::UserName);
        counts[1] += inCharacterSet(c, CharacterSet::Password);
    }
    EXPECT_EQ(counts, (std::array{89, 92}));
    // Past 32 characters: "String too long.", cut to 32. Nothing outside ASCII is allowed.
    using V = FieldCheck::Verdict;
    EXPECT_EQ(checkField(std::u16string(33, u'k'), CharacterSet::Password),
              (FieldCheck{V::TooLong, 32}));
    EXPECT_EQ(checkField(u"x\u00E9y", CharacterSet::Password), (FieldCheck{V::Disallowed, 1}));
    // The old pair is the factory one or the stored one, never a mix.
    const StoredCredentials stored{"panel", "secret"};
    EXPECT_FALSE(oldCredentialsAccepted("panel", "58203", stored));
    EXPECT_FALSE(oldCredentialsAccepted("vexor", "secret", stored));
}

// The login block as the panel must receive it: each text zero-filled to 33 bytes.
Bytes loginBlock(std::string user, std::string password, char byte67 = 0) {
    user.resize(33);
    password.resize(34);  // with the checksum's place
    const std::string text = user + password + byte67;
    Bytes block(text.begin(), text.end());
    sealChecksum(block, 66);
    return block;
}

using UserAuthPage = PageFixture<UserAuth>;

// Fields 0 to 4: Old User Name, New User Name, Old Password, New Password, Retype New Password.
TEST_F(UserAuthPage, TypingIsCutAtTheFirstCharacterTheFieldDoesNotTake) {
    const std::string cut = "Warning: Enterd information is incorrect. Enter again.";
    const std::tuple<int, const char*, const char*> table[] = {
        {0, "o;", "o"},  {1, "ab&", "ab"},  {1, "a:", "a"},
        {2, "p\"", "p"}, {3, "a:b", "a:b"}, {4, "x;\\y~", "x;\\y~"}};
    for (const auto& [field, typed, kept] : table) {
        edit(field)->clear();
        QTest::keyClicks(edit(field), QLatin1String(typed));
        EXPECT_EQ(edit(field)->text(), QLatin1String(kept));
        EXPECT_EQ(messages.told(), qstrcmp(kept, typed) ? Told{cut} : Told{});
        EXPECT_EQ(edit(field)->echoMode() == QLineEdit::Password, field > 1);
    }
    // The field takes no 33rd character; a paste keeps what comes before a space.
    QTest::keyClicks(edit(3), QString(40, u'k'));
    QApplication::clipboard()->setText(QStringLiteral("b cd"));
    QTest::keyClick(edit(1), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form(), QStringLiteral("o/ab/p/a:b") + QString(29, u'k') + QStringLiteral("/x;\\y~"));
    EXPECT_EQ(messages.told(), Told{cut});
    // With real boxes, keys typed while the refusal is open go to the box, not to the field:
    // a, b, &, c, d leave "ab".
    QtMessageBoxes real;
    makePage(sim.port(), real, makeAddress(127, 0, 0, 2));
    edit(1)->setFocus();
    QTimer operatorAtTheBox;
    QObject::connect(&operatorAtTheBox, &QTimer::timeout, page.get(), [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QTest::keyClick(page->windowHandle(), 'c');
            QTest::keyClick(page->windowHandle(), 'd');
            box->accept();
        }
    });
    operatorAtTheBox.start(10);
    for (char key : {'a', 'b', '&'}) {
        QTest::keyClick(page->windowHandle(), key);
    }
    EXPECT_EQ(form(), QStringLiteral("/ab///"));
}

// SET's checks run in order (each row also fails every later check) and refuse before anything
// is asked or sent. Every write that passed the reboot question ends in the display routine: the
// new user name becomes the old one and the other fields are emptied. REFRESH refuses a reply
// one byte short of the login; a login it shows (no field check runs on it) is accepted by SET,
// and the block is zero after each new text, so nothing of the login read travels along, and
// carries byte 67.
TEST_F(UserAuthPage, SetChecksTheFormAndWritesTheFactoryOrTheReadLogin) {
    const char* const table[][2] = {
        {"////", "Complete the \"Old User Name\" field."},
        {"vexor//582/abc/", "Complete the \"New User Name\" field."},
        {"vexor/n/582/abc/", "Complete the \"Old Password\" field."},
        {"vexor/n/58204/abc/", "Complete the \"New Password\" field."},
        {"vexor/n/58204/abcd/", "Complete the \"Retype New Password\" field."},
        {"vexor/n/58204/abcd/ABCD",
         "Password enterd in the \"Retype New Password\" field is incorrect."},
        {"vexor/n/58204/abcd/abcd", "Old User Name or Old Password  is incorrect."}};
    for (const auto& [fields, refusal] : table) {
        EXPECT_EQ(press("setButton", fields), Told{std::string("Error: ") + refusal});
        EXPECT_TRUE(sim.log().empty());
    }
    const char* const writeOkBox = "Box[Status]: Write OK.";
    EXPECT_EQ(writeOk(command::kAuthChange, writeOkBox, "vexor/n/58203/ab:;/ab:;"),
              loginBlock("n", "ab:;"));
    EXPECT_EQ(form(), QStringLiteral("n////"));
    messages.script({MessageBoxes::Answer::Cancel});
    EXPECT_EQ(press("setButton", "n/again/ab:;/5678/5678"), Told{kReboot});
    changePanel([](sim::PanelState& s) {
        std::ranges::copy(loginBlock("the operator", "pa:ss;\\", 0x42), s.credentials.begin());
    });
    sim.setFault(kPanel, sim::Fault::ShortReply, sim::FaultOptions{67});
    EXPECT_EQ(press("refreshButton"), Told{"Error: Command Error!!"});
    EXPECT_EQ(form(), QStringLiteral("n/again/ab:;/5678/5678"));
    sim.setFault(kPanel, sim::Fault::None);
    EXPECT_EQ(press("refreshButton"), Told{});
    EXPECT_EQ(form(), QStringLiteral("the operator////"));
    EXPECT_EQ(writeOk(command::kAuthChange, writeOkBox, "the operator/next/pa:ss;\\/word/word"),
              loginBlock("next", "word", 0x42));
    // Any result other than "WRITE OK" is a write error.
    const Bytes sent = loginBlock("n", "abcd");
    EXPECT_EQ(writeAnsweredNg(68, "vexor/n/58203/abcd/abcd"),
              std::string(command::kAuthChange) + std::string(sent.begin(), sent.end()));
}

}  // namespace
}  // namespace trx::test
