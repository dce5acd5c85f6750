#!/usr/bin/env python3
"""Writes the cases of the GB 18030 conversion test from Python's gb18030 codec, as rows of
a C++ table: the first and last character of every stretch of the four-byte part, every code
of the two-byte rows where code page 936 reads some codes otherwise, and the edges of the
supplementary planes.   gb18030_reference.py OUT"""
import sys


def number(code):
    return (((code[0] - 0x81) * 10 + code[1] - 0x30) * 126 + code[2] - 0x81) * 10 + code[3] - 0x30


def four_byte(c):
    return not 0xD800 <= c <= 0xDFFF and len(chr(c).encode("gb18030")) == 4


def follows(c):  # c's code is the one after c - 1's
    return four_byte(c) and four_byte(c - 1) and number(chr(c).encode("gb18030")) == number(chr(c - 1).encode("gb18030")) + 1


cases = {0x7F, 0x4E00, 0x10000, 0x10001, 0x20087, 0x10FFFF}
for c in range(0x80, 0x10000):
    if four_byte(c) and not follows(c):
        cases.update({c, c - 1} if four_byte(c - 1) else {c})
    if four_byte(c) and (c == 0xFFFF or not follows(c + 1)):
        cases.add(c)
for lead in (0xA2, 0xA8, 0xA9, 0xFE):
    for trail in [*range(0x40, 0x7F), *range(0x80, 0xFF)]:
        cases.add(ord(bytes([lead, trail]).decode("gb18030")))
with open(sys.argv[1], "w") as out:
    for c in sorted(cases):
        escaped = "".join(f"\\x{b:02X}" for b in chr(c).encode("gb18030"))
        out.write(f'{{0x{c:06X}, "{escaped}"}},\n')
