#include "wire/Checksum.h"

#include <algorithm>

namespace trx {

std::uint8_t byteSum(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

void sealChecksum(std::span<std::uint8_t> block, std::size_t checksumIndex) {
    if (checksumIndex >= block.size()) {
        return;
    }
    block[checksumIndex] = 0;
    block[checksumIndex] = static_cast<std::uint8_t>((256u - byteSum(block)) & 0xFFu);
}

bool checksumHolds(std::span<const std::uint8_t> bytes) {
    return byteSum(bytes) == 0;
}

bool startsWith(std::span<const std::uint8_t> bytes, std::span<const char> head) {
    if (bytes.size() < head.size()) {
        return false;
    }
    return std::equal(head.begin(), head.end(), bytes.begin(),
                      [](char h, std::uint8_t b) { return static_cast<std::uint8_t>(h) == b; });
}

}  // namespace trx
