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

bool listedOrNone(int index, int items) {
    return index == SettingsValues::kNoSelection || (index >= 0 && index < items);
}

void checkDecoded(const SettingsValues& v) {
    TRX_FUZZ_REQUIRE(v.receivePort <= 0xFFFFu);
    TRX_FUZZ_REQUIRE(listedOrNone(v.ledBrightness, SettingsValues::kBrightnessLevels));
    TRX_FUZZ_REQUIRE(listedOrNone(v.segmentBrightness, SettingsValues::kBrightnessLevels));
    // Each radio pair is 0 or 1.
    TRX_FUZZ_REQUIRE(((v.buzzer | v.flarePed | v.tallyEnable) & ~1) == 0);
    TRX_FUZZ_REQUIRE(listedOrNone(v.tallyInput, SettingsValues::kTallyInputItems));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const trx::fuzz::Bytes reply = in.shortPiece();
    const auto record = SettingsRecord::fromReply(reply);
    TRX_FUZZ_REQUIRE(record.has_value() == (reply.size() >= SettingsRecord::kSize));
    if (!record) {
        return 0;
    }
    const auto read = record->bytes();
    TRX_FUZZ_REQUIRE(trx::fuzz::hasPrefix(reply, read));
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
    const auto unsealed = std::vector(out.begin(), out.end() - 1);
    written.seal();
    TRX_FUZZ_REQUIRE(trx::checksumHolds(written.bytes()));
    TRX_FUZZ_REQUIRE(trx::fuzz::hasPrefix(written.bytes(), unsealed));

    // Any values the form can hold, including lists that show nothing.
    SettingsValues edited;
    edited.receivePort = in.u32();
    for (int* value : {&edited.ledBrightness, &edited.segmentBrightness, &edited.buzzer,
                       &edited.flarePed, &edited.tallyEnable, &edited.tallyInput}) {
        *value = in.signedByte();
    }
    SettingsRecord changed = *record;
    changed.encode(edited);
    changed.seal();
    TRX_FUZZ_REQUIRE(trx::checksumHolds(changed.bytes()));
    const SettingsValues back = changed.decode();
    checkDecoded(back);
    TRX_FUZZ_REQUIRE(back.receivePort == (edited.receivePort & 0xFFFFu));
    // A list index outside the list keeps what was read.
    const auto kept = [](int value, int items, int previous) {
        return value >= 0 && value < items ? value : previous;
    };
    TRX_FUZZ_REQUIRE(back.ledBrightness == kept(edited.ledBrightness,
                                                SettingsValues::kBrightnessLevels,
                                                values.ledBrightness));
    TRX_FUZZ_REQUIRE(back.tallyInput ==
                     kept(edited.tallyInput, SettingsValues::kTallyInputItems, values.tallyInput));
    return 0;
}
