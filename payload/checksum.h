#pragma once
// Whether the carried files arrived whole: each block's CRC-32, recorded when the setup was
// built, against its bytes as they are now.
#include <cstdint>
#include <span>

#include "payload/catalog.h"

namespace payload {

// The CRC-32 of ISO 3309 and zip (reflected, polynomial 0xEDB88320).
std::uint32_t Crc32(std::span<const unsigned char> bytes);

// The checksums recorded at build time, in catalog order.
extern const std::uint32_t kBlockChecksums[kCatalogSize];

// True when every block of the catalog has the checksum recorded for its position.
bool BlocksIntact(std::span<const CatalogEntry> catalog, std::span<const std::uint32_t> checksums);

}  // namespace payload
