#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

namespace trx::fuzz {

// A broken invariant stops the run so that libFuzzer keeps the input; assert() would be gone
// from the optimised build the fuzzers run in.
[[noreturn]] inline void invariantBroken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

#define TRX_FUZZ_REQUIRE(condition)                                       \
    do {                                                                  \
        if (!(condition)) {                                               \
            ::trx::fuzz::invariantBroken(#condition, __FILE__, __LINE__); \
        }                                                                 \
    } while (false)

// Reads a fuzzer's input front to back. Past the end every number reads as 0 and every piece
// as empty, so that any input, however short, is a valid script.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_rest(size == 0 ? std::span<const std::uint8_t>{} : std::span{data, size}) {}

    bool empty() const { return m_rest.empty(); }
    std::size_t left() const { return m_rest.size(); }

    std::uint8_t byte() {
        if (m_rest.empty()) {
            return 0;
        }
        const std::uint8_t b = m_rest.front();
        m_rest = m_rest.subspan(1);
        return b;
    }

    // Small signed values reach the "-1 selects nothing" and out-of-range paths.
    int signedByte() { return static_cast<int>(byte()) - 128; }

    std::uint16_t u16() {
        const unsigned high = byte();
        return static_cast<std::uint16_t>((high << 8) | byte());
    }

    std::uint32_t u32() {
        const std::uint32_t high = u16();
        return (high << 16) | u16();
    }

    // Up to n bytes.
    std::span<const std::uint8_t> take(std::size_t n) {
        const std::span<const std::uint8_t> piece = m_rest.first(std::min(n, m_rest.size()));
        m_rest = m_rest.subspan(piece.size());
        return piece;
    }

    // Up to n bytes in an allocation of their own size, so that ASan sees a read past the end.
    std::vector<std::uint8_t> owned(std::size_t n) {
        const auto piece = take(n);
        return {piece.begin(), piece.end()};
    }

    // A piece whose length is given by the byte before it.
    std::vector<std::uint8_t> shortPiece() { return owned(byte()); }
    // A piece whose length is given by the two bytes before it.
    std::vector<std::uint8_t> longPiece() { return owned(u16()); }

    std::vector<std::uint8_t> rest() { return owned(m_rest.size()); }

  private:
    std::span<const std::uint8_t> m_rest;
};

inline std::string_view asText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace trx::fuzz
