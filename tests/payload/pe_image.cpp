#include "pe_image.h"

#include <cstring>

namespace pe {
namespace {

class Reader {
public:
    Reader(const unsigned char* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    bool U16(std::size_t at, std::uint16_t& out) const {
        if (at > size_ || size_ - at < 2) return false;
        out = static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
        return true;
    }
    bool U32(std::size_t at, std::uint32_t& out) const {
        if (at > size_ || size_ - at < 4) return false;
        out = static_cast<std::uint32_t>(bytes_[at]) | static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
              static_cast<std::uint32_t>(bytes_[at + 2]) << 16 |
              static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
        return true;
    }
    // A NUL-terminated text; false when it runs off the image.
    bool Text(std::size_t at, std::string& out) const {
        if (at >= size_) return false;
        const void* end = std::memchr(bytes_ + at, 0, size_ - at);
        if (end == nullptr) return false;
        out.assign(reinterpret_cast<const char*>(bytes_ + at),
                   static_cast<const unsigned char*>(end) - (bytes_ + at));
        return true;
    }

    bool Bytes(std::size_t at, std::size_t count, std::string& out) const {
        if (at > size_ || size_ - at < count) return false;
        out.assign(reinterpret_cast<const char*>(bytes_ + at), count);
        return true;
    }

private:
    const unsigned char* bytes_;
    std::size_t size_;
};

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

bool ToOffset(const std::vector<Section>& sections, std::uint32_t rva, std::size_t& offset) {
    for (const Section& s : sections) {
        std::uint32_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
            if (rva - s.virtualAddress >= s.rawSize) return false;  // not in the file
            offset = static_cast<std::size_t>(s.rawOffset) + (rva - s.virtualAddress);
            return true;
        }
    }
    return false;
}

constexpr std::uint32_t kManifestType = 24;
constexpr std::uint32_t kSubdirectory = 0x80000000u;

// The manifest in the resource tree (type, then name, then language; the first of each
// below the type): true with an empty text when there is none, false when the tree is broken.
bool ReadManifest(const Reader& r, const std::vector<Section>& sections, std::uint32_t rootRva,
                  std::string& manifest) {
    std::size_t root = 0;
    if (!ToOffset(sections, rootRva, root)) return false;
    std::size_t directory = root;
    for (int level = 0; level < 3; ++level) {
        std::uint16_t named = 0, numbered = 0;
        if (!r.U16(directory + 12, named) || !r.U16(directory + 14, numbered)) return false;
        std::uint32_t target = 0;
        bool found = false;
        for (std::size_t i = 0; i < static_cast<std::size_t>(named) + numbered && !found; ++i) {
            std::uint32_t name = 0;
            if (!r.U32(directory + 16 + 8 * i, name) || !r.U32(directory + 20 + 8 * i, target)) return false;
            found = level > 0 || (!(name & kSubdirectory) && name == kManifestType);
        }
        if (!found) return level == 0;  // no manifest at all; a type without entries is broken
        if (level < 2) {
            if (!(target & kSubdirectory)) return false;
            directory = root + (target & ~kSubdirectory);
            continue;
        }
        if (target & kSubdirectory) return false;
        std::uint32_t dataRva = 0, size = 0;
        std::size_t at = 0;
        if (!r.U32(root + target, dataRva) || !r.U32(root + target + 4, size) ||
            !ToOffset(sections, dataRva, at) || !r.Bytes(at, size, manifest)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool Parse(const unsigned char* bytes, std::size_t size, Image& image, std::string& error) {
    Reader r(bytes, size);
    std::uint16_t mz = 0;
    std::uint32_t peOffset = 0, signature = 0;
    if (!r.U16(0, mz) || mz != 0x5A4D || !r.U32(0x3C, peOffset) || !r.U32(peOffset, signature) ||
        signature != 0x00004550) {
        error = "no PE signature";
        return false;
    }
    std::size_t fileHeader = peOffset + 4;
    std::uint16_t sectionCount = 0, optionalSize = 0;
    if (!r.U16(fileHeader, image.machine) || !r.U16(fileHeader + 2, sectionCount) ||
        !r.U32(fileHeader + 4, image.timeDateStamp) || !r.U16(fileHeader + 16, optionalSize) || !r.U16(fileHeader + 18, image.characteristics)) {
        error = "short file header";
        return false;
    }
    std::size_t optional = fileHeader + 20;
    std::uint32_t directoryCount = 0;
    if (!r.U16(optional, image.optionalMagic) || image.optionalMagic != 0x10B ||
        !r.U32(optional + 64, image.checksum) || !r.U16(optional + 68, image.subsystem) ||
        !r.U16(optional + 70, image.dllCharacteristics) ||
        !r.U32(optional + 92, directoryCount)) {
        error = "not a PE32 optional header";
        return false;
    }
    image.checksumAt = optional + 64;
    auto directory = [&](std::uint32_t index, std::uint32_t& rva, std::uint32_t& length) {
        rva = length = 0;
        return index >= directoryCount ||
               (r.U32(optional + 96 + 8 * index, rva) && r.U32(optional + 100 + 8 * index, length));
    };

    std::vector<Section> sections;
    for (std::size_t i = 0, at = optional + optionalSize; i < sectionCount; ++i, at += 40) {
        Section s{};
        if (!r.U32(at + 8, s.virtualSize) || !r.U32(at + 12, s.virtualAddress) ||
            !r.U32(at + 16, s.rawSize) || !r.U32(at + 20, s.rawOffset)) {
            error = "short section table";
            return false;
        }
        sections.push_back(s);
        std::string name;
        for (std::size_t c = 0; c < 8 && bytes[at + c]; ++c) name += static_cast<char>(bytes[at + c]);
        image.sections.push_back({name, s.rawOffset});
    }

    // The certificate table is addressed by its offset in the file (it is never mapped), the
    // relocations by their address in the image.
    auto locate = [&](std::uint32_t index, bool byOffset, Directory& d) {
        if (!directory(index, d.address, d.size)) return false;
        std::size_t at = d.address;
        d.inFile = d.size != 0 && (byOffset || ToOffset(sections, d.address, at)) && at <= size &&
                   size - at >= d.size;
        return true;
    };
    if (!locate(4, true, image.certificates) || !locate(5, false, image.relocations)) {
        error = "short data directory";
        return false;
    }
    std::uint32_t rva = 0, length = 0;
    if (!directory(0, rva, length)) {
        error = "short data directory";
        return false;
    }
    if (rva != 0) {
        std::size_t at = 0, namesAt = 0, ordinalsAt = 0, nameAt = 0;
        std::uint32_t nameRva = 0, base = 0, nameCount = 0, namesRva = 0, ordinalsRva = 0;
        if (!ToOffset(sections, rva, at) || !r.U32(at + 4, image.exportTimeDateStamp) ||
            !r.U32(at + 12, nameRva) || !r.U32(at + 16, base) ||
            !r.U32(at + 20, image.exportedFunctions) || !r.U32(at + 24, nameCount) ||
            !r.U32(at + 32, namesRva) || !r.U32(at + 36, ordinalsRva) ||
            !ToOffset(sections, nameRva, nameAt) || !r.Text(nameAt, image.exportName) ||
            (nameCount != 0 && (!ToOffset(sections, namesRva, namesAt) ||
                                !ToOffset(sections, ordinalsRva, ordinalsAt)))) {
            error = "broken export directory";
            return false;
        }
        image.hasExports = true;
        for (std::uint32_t i = 0; i < nameCount; ++i) {
            std::uint32_t oneNameRva = 0;
            std::uint16_t index = 0;
            std::size_t oneNameAt = 0;
            Export e;
            if (!r.U32(namesAt + 4 * i, oneNameRva) || !r.U16(ordinalsAt + 2 * i, index) ||
                !ToOffset(sections, oneNameRva, oneNameAt) || !r.Text(oneNameAt, e.name)) {
                error = "broken export name table";
                return false;
            }
            e.ordinal = base + index;
            image.exports.push_back(e);
        }
    }

    if (!directory(1, rva, length)) {
        error = "short data directory";
        return false;
    }
    if (rva != 0) {
        std::size_t at = 0;
        if (!ToOffset(sections, rva, at)) {
            error = "broken import directory";
            return false;
        }
        for (;; at += 20) {
            std::uint32_t lookup = 0, nameRva = 0;
            std::size_t nameAt = 0;
            std::string name;
            if (!r.U32(at, lookup) || !r.U32(at + 12, nameRva)) {
                error = "broken import directory";
                return false;
            }
            if (lookup == 0 && nameRva == 0) break;
            if (!ToOffset(sections, nameRva, nameAt) || !r.Text(nameAt, name)) {
                error = "broken import name";
                return false;
            }
            image.imports.push_back(name);
        }
    }

    if (!directory(2, rva, length)) {
        error = "short data directory";
        return false;
    }
    if (rva != 0 && !ReadManifest(r, sections, rva, image.manifest)) {
        error = "broken resource directory";
        return false;
    }
    return true;
}

}  // namespace pe
