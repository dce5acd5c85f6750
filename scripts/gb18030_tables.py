#!/usr/bin/env python3
"""Writes host/system/gb18030_tables.cpp from Python's gb18030 codec.

  gb18030_tables.py > host/system/gb18030_tables.cpp

Two tables: the two-byte codes that GB 18030 reads otherwise than code page 936 (where it
gives a character of its own and GBK gives none or another; code page 936 has the private
use area there, or 0x80 for the euro), and the four-byte part of the basic plane as runs of
consecutive characters.
"""


def linear(b):
    return (((b[0] - 0x81) * 10 + (b[1] - 0x30)) * 126 + (b[2] - 0x81)) * 10 + (b[3] - 0x30)


def two_byte_exceptions():
    found = []
    for lead in range(0x81, 0xFF):
        for trail in [*range(0x40, 0x7F), *range(0x80, 0xFF)]:
            code = bytes([lead, trail])
            unit = ord(code.decode("gb18030"))
            try:
                gbk = ord(code.decode("gbk"))
            except UnicodeDecodeError:
                gbk = None
            if gbk != unit and not 0xE000 <= unit <= 0xF8FF:
                found.append((lead << 8 | trail, unit))
    return found


def four_byte_runs():
    runs = []
    for unit in range(0x80, 0x10000):
        if 0xD800 <= unit <= 0xDFFF:
            continue
        code = chr(unit).encode("gb18030")
        if len(code) != 4:
            continue
        index = linear(code)
        if not runs or unit - runs[-1][0] != index - runs[-1][1]:
            runs.append((unit, index))
    return runs, index + 1


def rows(pairs, per_line, form):
    for i in range(0, len(pairs), per_line):
        print("    " + " ".join(form(*p) for p in pairs[i:i + per_line]))


def main():
    exceptions = two_byte_exceptions()
    runs, end = four_byte_runs()
    print("// Made by scripts/gb18030_tables.py from Python's gb18030 codec; not edited by hand.")
    print('#include "host/system/gb18030_tables.h"\n')
    print("namespace host::gb18030 {\n")
    print(f"const TwoByteException kTwoByteExceptions[{len(exceptions)}] = {{")
    rows(exceptions, 6, lambda c, u: f"{{0x{c:04X}, 0x{u:04X}}},")
    print("};\n")
    print(f"const FourByteRun kFourByteRuns[{len(runs)}] = {{")
    rows(runs, 6, lambda u, i: f"{{0x{u:04X}, {i}}},")
    print("};\n")
    print(f"const unsigned kFourByteBasicPlaneEnd = {end};\n")
    print("}  // namespace host::gb18030")


main()
