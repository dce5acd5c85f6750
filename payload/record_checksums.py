#!/usr/bin/env python3
"""Records the CRC-32 of each carried block, in catalog order, as the C++ table the setup
checks its blocks against at start. A block's checksum is taken over the block as it lies in
the setup: its 8-byte header (count 1, byte length, little-endian int32) and then its content,
so that a damaged length field is caught even when the content is intact.

  record_checksums.py OUT.cpp FILE...
"""
import struct
import sys
import zlib


def main(out, files):
    rows = []
    for path in files:
        with open(path, "rb") as f:
            content = f.read()
        if len(content) > 0x7FFFFFFF:
            sys.exit("%s: too large for a block's int32 length" % path)
        block = struct.pack("<ii", 1, len(content)) + content
        rows.append("    0x%08Xu,  // %s" % (zlib.crc32(block) & 0xFFFFFFFF, path.rsplit("/", 1)[-1]))
    text = ("// Made by payload/record_checksums.py when the carried files were built.\n"
            "#include \"payload/checksum.h\"\n\n"
            "namespace payload {\n\n"
            "const std::uint32_t kBlockChecksums[kCatalogSize] = {\n" + "\n".join(rows) + "\n};\n\n"
            "}  // namespace payload\n")
    with open(out, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
