#!/usr/bin/env python3
# The GB 18030 test's cases by Python's codec: the ends of the four-byte stretches, the rows where 936 differs.
import sys
def number(c):  # the four-byte code's linear number, or None
    b = b"" if 0xD800 <= c <= 0xDFFF else chr(c).encode("gb18030")
    return (((b[0] - 0x81) * 10 + b[1] - 0x30) * 126 + b[2] - 0x81) * 10 + b[3] - 0x30 if len(b) == 4 else None
cases = {0x7F, 0x4E00, 0x10000, 0x20087, 0x10FFFF}
for c in range(0x80, 0x10000):
    if number(c) is not None and (number(c - 1) != number(c) - 1 or c == 0xFFFF or number(c + 1) != number(c) + 1):
        cases.add(c)
for lead in (0xA2, 0xA8, 0xA9, 0xFE):
    cases.update(ord(bytes([lead, t]).decode("gb18030")) for t in [*range(0x40, 0x7F), *range(0x80, 0xFF)])
with open(sys.argv[1], "w") as out:
    for c in sorted(cases):
        escaped = "".join("\\x%02X" % b for b in chr(c).encode("gb18030"))
        out.write(f'{{0x{c:06X}, "{escaped}"}},\n')
