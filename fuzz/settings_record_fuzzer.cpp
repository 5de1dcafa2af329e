// The Configuration page's settings record: a read reply of any length decoded into the form,
// written back unchanged or with any form values, and sealed.
//
// Input: the reply length (one byte) and the reply, then the form values.

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "FuzzInput.h"
#include "records/SettingsRecord.h"
#include "wire/Checksum.h"

namespace {

using trx::SettingsRecord;
using trx::SettingsValues;

bool listedOrNone(int index, int items) {
    return index == SettingsValues::kNoSelection || (index >= 0 && index < items);
}

void checkDecoded(const SettingsValues& v) {
    TRX_FUZZ_REQUIRE(v.receivePort <= 0xFFFFu);
    TRX_FUZZ_REQUIRE(listedOrNone(v.ledBrightness, SettingsValues::kBrightnessLevels));
    TRX_FUZZ_REQUIRE(listedOrNone(v.segmentBrightness, SettingsValues::kBrightnessLevels));
    TRX_FUZZ_REQUIRE(v.buzzer == 0 || v.buzzer == 1);
    TRX_FUZZ_REQUIRE(v.flarePed == 0 || v.flarePed == 1);
    TRX_FUZZ_REQUIRE(v.tallyEnable == 0 || v.tallyEnable == 1);
    TRX_FUZZ_REQUIRE(listedOrNone(v.tallyInput, SettingsValues::kTallyInputItems));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const std::vector<std::uint8_t> reply = in.shortPiece();
    const auto record = SettingsRecord::fromReply(reply);
    TRX_FUZZ_REQUIRE(record.has_value() == (reply.size() >= SettingsRecord::kSize));
    if (!record) {
        return 0;
    }
    const auto read = record->bytes();
    TRX_FUZZ_REQUIRE(std::equal(read.begin(), read.end(), reply.begin()));
    const SettingsValues values = record->decode();
    checkDecoded(values);

    // SET without a touched control writes back what was read, the three on/off bytes in the
    // panel's own reading of them.
    SettingsRecord written = *record;
    written.encode(values);
    std::array<std::uint8_t, SettingsRecord::kSize> out{};
    std::copy_n(written.bytes().begin(), out.size(), out.begin());
    for (std::size_t i : {0u, 1u, 2u, 3u, 7u, 8u}) {
        TRX_FUZZ_REQUIRE(out[i] == read[i]);
    }
    TRX_FUZZ_REQUIRE(out[4] == (read[4] != 0 ? 1 : 0));
    TRX_FUZZ_REQUIRE(out[5] == (read[5] == 1 ? 1 : 0));
    TRX_FUZZ_REQUIRE(out[6] == (read[6] != 0 ? 1 : 0));
    TRX_FUZZ_REQUIRE(written.decode() == values);
    written.seal();
    TRX_FUZZ_REQUIRE(trx::checksumHolds(written.bytes()));
    TRX_FUZZ_REQUIRE(std::equal(out.begin(), out.end() - 1, written.bytes().begin()));

    // Any values the form can hold, including lists that show nothing.
    SettingsValues edited;
    edited.receivePort = in.u32();
    edited.ledBrightness = in.signedByte();
    edited.segmentBrightness = in.signedByte();
    edited.buzzer = in.signedByte();
    edited.flarePed = in.signedByte();
    edited.tallyEnable = in.signedByte();
    edited.tallyInput = in.signedByte();
    SettingsRecord changed = *record;
    changed.encode(edited);
    changed.seal();
    TRX_FUZZ_REQUIRE(trx::checksumHolds(changed.bytes()));
    const SettingsValues back = changed.decode();
    checkDecoded(back);
    TRX_FUZZ_REQUIRE(back.receivePort == (edited.receivePort & 0xFFFFu));
    TRX_FUZZ_REQUIRE(back.ledBrightness ==
                     (listedOrNone(edited.ledBrightness, SettingsValues::kBrightnessLevels) &&
                              edited.ledBrightness >= 0
                          ? edited.ledBrightness
                          : values.ledBrightness));
    TRX_FUZZ_REQUIRE(back.tallyInput ==
                     (edited.tallyInput >= 0 && edited.tallyInput < SettingsValues::kTallyInputItems
                          ? edited.tallyInput
                          : values.tallyInput));
    return 0;
}
