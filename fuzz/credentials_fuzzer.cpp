// The UserAuth. page's login record: a read reply of any length, the user name and password
// taken out of it and shown, the SET checks and the block built from any form texts.
//
// Input: a two-byte reply length and the reply, then the five form texts (old user name, new
// user name, old password, new password, retype), each a length byte and its bytes.

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "records/Credentials.h"
#include "wire/Checksum.h"

namespace {

using trx::CharacterSet;
using trx::CredentialsRecord;
using trx::FieldCheck;

constexpr std::size_t kFieldSize = CredentialsRecord::kFieldSize;

// The field check as a field's validator runs it on each change of its text.
void checkFieldCheck(std::u16string_view text, CharacterSet set) {
    const FieldCheck check = trx::checkField(text, set);
    const auto allowed = [set](char16_t c) { return trx::inCharacterSet(c, set); };
    switch (check.verdict) {
        case FieldCheck::Verdict::Disallowed:
            TRX_FUZZ_REQUIRE(check.keep < text.size() && !allowed(text[check.keep]));
            TRX_FUZZ_REQUIRE(std::all_of(
                text.begin(), text.begin() + static_cast<std::ptrdiff_t>(check.keep), allowed));
            break;
        case FieldCheck::Verdict::TooLong:
            TRX_FUZZ_REQUIRE(text.size() > trx::kCredentialMaxChars);
            TRX_FUZZ_REQUIRE(check.keep == trx::kCredentialMaxChars);
            TRX_FUZZ_REQUIRE(std::all_of(text.begin(), text.end(), allowed));
            break;
        case FieldCheck::Verdict::Accepted:
            TRX_FUZZ_REQUIRE(text.size() <= trx::kCredentialMaxChars);
            TRX_FUZZ_REQUIRE(check.keep == text.size());
            TRX_FUZZ_REQUIRE(std::all_of(text.begin(), text.end(), allowed));
            break;
    }
}

// The field's bytes up to the first zero, or none when the field has no zero byte.
std::optional<std::string> naiveField(std::span<const std::uint8_t> field) {
    const auto zero = std::find(field.begin(), field.end(), std::uint8_t{0});
    if (zero == field.end()) {
        return std::nullopt;
    }
    return std::string(field.begin(), zero);
}

// The page shows a name through a Latin-1 QString and reads it back the same way.
std::string shownAndReadBack(const std::string& text) {
    const QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    checkFieldCheck(shown.toStdU16String(), CharacterSet::UserName);
    checkFieldCheck(shown.toStdU16String(), CharacterSet::Password);
    return shown.toLatin1().toStdString();
}

std::string asString(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const std::vector<std::uint8_t> reply = in.longPiece();

    CredentialsRecord record;
    record.buildBlock(trx::kDefaultUserName, trx::kDefaultPassword);
    const CredentialsRecord before = record;
    const bool taken = record.takeReply(reply);
    TRX_FUZZ_REQUIRE(taken == (reply.size() >= CredentialsRecord::kSize));
    const auto bytes = record.bytes();
    TRX_FUZZ_REQUIRE(taken ? std::equal(bytes.begin(), bytes.end(), reply.begin())
                           : std::equal(bytes.begin(), bytes.end(), before.bytes().begin()));

    const auto userName = record.userName();
    const auto password = record.password();
    TRX_FUZZ_REQUIRE(userName == naiveField(bytes.subspan(0, kFieldSize)));
    TRX_FUZZ_REQUIRE(password == naiveField(bytes.subspan(kFieldSize, kFieldSize)));
    trx::StoredCredentials stored{std::string(trx::kDefaultUserName),
                                  std::string(trx::kDefaultPassword)};
    if (userName && password) {
        TRX_FUZZ_REQUIRE(userName->size() < kFieldSize && password->size() < kFieldSize);
        TRX_FUZZ_REQUIRE(shownAndReadBack(*userName) == *userName);
        stored = {*userName, *password};
        TRX_FUZZ_REQUIRE(trx::oldCredentialsAccepted(*userName, *password, stored));
    }

    trx::CredentialForm form;
    for (std::string* text : {&form.oldUserName, &form.newUserName, &form.oldPassword,
                              &form.newPassword, &form.retypePassword}) {
        *text = asString(in.shortPiece());
        const QString typed =
            QString::fromLatin1(text->data(), static_cast<qsizetype>(text->size()));
        checkFieldCheck(typed.toStdU16String(), CharacterSet::Password);
    }
    // Whatever UTF-16 the rest makes, lone surrogates included.
    const std::vector<std::uint8_t> units = in.rest();
    std::u16string wide(units.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>((units[2 * i] << 8) | units[2 * i + 1]);
    }
    checkFieldCheck(wide, CharacterSet::UserName);
    checkFieldCheck(wide, CharacterSet::Password);

    const trx::CredentialCheck check = trx::checkForWrite(form, stored);
    if (check == trx::CredentialCheck::Passed) {
        TRX_FUZZ_REQUIRE(form.newPassword == form.retypePassword);
        TRX_FUZZ_REQUIRE(form.newUserName.size() <= trx::kCredentialMaxChars);
        TRX_FUZZ_REQUIRE(form.newPassword.size() >= 4 &&
                         form.newPassword.size() <= trx::kCredentialMaxChars);
        TRX_FUZZ_REQUIRE(trx::oldCredentialsAccepted(form.oldUserName, form.oldPassword, stored));
    }

    // The block is built from any texts: cut to 32, zero after the text, byte 67 carried over.
    const std::uint8_t carried = record.bytes()[CredentialsRecord::kSize - 1];
    record.buildBlock(form.newUserName, form.newPassword);
    TRX_FUZZ_REQUIRE(trx::checksumHolds(record.bytes()));
    TRX_FUZZ_REQUIRE(record.bytes()[CredentialsRecord::kSize - 1] == carried);
    const auto expected = [](const std::string& text) {
        const std::string cut = text.substr(0, trx::kCredentialMaxChars);
        return cut.substr(0, cut.find('\0'));
    };
    TRX_FUZZ_REQUIRE(record.userName() == expected(form.newUserName));
    TRX_FUZZ_REQUIRE(record.password() == expected(form.newPassword));
    const auto built = record.bytes();
    for (std::size_t offset :
         {CredentialsRecord::kUserNameOffset, CredentialsRecord::kPasswordOffset}) {
        const std::size_t length =
            std::min(offset == 0 ? form.newUserName.size() : form.newPassword.size(),
                     trx::kCredentialMaxChars);
        TRX_FUZZ_REQUIRE(
            std::all_of(built.begin() + static_cast<std::ptrdiff_t>(offset + length),
                        built.begin() + static_cast<std::ptrdiff_t>(offset + kFieldSize),
                        [](std::uint8_t b) { return b == 0; }));
    }
    return 0;
}
