// The exchange's reply and line assembly fed any bytes in any pieces, checked against a plain
// model of the same rules: at most 4096 bytes kept, a line complete once the byte three places
// before the end is CR, a reply good when its bytes sum to 0.
//
// Input: a head byte (bits 0-3: how many piece lengths follow; bit 4: read lines, starting
// over after each complete line as a write does; bits 5-7: where to seal the copy), the piece
// lengths, then the bytes the panel sends, cut into pieces by those lengths in turn.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"
#include "wire/ReplyBuffer.h"

namespace {

using trx::ReplyBuffer;

// Lengths 0..199 as they are; above, whole multiples of 256 so that one piece can overrun the
// buffer.
std::size_t pieceLength(std::uint8_t code) {
    return code < 200 ? code : static_cast<std::size_t>(code - 199) * 256;
}

bool naiveStartsWith(const std::vector<std::uint8_t>& bytes, std::string_view head) {
    return bytes.size() >= head.size() &&
           std::equal(head.begin(), head.end(), bytes.begin(),
                      [](char h, std::uint8_t b) { return static_cast<std::uint8_t>(h) == b; });
}

// After every piece: what costs no more than the piece itself.
void checkPiece(const ReplyBuffer& buffer, const std::vector<std::uint8_t>& model,
                std::span<const std::uint8_t> taken) {
    TRX_FUZZ_REQUIRE(buffer.size() <= ReplyBuffer::kCapacity);
    TRX_FUZZ_REQUIRE(buffer.size() == model.size());
    TRX_FUZZ_REQUIRE(buffer.room() + buffer.size() == ReplyBuffer::kCapacity);
    TRX_FUZZ_REQUIRE(buffer.full() == (model.size() == ReplyBuffer::kCapacity));
    const auto held = buffer.bytes();
    TRX_FUZZ_REQUIRE(held.size() == model.size());
    TRX_FUZZ_REQUIRE(std::equal(taken.begin(), taken.end(), held.end() - std::ssize(taken)));

    const bool line = model.size() >= 3 && model[model.size() - 3] == '\r';
    TRX_FUZZ_REQUIRE(buffer.lineComplete() == line);
    namespace pl = trx::panel_line;
    TRX_FUZZ_REQUIRE(trx::startsWith(held, pl::kAcknowledge) ==
                     naiveStartsWith(model, pl::kAcknowledge));
    TRX_FUZZ_REQUIRE(trx::startsWith(held, pl::kWriteOk) == naiveStartsWith(model, pl::kWriteOk));
    TRX_FUZZ_REQUIRE(trx::startsWith(held, pl::kCameraTypeSettingNg) ==
                     naiveStartsWith(model, pl::kCameraTypeSettingNg));
}

// Once a reply or line has ended, as the exchange judges it then.
void checkWhole(const ReplyBuffer& buffer, const std::vector<std::uint8_t>& model) {
    const auto held = buffer.bytes();
    TRX_FUZZ_REQUIRE(std::equal(held.begin(), held.end(), model.begin(), model.end()));
    TRX_FUZZ_REQUIRE(buffer.copy() == model);
    unsigned sum = 0;
    for (std::uint8_t b : model) {
        sum += b;
    }
    TRX_FUZZ_REQUIRE(trx::byteSum(held) == sum % 256);
    TRX_FUZZ_REQUIRE(trx::checksumHolds(held) == (sum % 256 == 0));
}

// Sealing a copy of what was received, anywhere in it or past its end.
void checkSeal(std::vector<std::uint8_t> bytes, std::size_t index) {
    const std::vector<std::uint8_t> before = bytes;
    trx::sealChecksum(bytes, index);
    if (index >= before.size()) {
        TRX_FUZZ_REQUIRE(bytes == before);
        return;
    }
    TRX_FUZZ_REQUIRE(trx::checksumHolds(bytes));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        TRX_FUZZ_REQUIRE(i == index || bytes[i] == before[i]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const std::uint8_t head = in.byte();
    const bool lines = (head & 0x10) != 0;
    const std::size_t sealAt = static_cast<std::size_t>(head >> 5) * 700;
    std::vector<std::size_t> lengths;
    for (unsigned i = 0; i < (head & 0x0Fu); ++i) {
        lengths.push_back(pieceLength(in.byte()));
    }
    if (std::all_of(lengths.begin(), lengths.end(), [](std::size_t n) { return n == 0; })) {
        lengths.push_back(in.left());
    }

    ReplyBuffer buffer;
    std::vector<std::uint8_t> model;
    checkPiece(buffer, model, {});
    checkWhole(buffer, model);
    for (std::size_t piece = 0; !in.empty(); ++piece) {
        // Each piece in its own allocation: a read past its end is caught.
        const std::vector<std::uint8_t> bytes = in.owned(lengths[piece % lengths.size()]);
        const std::size_t room = buffer.room();
        const std::size_t taken = buffer.append(bytes);
        TRX_FUZZ_REQUIRE(taken == std::min(bytes.size(), room));
        const auto kept = std::span(bytes).first(taken);
        model.insert(model.end(), kept.begin(), kept.end());
        checkPiece(buffer, model, kept);
        if (lines && (buffer.lineComplete() || buffer.full())) {
            // The result line of a write is read over the acknowledgement.
            checkWhole(buffer, model);
            checkSeal(buffer.copy(), sealAt);
            buffer.restart();
            model.clear();
            checkPiece(buffer, model, {});
        }
    }
    checkWhole(buffer, model);
    checkSeal(buffer.copy(), sealAt);
    return 0;
}
