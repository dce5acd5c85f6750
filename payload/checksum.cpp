#include "payload/checksum.h"

#include <array>
#include <memory>

namespace payload {
namespace {

// Eight bytes a step ("slicing by 8"): table[k][b] is the CRC of byte b followed by k zero
// bytes. Made for each call: a few microseconds, and no room in the executable.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

void MakeTables(Tables& tables) {
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
        for (std::size_t k = 1; k < 8; ++k) tables[k][i] = (tables[k - 1][i] >> 8) ^ tables[0][tables[k - 1][i] & 0xFF];
    }
}

std::uint32_t LittleEndian32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The whole block, header and content, when it lies within `image` and its length is 0 or
// more; empty otherwise. The length field is read only once the header is known to be inside,
// and the content's end is measured against what is left of the image, never added to an address.
std::span<const unsigned char> WholeBlockWithin(const PayloadBlock* block, std::span<const unsigned char> image) {
    const auto at = reinterpret_cast<std::uintptr_t>(block), start = reinterpret_cast<std::uintptr_t>(image.data());
    if (block == nullptr || at < start) return {};
    const std::uintptr_t offset = at - start;
    if (offset > image.size() || image.size() - offset < sizeof(PayloadBlock)) return {};
    const std::int32_t length = block->length;
    if (length < 0 || static_cast<std::size_t>(length) > image.size() - offset - sizeof(PayloadBlock)) return {};
    return {image.data() + offset, sizeof(PayloadBlock) + static_cast<std::size_t>(length)};
}

}  // namespace

std::uint32_t Crc32(std::span<const unsigned char> bytes) {
    // On the heap: 8 KB is more than one page of stack, and what ships never probes its stack.
    const std::unique_ptr<Tables> tables(new Tables);
    Tables& t = *tables;
    MakeTables(t);
    std::uint32_t crc = 0xFFFFFFFFu;
    const unsigned char* p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        const std::uint32_t low = crc ^ LittleEndian32(p), high = LittleEndian32(p + 4);
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
              t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; n > 0; --n, ++p) crc = t[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

bool BlocksIntact(std::span<const CatalogEntry> catalog, std::span<const std::uint32_t> checksums,
                  std::span<const unsigned char> image) {
    if (catalog.size() != checksums.size()) return false;
    for (std::size_t i = 0; i < catalog.size(); ++i) {
        const std::span<const unsigned char> whole = WholeBlockWithin(catalog[i].block, image);
        if (whole.empty() || Crc32(whole) != checksums[i]) return false;
    }
    return true;
}

}  // namespace payload
