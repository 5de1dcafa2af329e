// The exchange's reply and line assembly fed any bytes in any pieces, checked against a plain
// model of the same rules: at most 4096 bytes kept, a line complete once the byte three places
// before the end is CR, a reply good when its bytes sum to 0. Which lines startsWith matches is
// pinned by the wire tests.
//
// Input: a head byte (bits 0-3: how many piece lengths follow; bit 4: read lines, starting
// over after each complete line as a write does), the piece
// lengths, then the bytes the panel sends, cut into pieces by those lengths in turn.

#include <limits>
#include <numeric>

#include "FuzzInput.h"
#include "wire/Checksum.h"
#include "wire/ReplyBuffer.h"

namespace {

using trx::ReplyBuffer;
using trx::fuzz::Bytes;

// After every piece: what costs no more than the piece itself.
void checkPiece(const ReplyBuffer& buffer, const Bytes& model) {
    TRX_FUZZ_REQUIRE(buffer.size() == model.size() && buffer.bytes().size() == model.size());
    TRX_FUZZ_REQUIRE(buffer.room() + buffer.size() == ReplyBuffer::kCapacity);
    TRX_FUZZ_REQUIRE(buffer.full() == (model.size() == ReplyBuffer::kCapacity));
    TRX_FUZZ_REQUIRE(buffer.lineComplete() ==
                     (model.size() >= 3 && model[model.size() - 3] == '\r'));
}

// Once a reply or line has ended, as the exchange judges it then. Sealing is pinned by the
// wire tests.
void checkWhole(const ReplyBuffer& buffer, const Bytes& model) {
    const auto held = buffer.bytes();
    TRX_FUZZ_REQUIRE(std::ranges::equal(held, model) && buffer.copy() == model);
    const unsigned sum = std::accumulate(model.begin(), model.end(), 0u) % 256;
    TRX_FUZZ_REQUIRE(trx::byteSum(held) == sum && trx::checksumHolds(held) == (sum == 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::fuzz::FuzzInput in(data, size);
    const std::uint8_t head = in.byte();
    const bool lines = (head & 0x10) != 0;
    // Lengths 0..199 as they are; above, whole multiples of 256 so that one piece can overrun
    // the buffer. No length but 0 takes all that is left as one piece.
    std::vector<std::size_t> lengths;
    for (unsigned i = 0; i < (head & 0x0Fu); ++i) {
        const std::uint8_t code = in.byte();
        lengths.push_back(code < 200 ? code : static_cast<std::size_t>(code - 199) * 256);
    }
    if (std::ranges::all_of(lengths, [](std::size_t n) { return n == 0; })) {
        lengths.push_back(std::numeric_limits<std::size_t>::max());
    }

    ReplyBuffer buffer;
    Bytes model;
    checkPiece(buffer, model);
    for (std::size_t piece = 0; !in.empty(); ++piece) {
        // Each piece in its own allocation: a read past its end is caught.
        const Bytes bytes = in.owned(lengths[piece % lengths.size()]);
        const std::size_t taken = std::min(bytes.size(), buffer.room());
        TRX_FUZZ_REQUIRE(buffer.append(bytes) == taken);
        model.insert(model.end(), bytes.begin(),
                     bytes.begin() + static_cast<std::ptrdiff_t>(taken));
        checkPiece(buffer, model);
        if (lines && (buffer.lineComplete() || buffer.full())) {
            // The result line of a write is read over the acknowledgement.
            checkWhole(buffer, model);
            buffer.restart();
            model.clear();
            checkPiece(buffer, model);
        }
    }
    checkWhole(buffer, model);
    return 0;
}
