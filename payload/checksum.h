#pragma once
// Whether the carried files arrived whole: each block's CRC-32, recorded when the setup was
// built, against its bytes as they are now. A block's checksum covers its header (count and
// length) and its content, so a damaged length field is caught like a damaged byte.
#include <cstdint>
#include <span>

#include "payload/catalog.h"

namespace payload {

// The CRC-32 of ISO 3309 and zip (reflected, polynomial 0xEDB88320).
std::uint32_t Crc32(std::span<const unsigned char> bytes);

// The checksums recorded at build time, in catalog order: each over the block's 8-byte
// header and its content.
extern const std::uint32_t kBlockChecksums[kCatalogSize];

// True when every block of the catalog lies wholly within `image` (the program's own image in
// memory), header and content, with a length of 0 or more, and has over its header and content
// the checksum recorded for its position. Nothing outside `image` is read.
bool BlocksIntact(std::span<const CatalogEntry> catalog, std::span<const std::uint32_t> checksums,
                  std::span<const unsigned char> image);

}  // namespace payload
