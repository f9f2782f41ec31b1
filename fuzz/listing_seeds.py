#!/usr/bin/python3
"""Writes the listing lines of tests/data/ftp-listings.tsv as fuzzing seeds, one file per
line: its bytes, escapes undone, with CR LF. Single lines keep the fuzzer's inputs short
and fast; it strings lines together itself.

usage: listing_seeds.py TSV FOLDER
"""
import csv
import os
import re
import sys


def unescape(field):
    """\\\\, \\t, \\r, \\n and \\xNN back to the bytes a server sent (see tests/data/README.md)."""
    simple = {"\\": b"\\", "t": b"\t", "r": b"\r", "n": b"\n"}
    return re.sub(rb"\\(x[0-9A-Fa-f]{2}|[\\trn])",
                  lambda m: bytes([int(m.group(1)[1:], 16)]) if m.group(1)[:1] == b"x"
                  else simple[m.group(1).decode()], field.encode("utf-8"))


def main():
    tsv, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    with open(tsv, encoding="utf-8", newline="") as f:
        for n, row in enumerate(csv.DictReader(f, delimiter="\t", quoting=csv.QUOTE_NONE)):
            with open(os.path.join(folder, "line-%03d" % n), "wb") as out:
                out.write(unescape(row["raw_line"]) + b"\r\n")


if __name__ == "__main__":
    main()
