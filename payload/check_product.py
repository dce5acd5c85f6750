#!/usr/bin/env python3
"""Checks a folder holding the product's nine files before the setup carries them, and copies
them into the product folder of the build when every one is sound.

  check_product.py FOLDER [PRODUCT_DIR]

Each file must be of the kind the catalog says: the programs PE32 GUI executables for i386,
the libraries PE32 DLLs for i386 (Function.dll exporting DataGet, the skin library naming
itself zlibwapi.dll), the texts GBK with CR LF line ends, the internet shortcuts in their
six-line form. Every problem is printed with the file's name; exit status 1 then, and nothing
is copied.
"""
import os
import re
import shutil
import struct
import sys

PROGRAM, LIBRARY, TEXT, SHORTCUT = "program", "library", "text", "shortcut"
CATALOG = [("Lumora.exe", PROGRAM), ("TarvelUP.exe", PROGRAM), ("卸载.exe", PROGRAM),
           ("Function.dll", LIBRARY), ("Tarvel-Skin.dll", LIBRARY), ("更新日志.log", TEXT),
           ("常见问题解答.txt", TEXT), ("Lumora官网.url", SHORTCUT), ("Lumora视频教程.url", SHORTCUT)]
SHORTCUT_FORM = re.compile(rb"\[InternetShortcut\]\r\nURL=[\x21-\x7e]+\r\nIDList=\r\nHotKey=0\r\n"
                           rb"\[\{000214A0-0000-0000-C000-000000000046\}\]\r\nProp3=19,2\r\n\Z")


def exports(data, sections, rva):
    """The library's own name and its exported names, from the export directory at rva."""
    def at(address):
        for size, virtual, raw_size, raw in sections:
            if virtual <= address < virtual + min(size or raw_size, raw_size):
                return raw + address - virtual
        raise ValueError("an address outside the file")

    def text(address):
        start = at(address)
        return data[start:data.index(b"\0", start)].decode("ascii", "replace")
    d = at(rva)
    name, (count, names) = struct.unpack_from("<I", data, d + 12)[0], struct.unpack_from("<I4xI", data, d + 24)
    return text(name), [text(struct.unpack_from("<I", data, at(names) + 4 * i)[0]) for i in range(count)]


def image_problems(name, data, library):
    """What is wrong with a PE image that should be a GUI program or a DLL for i386."""
    try:
        if data[:2] != b"MZ":
            return ["not a Windows program (no MZ header)"]
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            return ["not a Windows program (no PE signature)"]
        machine, count, optional_size, flags = struct.unpack_from("<HH12xHH", data, pe + 4)
        optional = pe + 24
        magic, subsystem = struct.unpack_from("<H", data, optional)[0], struct.unpack_from("<H", data, optional + 68)[0]
        if machine != 0x14C or magic != 0x10B:
            return ["not a 32-bit program for i386 (machine 0x%X, %s)" % (machine, "PE32+" if magic == 0x20B else "not PE32")]
        problems = []
        if bool(flags & 0x2000) != library:
            problems.append("a DLL where the catalog has a program" if not library else "not a DLL")
        elif not library and subsystem != 2:
            problems.append("not a Windows GUI program (subsystem %d)" % subsystem)
        if library:
            sections = [struct.unpack_from("<8xIIII", data, optional + optional_size + 40 * i) for i in range(count)]
            export_rva = struct.unpack_from("<I", data, optional + 96)[0]
            own, names = exports(data, sections, export_rva) if export_rva else ("", [])
            if name == "Function.dll" and "DataGet" not in names:
                problems.append("does not export DataGet")
            if name == "Tarvel-Skin.dll" and own.lower() != "zlibwapi.dll":
                problems.append("its export directory names it %r, not zlibwapi.dll" % own)
        return problems
    except (struct.error, ValueError, IndexError):
        return ["a broken Windows image (a header or directory runs off the file)"]


def problems_of(path, name, kind):
    if not os.path.isfile(path):
        return ["missing"]
    data = open(path, "rb").read()
    if len(data) > 0x7FFFFFFF:
        return ["too large for a block"]
    if kind in (PROGRAM, LIBRARY):
        return image_problems(name, data, kind == LIBRARY)
    if kind == SHORTCUT:
        return [] if SHORTCUT_FORM.match(data) else ["not an internet shortcut of the six-line form, each line ended by CR LF"]
    problems = []
    try:
        data.decode("gbk")
    except UnicodeDecodeError as e:
        problems.append("not GBK text (byte %d)" % e.start)
    lone = re.search(rb"(?<!\r)\n|\r(?!\n)", data)
    if lone:
        problems.append("a line end that is not CR LF (byte %d)" % lone.start())
    return problems


def main(folder, target=None):
    bad = False
    for name, kind in CATALOG:
        for problem in problems_of(os.path.join(folder, name), name, kind):
            print("%s: %s" % (os.path.join(folder, name), problem), file=sys.stderr)
            bad = True
    if bad:
        return 1
    for name, _ in CATALOG if target else []:
        shutil.copyfile(os.path.join(folder, name), os.path.join(target, name))
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
