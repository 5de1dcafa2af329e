#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace trx {

// The characters the panel takes in its login. User names: digits, letters and the printable
// punctuation except " & : ; and backslash (89 characters). Passwords: the same plus : ; and
// backslash (92 characters). Space is allowed in neither.
enum class CharacterSet { UserName, Password };

bool inCharacterSet(char32_t c, CharacterSet set);

// The longest entry a field takes, in characters.
inline constexpr std::size_t kCredentialMaxChars = 32;

// What a field's check on every change of its text makes of it.
struct FieldCheck {
    enum class Verdict {
        Accepted,
        // A character outside the set: the text is cut before it.
        Disallowed,
        // More than 32 characters: the text is cut to 32.
        TooLong,
    };
    Verdict verdict = Verdict::Accepted;
    // How many leading characters the field keeps.
    std::size_t keep = 0;

    bool operator==(const FieldCheck&) const = default;
};

// Checks a field's text (one UTF-16 unit per element; any unit outside ASCII is disallowed).
FieldCheck checkField(std::u16string_view text, CharacterSet set);

// The five fields of the login form as SET reads them back.
struct CredentialForm {
    std::string oldUserName;
    std::string newUserName;
    std::string oldPassword;
    std::string newPassword;
    std::string retypePassword;
};

// The login that the panel reported last (or that was last tried on it).
struct StoredCredentials {
    std::string userName;
    std::string password;
};

// Every panel accepts its factory login as the old one.
inline constexpr std::string_view kDefaultUserName = "vexor";
inline constexpr std::string_view kDefaultPassword = "58203";

// The checks SET runs before it asks anything, in this order; the first failing one is reported.
enum class CredentialCheck {
    Passed,
    OldUserNameIncomplete,
    NewUserNameIncomplete,
    OldPasswordIncomplete,
    NewPasswordIncomplete,
    RetypePasswordIncomplete,
    RetypeMismatch,
    OldCredentialsRejected,
};

CredentialCheck checkForWrite(const CredentialForm& form, const StoredCredentials& stored);

// The old pair is the factory login or the stored one (exact comparisons).
bool oldCredentialsAccepted(std::string_view userName, std::string_view password,
                            const StoredCredentials& stored);

// The panel's 68-byte login block, kept in wire layout: a zero-terminated user name in bytes 0 to
// 32, a zero-terminated password in bytes 33 to 65, the checksum at 66, and byte 67, which the
// tool does not interpret but carries from the last read to the next write.
class CredentialsRecord {
  public:
    static constexpr std::size_t kSize = 68;
    static constexpr std::size_t kFieldSize = 33;
    static constexpr std::size_t kUserNameOffset = 0;
    static constexpr std::size_t kPasswordOffset = 33;
    static constexpr std::size_t kChecksumIndex = 66;

    // Copies the first 68 bytes of a read reply. A shorter reply does not hold a login and is
    // refused, leaving the record as it was.
    bool takeReply(std::span<const std::uint8_t> reply);

    // The field's text up to its zero byte; none when the field has no zero byte.
    std::optional<std::string> userName() const;
    std::optional<std::string> password() const;

    // Puts the new login into the block and seals it. Each field is zero after its text, so no
    // tail of an earlier, longer login travels along; byte 67 keeps its content. Texts longer than
    // 32 characters are cut to 32.
    void buildBlock(std::string_view userName, std::string_view password);

    std::span<const std::uint8_t, kSize> bytes() const { return m_bytes; }

  private:
    std::optional<std::string> field(std::size_t offset) const;
    void putField(std::size_t offset, std::string_view text);

    std::array<std::uint8_t, kSize> m_bytes{};
};

}  // namespace trx
