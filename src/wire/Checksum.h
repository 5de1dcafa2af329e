#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace trx {

// Every block and reply that the panel and the tool exchange carries an 8-bit additive
// checksum: all of its bytes sum to 0 modulo 256.

// The 8-bit sum of all bytes.
std::uint8_t byteSum(std::span<const std::uint8_t> bytes);

// Zeroes the byte at checksumIndex and stores there the two's complement of the sum of the
// whole block, so that the block then sums to 0. Every byte counts, also those after the
// checksum position. An index outside the block leaves the block as it was.
void sealChecksum(std::span<std::uint8_t> block, std::size_t checksumIndex);

// True when the bytes sum to 0 modulo 256; an empty string holds.
bool checksumHolds(std::span<const std::uint8_t> bytes);

// True when the text starts with the given line head (compared over the head's length).
bool startsWith(std::span<const std::uint8_t> bytes, std::span<const char> head);

}  // namespace trx
