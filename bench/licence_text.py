"""Writes the setup's licence text, as the program shows it, to a UTF-8 file (with a byte-order
mark, which NSIS's licence page reads as UTF-8), for the NSIS wizard of the benchmark.

    python3 licence_text.py wizard/licence.cpp OUT.txt
"""
import ast
import re
import sys


def main(source_path, out_path):
    source = open(source_path, encoding="utf-8").read()
    body = source[source.index("kLicenceText[] ="):]
    body = body[:body.index(";")]
    # One C string literal per line; their escapes (\r \n \") read the same in Python.
    literals = re.findall(r'^\s*("(?:[^"\\]|\\.)*")\s*$', body, re.M)
    text = "".join(ast.literal_eval(literal) for literal in literals)
    with open(out_path, "w", encoding="utf-8-sig", newline="") as out:
        out.write(text)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
