#include <gtest/gtest.h>

#include <string>

#include "auth/Credentials.h"
#include "protocol/Checksum.h"

namespace trx {
namespace {

TEST(CharacterSets, HoldEightyNineAndNinetyTwoCharacters) {
    int userName = 0;
    int password = 0;
    for (char32_t c = 0; c < 0x100; ++c) {
        userName += inCharacterSet(c, CharacterSet::UserName) ? 1 : 0;
        password += inCharacterSet(c, CharacterSet::Password) ? 1 : 0;
    }
    EXPECT_EQ(userName, 89);
    EXPECT_EQ(password, 92);
    for (char32_t c : {U' ', U'"', U'&', U'\x7F', U'\u0161'}) {
        EXPECT_FALSE(inCharacterSet(c, CharacterSet::Password)) << static_cast<unsigned>(c);
    }
    for (char32_t c : {U':', U';', U'\\'}) {
        EXPECT_FALSE(inCharacterSet(c, CharacterSet::UserName)) << static_cast<unsigned>(c);
        EXPECT_TRUE(inCharacterSet(c, CharacterSet::Password)) << static_cast<unsigned>(c);
    }
}

struct FieldCase {
    std::u16string text;
    CharacterSet set;
    FieldCheck expected;
};

class FieldChecks : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldChecks, CutAtTheFirstDisallowedCharacterOrAtThirtyTwo) {
    EXPECT_EQ(checkField(GetParam().text, GetParam().set), GetParam().expected);
}

using V = FieldCheck::Verdict;
INSTANTIATE_TEST_SUITE_P(
    Table, FieldChecks,
    ::testing::Values(
        FieldCase{u"", CharacterSet::UserName, {V::Accepted, 0}},
        FieldCase{u"ab&cd", CharacterSet::UserName, {V::Disallowed, 2}},
        FieldCase{u"two words", CharacterSet::Password, {V::Disallowed, 3}},
        FieldCase{u"x\u00E9y", CharacterSet::Password, {V::Disallowed, 1}},
        FieldCase{std::u16string(32, u'k'), CharacterSet::UserName, {V::Accepted, 32}},
        FieldCase{std::u16string(33, u'k'), CharacterSet::Password, {V::TooLong, 32}},
        // A disallowed character counts before the length.
        FieldCase{std::u16string(40, u'k') + u":", CharacterSet::UserName, {V::Disallowed, 40}}));

TEST(OldCredentials, AreTheFactoryPairOrTheStoredPairNeverAMix) {
    const StoredCredentials stored{"panel", "secret"};
    EXPECT_TRUE(oldCredentialsAccepted("vexor", "58203", stored));
    EXPECT_TRUE(oldCredentialsAccepted("panel", "secret", stored));
    EXPECT_FALSE(oldCredentialsAccepted("panel", "58203", stored));
    EXPECT_FALSE(oldCredentialsAccepted("vexor", "secret", stored));
    EXPECT_FALSE(oldCredentialsAccepted("Vexor", "58203", stored));
    // Lengths are checked before the pair, whatever is stored.
    const std::string k33(33, 'q');
    EXPECT_EQ(checkForWrite({k33, "n", "pass", "abcd", "abcd"}, {k33, "pass"}),
              CredentialCheck::OldUserNameIncomplete);
    EXPECT_EQ(checkForWrite({"vexor", "n", "58203", k33, k33}, {}),
              CredentialCheck::NewPasswordIncomplete);
}

TEST(CredentialsRecord, ShortReplyIsRefusedAndAFieldWithoutZeroHoldsNoText) {
    std::vector<std::uint8_t> reply(68, 'u');
    reply[40] = 0;
    CredentialsRecord record;
    EXPECT_FALSE(record.takeReply({reply.data(), 67}));
    EXPECT_EQ(record.userName(), "");
    ASSERT_TRUE(record.takeReply(reply));
    EXPECT_FALSE(record.userName().has_value());
    EXPECT_EQ(record.password(), "uuuuuuu");
}

TEST(CredentialsRecord, BlockCutsOverlongTextsToThirtyTwoAndIsSealed) {
    CredentialsRecord record;
    record.buildBlock(std::string(40, 'u'), std::string(33, 'p'));
    EXPECT_EQ(record.userName(), std::string(32, 'u'));
    EXPECT_EQ(record.password(), std::string(32, 'p'));
    EXPECT_TRUE(checksumHolds(record.bytes()));
}

}  // namespace
}  // namespace trx
