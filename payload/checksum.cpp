#include "payload/checksum.h"

#include <array>

namespace payload {
namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

std::uint32_t Crc32(std::span<const unsigned char> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char byte : bytes) crc = kTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

bool BlocksIntact(std::span<const CatalogEntry> catalog, std::span<const std::uint32_t> checksums) {
    if (catalog.size() != checksums.size()) return false;
    for (std::size_t i = 0; i < catalog.size(); ++i) {
        if (Crc32(BlockBytes(catalog[i].block)) != checksums[i]) return false;
    }
    return true;
}

}  // namespace payload
