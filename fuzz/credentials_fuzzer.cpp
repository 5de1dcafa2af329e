// The UserAuth. page's login record: a read reply of any length, the user name and password
// taken out of it and shown, the SET checks and the block built from any form texts.
//
// Input: a two-byte reply length and the reply, then the five form texts (old user name, new
// user name, old password, new password, retype), each a length byte and its bytes, then any
// UTF-16 text for the field checks.

#include <QString>
#include <string>

#include "FuzzInput.h"
#include "records/Credentials.h"
#include "wire/Checksum.h"

namespace {

using trx::CharacterSet;
using trx::CredentialsRecord;
using trx::FieldCheck;

constexpr std::size_t kFieldSize = CredentialsRecord::kFieldSize;
constexpr std::size_t kMaxChars = trx::kCredentialMaxChars;

// The field check as a field's validator runs it on each change of its text: cut before the
// first character outside the set, else to 32 characters.
void checkFieldChecks(std::u16string_view text) {
    for (const CharacterSet set : {CharacterSet::UserName, CharacterSet::Password}) {
        const auto allowed = [set](char16_t c) { return trx::inCharacterSet(c, set); };
        const auto bad = static_cast<std::size_t>(
            std::find_if_not(text.begin(), text.end(), allowed) - text.begin());
        using V = FieldCheck::Verdict;
        const FieldCheck expected = bad < text.size() ? FieldCheck{V::Disallowed, bad}
                                    : text.size() > kMaxChars
                                        ? FieldCheck{V::TooLong, kMaxChars}
                                        : FieldCheck{V::Accepted, text.size()};
        TRX_FUZZ_REQUIRE(trx::checkField(text, set) == expected);
    }
}

// The page shows a text through a Latin-1 QString and reads it back the same way.
QString shown(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Each text is its field's bytes up to the first zero; a field without a zero holds none.
void checkTexts(const CredentialsRecord& record) {
    for (const std::size_t offset : {std::size_t{0}, kFieldSize}) {
        const std::string_view field =
            trx::fuzz::asText(record.bytes().subspan(offset, kFieldSize));
        const auto text = offset == 0 ? record.userName() : record.password();
        const std::size_t zero = field.find('\0');
        TRX_FUZZ_REQUIRE(zero == field.npos ? !text : text == field.substr(0, zero));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const trx::fuzz::Bytes reply = in.longPiece();
    CredentialsRecord record;
    record.buildBlock(trx::kDefaultUserName, trx::kDefaultPassword);
    const CredentialsRecord before = record;
    const bool taken = record.takeReply(reply);
    TRX_FUZZ_REQUIRE(taken == (reply.size() >= CredentialsRecord::kSize));
    TRX_FUZZ_REQUIRE(trx::fuzz::hasPrefix(
        taken ? std::span<const std::uint8_t>(reply) : before.bytes(), record.bytes()));
    checkTexts(record);

    trx::StoredCredentials stored{std::string(trx::kDefaultUserName),
                                  std::string(trx::kDefaultPassword)};
    const auto userName = record.userName();
    const auto password = record.password();
    if (userName && password) {
        TRX_FUZZ_REQUIRE(userName->size() < kFieldSize && password->size() < kFieldSize);
        TRX_FUZZ_REQUIRE(shown(*userName).toLatin1().toStdString() == *userName);
        checkFieldChecks(shown(*userName).toStdU16String());
        stored = {*userName, *password};
        TRX_FUZZ_REQUIRE(trx::oldCredentialsAccepted(*userName, *password, stored));
    }

    trx::CredentialForm form;
    for (std::string* text : {&form.oldUserName, &form.newUserName, &form.oldPassword,
                              &form.newPassword, &form.retypePassword}) {
        const trx::fuzz::Bytes piece = in.shortPiece();
        text->assign(piece.begin(), piece.end());
        checkFieldChecks(shown(*text).toStdU16String());
    }
    // Whatever UTF-16 the rest makes, lone surrogates included.
    const trx::fuzz::Bytes units = in.rest();
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        wide.push_back(static_cast<char16_t>(units[i] << 8 | units[i + 1]));
    }
    checkFieldChecks(wide);

    if (trx::checkForWrite(form, stored) == trx::CredentialCheck::Passed) {
        TRX_FUZZ_REQUIRE(form.newPassword == form.retypePassword);
        TRX_FUZZ_REQUIRE(form.newUserName.size() <= kMaxChars);
        TRX_FUZZ_REQUIRE(form.newPassword.size() >= 4 && form.newPassword.size() <= kMaxChars);
        TRX_FUZZ_REQUIRE(trx::oldCredentialsAccepted(form.oldUserName, form.oldPassword, stored));
    }

    // The block is built from any texts: each field the text cut to 32, then zeros; byte 67 is
    // carried over.
    const std::uint8_t carried = record.bytes()[CredentialsRecord::kSize - 1];
    record.buildBlock(form.newUserName, form.newPassword);
    TRX_FUZZ_REQUIRE(trx::checksumHolds(record.bytes()));
    TRX_FUZZ_REQUIRE(record.bytes()[CredentialsRecord::kSize - 1] == carried);
    for (const std::string* text : {&form.newUserName, &form.newPassword}) {
        std::string field = text->substr(0, kMaxChars);
        field.resize(kFieldSize, '\0');
        const std::size_t offset = text == &form.newUserName ? 0 : kFieldSize;
        TRX_FUZZ_REQUIRE(trx::fuzz::asText(record.bytes().subspan(offset, kFieldSize)) == field);
    }
    checkTexts(record);
    return 0;
}
