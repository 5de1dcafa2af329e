#include "records/Credentials.h"

#include <algorithm>

#include "wire/Checksum.h"

namespace trx {

namespace {

bool filled(const std::string& text, std::size_t minChars) {
    return text.size() >= minChars && text.size() <= kCredentialMaxChars;
}

}  // namespace

bool inCharacterSet(char32_t c, CharacterSet set) {
    // Printable ASCII without the space.
    if (c <= U' ' || c > U'~') {
        return false;
    }
    switch (c) {
        case U'"':
        case U'&':
            return false;
        case U':':
        case U';':
        case U'\\':
            return set == CharacterSet::Password;
        default:
            return true;
    }
}

FieldCheck checkField(std::u16string_view text, CharacterSet set) {
    const auto bad = std::find_if(text.begin(), text.end(),
                                  [set](char16_t c) { return !inCharacterSet(c, set); });
    const auto run = static_cast<std::size_t>(bad - text.begin());
    if (run < text.size()) {
        return {FieldCheck::Verdict::Disallowed, run};
    }
    if (text.size() > kCredentialMaxChars) {
        return {FieldCheck::Verdict::TooLong, kCredentialMaxChars};
    }
    return {FieldCheck::Verdict::Accepted, text.size()};
}

bool oldCredentialsAccepted(std::string_view userName, std::string_view password,
                            const StoredCredentials& stored) {
    if (userName == kDefaultUserName && password == kDefaultPassword) {
        return true;
    }
    return userName == stored.userName && password == stored.password;
}

CredentialCheck checkForWrite(const CredentialForm& form, const StoredCredentials& stored) {
    if (!filled(form.oldUserName, 1)) {
        return CredentialCheck::OldUserNameIncomplete;
    }
    if (!filled(form.newUserName, 1)) {
        return CredentialCheck::NewUserNameIncomplete;
    }
    if (!filled(form.oldPassword, 4)) {
        return CredentialCheck::OldPasswordIncomplete;
    }
    if (!filled(form.newPassword, 4)) {
        return CredentialCheck::NewPasswordIncomplete;
    }
    if (!filled(form.retypePassword, 4)) {
        return CredentialCheck::RetypePasswordIncomplete;
    }
    if (form.newPassword != form.retypePassword) {
        return CredentialCheck::RetypeMismatch;
    }
    if (!oldCredentialsAccepted(form.oldUserName, form.oldPassword, stored)) {
        return CredentialCheck::OldCredentialsRejected;
    }
    return CredentialCheck::Passed;
}

bool CredentialsRecord::takeReply(std::span<const std::uint8_t> reply) {
    if (reply.size() < kSize) {
        return false;
    }
    std::copy_n(reply.begin(), kSize, m_bytes.begin());
    return true;
}

std::optional<std::string> CredentialsRecord::field(std::size_t offset) const {
    const auto begin = m_bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = begin + static_cast<std::ptrdiff_t>(kFieldSize);
    const auto zero = std::find(begin, end, std::uint8_t{0});
    if (zero == end) {
        return std::nullopt;
    }
    return std::string(begin, zero);
}

std::optional<std::string> CredentialsRecord::userName() const {
    return field(kUserNameOffset);
}

std::optional<std::string> CredentialsRecord::password() const {
    return field(kPasswordOffset);
}

void CredentialsRecord::putField(std::size_t offset, std::string_view text) {
    const auto begin = m_bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    std::fill_n(begin, kFieldSize, std::uint8_t{0});
    const std::size_t length = std::min(text.size(), kCredentialMaxChars);
    std::transform(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length), begin,
                   [](char c) { return static_cast<std::uint8_t>(c); });
}

void CredentialsRecord::buildBlock(std::string_view userName, std::string_view password) {
    putField(kUserNameOffset, userName);
    putField(kPasswordOffset, password);
    sealChecksum(m_bytes, kChecksumIndex);
}

}  // namespace trx
