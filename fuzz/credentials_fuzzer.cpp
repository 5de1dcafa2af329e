// The UserAuth. page's login record: a read reply of any length, the user name and password
// taken out of it and shown, the SET checks and the block built from any form texts. Which form
// texts SET refuses, and how a block lays out short texts, are pinned by the page tests.
//
// Input: a two-byte reply length and the reply, then the five form texts (old user name, new
// user name, old password, new password, retype), each a length byte and its bytes, then any
// UTF-16 text for the field checks.

#include <QString>

#include "FuzzInput.h"
#include "records/Credentials.h"
#include "wire/Checksum.h"

namespace {

using trx::CredentialsRecord;
constexpr std::size_t kMaxChars = trx::kCredentialMaxChars;

// The field check as a field's validator runs it on each change of its text: cut before the
// first character outside the set, else to 32 characters.
void checkFieldChecks(std::u16string_view text) {
    for (const auto set : {trx::CharacterSet::UserName, trx::CharacterSet::Password}) {
        const auto allowed = [set](char16_t c) { return trx::inCharacterSet(c, set); };
        const auto bad =
            static_cast<std::size_t>(std::ranges::find_if_not(text, allowed) - text.begin());
        using V = trx::FieldCheck::Verdict;
        TRX_FUZZ_REQUIRE(trx::checkField(text, set) ==
                         (bad < text.size()         ? trx::FieldCheck{V::Disallowed, bad}
                          : text.size() > kMaxChars ? trx::FieldCheck{V::TooLong, kMaxChars}
                                                    : trx::FieldCheck{V::Accepted, text.size()}));
    }
}

// Each text is its field's bytes up to the first zero; a field without a zero holds none.
void checkTexts(const CredentialsRecord& record) {
    for (const std::size_t offset : {std::size_t{0}, CredentialsRecord::kFieldSize}) {
        const auto field =
            trx::fuzz::asText(record.bytes().subspan(offset, CredentialsRecord::kFieldSize));
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
    trx::fuzz::requireTakenWhole(record.takeReply(reply), reply, before.bytes(), record.bytes());
    checkTexts(record);

    trx::StoredCredentials stored{std::string(trx::kDefaultUserName),
                                  std::string(trx::kDefaultPassword)};
    if (record.userName() && record.password()) {
        stored = {*record.userName(), *record.password()};
    }
    // The page shows each text through a Latin-1 QString; then whatever UTF-16 the rest makes,
    // lone surrogates included.
    trx::CredentialForm form;
    for (std::string* text : {&stored.userName, &form.oldUserName, &form.newUserName,
                              &form.oldPassword, &form.newPassword, &form.retypePassword}) {
        if (text != &stored.userName) {
            const trx::fuzz::Bytes piece = in.shortPiece();
            text->assign(piece.begin(), piece.end());
        }
        const QString shown = QString::fromLatin1(text->data(), std::ssize(*text));
        TRX_FUZZ_REQUIRE(shown.toLatin1().toStdString() == *text);
        checkFieldChecks(shown.toStdU16String());
    }
    const trx::fuzz::Bytes units = in.rest();
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        wide.push_back(static_cast<char16_t>(units[i] << 8 | units[i + 1]));
    }
    checkFieldChecks(wide);
    if (trx::checkForWrite(form, stored) == trx::CredentialCheck::Passed) {
        TRX_FUZZ_REQUIRE(form.newPassword == form.retypePassword &&
                         form.newUserName.size() <= kMaxChars && form.newPassword.size() >= 4 &&
                         form.newPassword.size() <= kMaxChars);
    }

    // The block is built from any texts, each cut to 32; byte 67 is carried over.
    const std::uint8_t carried = record.bytes().back();
    record.buildBlock(form.newUserName, form.newPassword);
    TRX_FUZZ_REQUIRE(trx::checksumHolds(record.bytes()) && record.bytes().back() == carried);
    checkTexts(record);
    TRX_FUZZ_REQUIRE(record.userName()->size() <= kMaxChars &&
                     record.password()->size() <= kMaxChars);
    return 0;
}
