#!/usr/bin/env python3
"""Moves one section of a linked PE image to a page boundary in the file.

  page_align_section.py EXE SECTION

A section whose data starts on a page boundary of the file can be mapped from the file as it
is; one that starts elsewhere (the linker lays sections out in steps of 512 bytes) is read into
memory of the process's own by a loader that maps by pages (Wine's does), where it counts as
private memory for as long as the program runs. The setup's read-only data holds the carried
files and the pictures, most of its image. Zeros are put before SECTION's data; the sections
after it move by as many bytes, and the image's checksum is made again. Run on the linked,
unsigned image (a signature or a symbol table would refuse it). Run again, it changes nothing.
"""
import struct
import sys

PAGE = 4096


def pe_checksum(data, checksum_at):
    total = 0
    body = data[:checksum_at] + b"\0\0\0\0" + data[checksum_at + 4:]
    if len(body) % 2:
        body += b"\0"
    for (word,) in struct.iter_unpack("<H", body):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def main(path, name):
    data = bytearray(open(path, "rb").read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: not a PE image")
    sections, symbols = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<I", data, pe + 12)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] != 0x10B:
        sys.exit(f"{path}: not a 32-bit image")
    directories = optional + 96
    certificate_size = struct.unpack_from("<I", data, directories + 4 * 8 + 4)[0]
    debug_size = struct.unpack_from("<I", data, directories + 6 * 8 + 4)[0]
    if symbols or certificate_size or debug_size:
        sys.exit(f"{path}: a symbol table, signature or debug data would point into the moved bytes")
    table = optional + optional_size
    headers = [table + 40 * i for i in range(sections)]
    names = [bytes(data[h:h + 8]).rstrip(b"\0").decode("ascii", "replace") for h in headers]
    if name not in names:
        sys.exit(f"{path}: no section {name}")
    at = headers[names.index(name)]
    start = struct.unpack_from("<I", data, at + 20)[0]
    pad = -start % PAGE
    if pad:
        for h in headers:
            raw_size, raw_start = struct.unpack_from("<II", data, h + 16)
            if raw_size and raw_start >= start:
                struct.pack_into("<I", data, h + 20, raw_start + pad)
        data[start:start] = bytes(pad)
    struct.pack_into("<I", data, optional + 64, pe_checksum(bytes(data), optional + 64))
    open(path, "wb").write(data)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
