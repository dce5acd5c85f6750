#!/usr/bin/env python3
"""Records the CRC-32 of each carried file, in catalog order, as the C++ table the setup
checks its blocks against at start.

  record_checksums.py OUT.cpp FILE...
"""
import sys
import zlib


def main(out, files):
    rows = []
    for path in files:
        with open(path, "rb") as f:
            rows.append("    0x%08Xu,  // %s" % (zlib.crc32(f.read()) & 0xFFFFFFFF, path.rsplit("/", 1)[-1]))
    text = ("// Made by payload/record_checksums.py when the carried files were built.\n"
            "#include \"payload/checksum.h\"\n\n"
            "namespace payload {\n\n"
            "const std::uint32_t kBlockChecksums[kCatalogSize] = {\n" + "\n".join(rows) + "\n};\n\n"
            "}  // namespace payload\n")
    with open(out, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
