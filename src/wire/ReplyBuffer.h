#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace trx {

// The one reply buffer of an exchange: 4096 bytes filled from its start. It holds the whole
// reply of a request, or one acknowledgement or result line of a write. Kept free of sockets so
// that the assembly rules can be tested and fuzzed on their own.
class ReplyBuffer {
  public:
    static constexpr std::size_t kCapacity = 4096;

    // Starts over at offset 0 (the result line of a write is read over the acknowledgement).
    void restart() { m_size = 0; }

    // Takes as many of the bytes as there is room for and returns how many it took.
    std::size_t append(std::span<const std::uint8_t> bytes);

    std::size_t room() const { return kCapacity - m_size; }
    bool full() const { return m_size == kCapacity; }
    std::size_t size() const { return m_size; }
    std::span<const std::uint8_t> bytes() const { return {m_bytes.data(), m_size}; }
    std::vector<std::uint8_t> copy() const {
        return {m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_size)};
    }

    // The panel ends each line with CR LF and one more byte: a line is complete once the byte
    // three places before the end of everything held is CR. Looked at only from 3 bytes on.
    bool lineComplete() const { return m_size >= 3 && m_bytes[m_size - 3] == 0x0D; }

  private:
    std::array<std::uint8_t, kCapacity> m_bytes{};
    std::size_t m_size = 0;
};

}  // namespace trx
