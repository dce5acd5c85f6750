#pragma once
// A carried file as it lies in the setup's read-only data: a dimension count (always 1),
// a byte length N, then the N bytes. Little-endian, nothing between the fields.
#include <cstdint>
#include <span>

namespace payload {

struct PayloadBlock {
    std::int32_t dimensionCount;
    std::int32_t length;

    // The content follows the two fields directly.
    const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(this + 1); }
};
static_assert(sizeof(PayloadBlock) == 8, "the block header is two int32 fields");

// The length field of a block; an absent block counts as empty.
inline std::int32_t BlockLength(const PayloadBlock* block) { return block != nullptr ? block->length : 0; }

// The bytes of a block, as many as its length field counts; none for an absent block or a
// length of 0 or less.
inline std::span<const unsigned char> BlockBytes(const PayloadBlock* block) {
    const std::int32_t length = BlockLength(block);
    if (length <= 0) return {};
    return {block->Bytes(), static_cast<std::size_t>(length)};
}

}  // namespace payload
