#include "wire/ReplyBuffer.h"

#include <algorithm>

namespace trx {

std::size_t ReplyBuffer::append(std::span<const std::uint8_t> bytes) {
    const std::size_t taken = std::min(bytes.size(), room());
    std::copy_n(bytes.begin(), taken, m_bytes.begin() + static_cast<std::ptrdiff_t>(m_size));
    m_size += taken;
    return taken;
}

}  // namespace trx
