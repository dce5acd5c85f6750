#pragma once
// Reads what the tests need from a PE image's bytes: its header fields, the export directory
// the names of the DLLs it imports and its manifest. Every read is checked against the image's size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pe {

struct Export {
    std::string name;
    std::uint32_t ordinal;  // with the directory's ordinal base added
};

// Where a data directory's bytes lie; a certificate table's address is a file offset.
struct Directory {
    std::uint32_t address = 0, size = 0;
    bool inFile = false;  // lies wholly in the file's bytes
};

struct SectionStart {  // where a section's bytes start in the file
    std::string name;
    std::uint32_t rawOffset = 0;
};

struct Image {
    std::uint16_t machine = 0;
    std::uint16_t characteristics = 0;
    std::uint32_t timeDateStamp = 0;
    std::uint16_t optionalMagic = 0;
    std::uint16_t subsystem = 0;
    std::uint16_t dllCharacteristics = 0;
    std::uint32_t checksum = 0;
    std::size_t checksumAt = 0;  // the field's offset in the file
    std::vector<SectionStart> sections;
    Directory relocations;
    Directory certificates;
    bool hasExports = false;
    std::uint32_t exportTimeDateStamp = 0;
    std::string exportName;  // the library's own name in its export directory
    std::uint32_t exportedFunctions = 0;
    std::vector<Export> exports;  // the named exports
    std::vector<std::string> imports;
    std::string manifest;  // the first manifest resource's bytes; empty when it has none
};

// Parses an image; false (with error set) when it is not a well-formed PE32 image.
bool Parse(const unsigned char* bytes, std::size_t size, Image& image, std::string& error);

}  // namespace pe
