#!/usr/bin/env python3
"""Where the setup's bytes come from, read off the linker's map.

  link_budget.py MAP EXE

Sums each input's contributions to the sections that the file holds (not .bss) and sorts
them into the parts of the budget; what the map does not account for (PE headers, import
tables, resources, relocations, alignment) is the file size minus the rest; it can come out
below zero where the linker merged data that the map lists once for each input. Code that
was optimised at link time comes from the compiler's own temporary objects (*.ltrans.o), all
of the setup's code and the JPEG decoder together in one; the licence, only data, stays apart.
"""
import os
import re
import sys

PARTS = [
    ("carried files (the nine blocks)", lambda s: "blocks.S.obj" in s),
    ("pictures (two JPEGs, the folder icon)", lambda s: "images.S.obj" in s),
    ("licence text", lambda s: "licence.cpp.obj" in s),
    ("JPEG decoder", lambda s: "libjpeg" in s or "jpeg_decoder" in s),
    ("C and C++ runtime", lambda s: re.search(r"lib(stdc\+\+|supc\+\+|gcc|gcc_eh|mingw32|mingwex|msvcrt|pthread|"
                                              r"winpthread|moldname|uuid)\.a|crt2\.o|crtbegin|crtend", s)),
    ("the setup's own code and data", lambda s: re.search(r"liblumora_|objects\.a|\.ltrans\.o", s)),
]
DECODER, OWN = PARTS[3][0], PARTS[5][0]
OWN_WITH_DECODER = "the setup's own code, data and JPEG decoder"


def contributions(map_path):
    """(section, size, input) for every input section the map lists."""
    section = None
    for line in open(map_path, encoding="utf-8", errors="replace"):
        whole = re.match(r"^ (\.[^\s*]+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if whole:
            yield whole.group(1), int(whole.group(2), 16), whole.group(3)
            section = None
            continue
        name_only = re.match(r"^ (\.[^\s*]+)\s*$", line)
        if name_only:
            section = name_only.group(1)
            continue
        rest = re.match(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if rest and section:
            yield section, int(rest.group(1), 16), rest.group(2)
        section = None


def main(map_path, exe_path):
    totals = {name: 0 for name, _ in PARTS}
    totals["resources (icon, manifest, version)"] = 0
    totals["import tables and stubs, relocations"] = 0
    for section, size, source in contributions(map_path):
        if section.startswith((".bss", ".debug", ".stab")) or "COMMON" in source:
            continue
        if section.startswith(".rsrc"):
            totals["resources (icon, manifest, version)"] += size
            continue
        if section.startswith((".idata", ".reloc")):
            totals["import tables and stubs, relocations"] += size
            continue
        for name, belongs in PARTS:
            if belongs(source):
                totals[name] += size
                break
        else:
            totals["import tables and stubs, relocations"] += size
    file_size = os.path.getsize(exe_path)
    rest = file_size - sum(totals.values())
    rows = list(totals.items())
    if any(".ltrans.o" in source for _, _, source in contributions(map_path)):
        rows = [(OWN_WITH_DECODER, size + totals[DECODER]) if name == OWN else (name, size)
                for name, size in rows if name != DECODER]
    for name, size in rows + [("headers and alignment (the rest of the file)", rest)]:
        print(f"  {name:<44} {size:>9,} bytes")
    own = file_size - totals[PARTS[0][0]] - totals[PARTS[1][0]] - totals[PARTS[2][0]]
    print(f"  {'the setup itself (all but the carried files,':<44}")
    print(f"  {'  pictures and licence)':<44} {own:>9,} bytes")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
