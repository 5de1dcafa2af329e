// The Configuration page's settings record: a read reply of any length decoded into the form,
// written back unchanged or with any form values, and sealed.
//
// Input: the reply length (one byte) and the reply, then the form values.

#include "FuzzInput.h"
#include "records/SettingsRecord.h"
#include "wire/Checksum.h"

namespace {

using trx::SettingsRecord;
using trx::SettingsValues;

// What the form can show: each list index in its list or none, each radio pair 0 or 1.
void checkDecoded(const SettingsValues& v) {
    for (const auto& [index, items] : {std::pair(v.ledBrightness, v.kBrightnessLevels),
                                       std::pair(v.segmentBrightness, v.kBrightnessLevels),
                                       std::pair(v.tallyInput, v.kTallyInputItems)}) {
        TRX_FUZZ_REQUIRE(index == v.kNoSelection || (index >= 0 && index < items));
    }
    TRX_FUZZ_REQUIRE(v.receivePort <= 0xFFFFu &&
                     ((v.buzzer | v.flarePed | v.tallyEnable) & ~1) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const trx::fuzz::Bytes reply = in.shortPiece();
    const auto record = SettingsRecord::fromReply(reply);
    if (!record) {
        TRX_FUZZ_REQUIRE(reply.size() < SettingsRecord::kSize);
        return 0;
    }
    const auto read = record->bytes();
    trx::fuzz::requireTakenWhole(true, reply, {}, read);
    const SettingsValues values = record->decode();
    checkDecoded(values);

    // SET without a touched control writes back what was read, the three on/off bytes in the
    // panel's own reading of them.
    SettingsRecord written = *record;
    written.encode(values);
    const auto out = written.bytes();
    for (std::size_t i : {0u, 1u, 2u, 3u, 7u, 8u}) {
        TRX_FUZZ_REQUIRE(out[i] == read[i]);
    }
    TRX_FUZZ_REQUIRE(out[4] == (read[4] != 0 ? 1 : 0) && out[5] == (read[5] == 1 ? 1 : 0));
    TRX_FUZZ_REQUIRE(out[6] == (read[6] != 0 ? 1 : 0) && written.decode() == values);

    // Any values the form can hold, including lists that show nothing; a list index outside the
    // list keeps what was read (the page tests pin which byte each value lands in).
    SettingsValues edited;
    edited.receivePort = in.u32();
    for (int* value : {&edited.ledBrightness, &edited.segmentBrightness, &edited.buzzer,
                       &edited.flarePed, &edited.tallyEnable, &edited.tallyInput}) {
        *value = in.signedByte();
    }
    written.encode(edited);
    written.seal();
    TRX_FUZZ_REQUIRE(trx::checksumHolds(written.bytes()));
    const SettingsValues back = written.decode();
    checkDecoded(back);
    const auto kept = [](int value, int items, int previous) {
        return value >= 0 && value < items ? value : previous;
    };
    TRX_FUZZ_REQUIRE(
        back.receivePort == (edited.receivePort & 0xFFFFu) &&
        back.ledBrightness ==
            kept(edited.ledBrightness, values.kBrightnessLevels, values.ledBrightness) &&
        back.tallyInput == kept(edited.tallyInput, values.kTallyInputItems, values.tallyInput));
    return 0;
}
