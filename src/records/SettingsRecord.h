#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace trx {

// The settings as the Configuration page's controls hold them. Each radio pair is 0 for its
// first button and 1 for its second; a list index of kNoSelection shows no entry.
struct SettingsValues {
    static constexpr int kNoSelection = -1;
    // Items "0", "1", "2".
    static constexpr int kBrightnessLevels = 3;
    // "NoAsign", then "Cam1" to "Cam19".
    static constexpr int kTallyInputItems = 20;

    unsigned receivePort = 35200;
    int ledBrightness = 2;
    int segmentBrightness = 2;
    int buzzer = 0;       // 0 ON, 1 OFF
    int flarePed = 0;     // 0 FLARE, 1 PED
    int tallyEnable = 0;  // 0 ON, 1 OFF
    int tallyInput = 0;   // 0 NoAsign, n Cam n

    bool operator==(const SettingsValues&) const = default;
};

// The panel's 9-byte settings block, kept in wire layout: the same bytes arrive in the read's
// reply and go out in the write.
class SettingsRecord {
  public:
    static constexpr std::size_t kSize = 9;
    static constexpr std::size_t kChecksumIndex = 8;
    static constexpr unsigned kPortMin = 35200;
    static constexpr unsigned kPortMax = 35599;
    static constexpr std::uint8_t kNoTallyInput = 0xFF;

    // The panel's factory settings: 89 80 02 02 00 00 01 FF, checksum not yet sealed.
    SettingsRecord();

    // The record held in the first 9 bytes of a read reply. A shorter reply (an empty one passes
    // the checksum) does not hold a record and is refused.
    static std::optional<SettingsRecord> fromReply(std::span<const std::uint8_t> reply);

    SettingsValues decode() const;

    // Writes the values into bytes 0 to 7. A list that shows no selection (the panel sent a level
    // or an input the lists do not offer) keeps the byte that was read, so a write never changes
    // a setting the operator did not touch.
    void encode(const SettingsValues& values);

    // Sets byte 8 so that the 9 bytes sum to 0.
    void seal();

    std::span<const std::uint8_t, kSize> bytes() const { return m_bytes; }

  private:
    std::array<std::uint8_t, kSize> m_bytes{};
};

// True when the result line of a settings write says the panel took the record.
bool settingsWriteTaken(std::span<const std::uint8_t> resultLine);

}  // namespace trx
