#include "records/SettingsRecord.h"

#include <algorithm>

#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace trx {

namespace {

constexpr std::size_t kPortHigh = 0;
constexpr std::size_t kPortLow = 1;
constexpr std::size_t kLedBrightness = 2;
constexpr std::size_t kSegmentBrightness = 3;
constexpr std::size_t kBuzzer = 4;
constexpr std::size_t kFlarePed = 5;
constexpr std::size_t kTallyEnable = 6;
constexpr std::size_t kTallyInput = 7;

int brightnessIndex(std::uint8_t level) {
    return level < SettingsValues::kBrightnessLevels ? level : SettingsValues::kNoSelection;
}

bool listed(int index, int items) {
    return index >= 0 && index < items;
}

}  // namespace

SettingsRecord::SettingsRecord() : m_bytes{0x89, 0x80, 0x02, 0x02, 0x00, 0x00, 0x01, 0xFF, 0x00} {}

std::optional<SettingsRecord> SettingsRecord::fromReply(std::span<const std::uint8_t> reply) {
    if (reply.size() < kSize) {
        return std::nullopt;
    }
    SettingsRecord record;
    std::copy_n(reply.begin(), kSize, record.m_bytes.begin());
    return record;
}

SettingsValues SettingsRecord::decode() const {
    SettingsValues values;
    values.receivePort = static_cast<unsigned>(m_bytes[kPortHigh]) * 256u + m_bytes[kPortLow];
    values.ledBrightness = brightnessIndex(m_bytes[kLedBrightness]);
    values.segmentBrightness = brightnessIndex(m_bytes[kSegmentBrightness]);
    // The panel treats every non-zero buzzer byte as off, every flare/ped byte but 1 as FLARE and
    // every non-zero tally byte as on.
    values.buzzer = m_bytes[kBuzzer] != 0 ? 1 : 0;
    values.flarePed = m_bytes[kFlarePed] == 1 ? 1 : 0;
    values.tallyEnable = m_bytes[kTallyEnable] == 0 ? 1 : 0;
    const std::uint8_t input = m_bytes[kTallyInput];
    if (input == kNoTallyInput) {
        values.tallyInput = 0;
    } else if (input + 1 < SettingsValues::kTallyInputItems) {
        values.tallyInput = input + 1;
    } else {
        values.tallyInput = SettingsValues::kNoSelection;
    }
    return values;
}

void SettingsRecord::encode(const SettingsValues& values) {
    m_bytes[kPortHigh] = static_cast<std::uint8_t>((values.receivePort / 256u) & 0xFFu);
    m_bytes[kPortLow] = static_cast<std::uint8_t>(values.receivePort % 256u);
    if (listed(values.ledBrightness, SettingsValues::kBrightnessLevels)) {
        m_bytes[kLedBrightness] = static_cast<std::uint8_t>(values.ledBrightness);
    }
    if (listed(values.segmentBrightness, SettingsValues::kBrightnessLevels)) {
        m_bytes[kSegmentBrightness] = static_cast<std::uint8_t>(values.segmentBrightness);
    }
    m_bytes[kBuzzer] = values.buzzer != 0 ? 1 : 0;
    m_bytes[kFlarePed] = values.flarePed == 1 ? 1 : 0;
    m_bytes[kTallyEnable] = values.tallyEnable != 1 ? 1 : 0;
    if (values.tallyInput == 0) {
        m_bytes[kTallyInput] = kNoTallyInput;
    } else if (listed(values.tallyInput, SettingsValues::kTallyInputItems)) {
        m_bytes[kTallyInput] = static_cast<std::uint8_t>(values.tallyInput - 1);
    }
}

void SettingsRecord::seal() {
    sealChecksum(m_bytes, kChecksumIndex);
}

bool settingsWriteTaken(std::span<const std::uint8_t> resultLine) {
    return startsWith(resultLine, panel_line::kWriteOk);
}

}  // namespace trx
