#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

// A broken invariant aborts so that libFuzzer keeps the input; assert() would be gone from the
// optimised build the targets run in.
#define TRX_FUZZ_REQUIRE(condition) \
    ((condition) ? void() : ::trx::fuzz::invariantBroken(#condition, __FILE__, __LINE__))

namespace trx::fuzz {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] inline void invariantBroken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

inline std::string_view asText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Every record takes a read reply the same way: whole when it holds the block, its first bytes
// becoming the block, else not at all.
inline void requireTakenWhole(bool taken, std::span<const std::uint8_t> reply,
                              std::span<const std::uint8_t> before,
                              std::span<const std::uint8_t> after) {
    const auto source = taken ? reply : before;
    TRX_FUZZ_REQUIRE(taken == (reply.size() >= after.size()) && source.size() >= after.size() &&
                     std::equal(after.begin(), after.end(), source.begin()));
}

// Reads a target's input front to back. Past the end every number reads as 0 and every piece as
// empty, so that any input, however short, is a valid script.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_rest(data, size) {}
    bool empty() const { return m_rest.empty(); }
    std::uint8_t byte() { return empty() ? 0 : take(1)[0]; }
    // Small signed values reach the "-1 selects nothing" and out-of-range paths.
    int signedByte() { return byte() - 128; }
    std::uint16_t u16() {
        const unsigned high = byte();
        return static_cast<std::uint16_t>(high << 8 | byte());
    }
    std::uint32_t u32() {
        const std::uint32_t high = u16();
        return high << 16 | u16();
    }
    std::span<const std::uint8_t> take(std::size_t n) {
        const auto piece = m_rest.first(std::min(n, m_rest.size()));
        m_rest = m_rest.subspan(piece.size());
        return piece;
    }
    // Up to n bytes in an allocation of their own size, so that ASan sees a read past the end.
    Bytes owned(std::size_t n) {
        const auto piece = take(n);
        return {piece.begin(), piece.end()};
    }
    // A piece after its one- or two-byte length, or all that is left.
    Bytes shortPiece() { return owned(byte()); }
    Bytes longPiece() { return owned(u16()); }
    Bytes rest() { return owned(m_rest.size()); }

  private:
    std::span<const std::uint8_t> m_rest;
};

}  // namespace trx::fuzz
