#!/usr/bin/env python3
"""The largest input objects and archive members of a program, from its GNU ld map.

    scripts/largest_parts.py [--top N] [--one-line] [--sections .text,.rdata,...] MAP

Sums, per object, the input sections the linker kept in the named output sections (by
default the code, data and unwind tables) and prints the N largest, e.g.
"libstdc++.a(cow-string-inst.o) 12.3 KB", then the sum over all objects. A map that is
missing or holds no memory map gives a one-line note and exit code 1, never a traceback.
"""
import argparse
import os
import re
import sys
from collections import Counter

# Code and data; the unwind tables are .pdata/.xdata in 64-bit programs, .eh_frame in 32-bit.
DEFAULT_SECTIONS = ".text,.rdata,.data,.pdata,.xdata,.eh_frame"

# An input section's figures: address, size, then the object, as the line after a long name.
FIGURES = re.compile(r"^\s+0x[0-9a-fA-F]+\s+0x([0-9a-fA-F]+)\s+(\S.*)$")
INPUT = re.compile(r"^ (\S+)(?:\s+0x[0-9a-fA-F]+\s+0x([0-9a-fA-F]+)\s+(\S.*))?$")
OUTPUT = re.compile(r"^(\.\S+)")


def short_name(path):
    """libstdc++.a(eh_personality.o) or vantrel_dlg.cpp.obj: the folders say nothing."""
    archive, paren, member = path.partition("(")
    return os.path.basename(archive) + paren + member


def parts(lines, sections):
    sizes = Counter()
    in_map = False
    output = None
    pending = None  # the name of an input section whose figures are on the next line
    for line in lines:
        line = line.rstrip("\n")
        if not in_map:
            in_map = line.startswith("Linker script and memory map")
            continue
        if pending is not None:
            match = FIGURES.match(line)
            if match and output in sections:
                sizes[short_name(match.group(2).strip())] += int(match.group(1), 16)
            pending = None
            if match:
                continue
        match = OUTPUT.match(line)
        if match:
            output = match.group(1)
            continue
        match = INPUT.match(line)
        if not match or match.group(1).startswith(("*", "0x", "[")):
            continue
        if match.group(2) is None:
            pending = match.group(1)
        elif output in sections:
            sizes[short_name(match.group(3).strip())] += int(match.group(2), 16)
    return sizes if in_map else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("map")
    parser.add_argument("--top", type=int, default=5)
    parser.add_argument("--one-line", action="store_true", help="comma-separated, for a table")
    parser.add_argument("--sections", default=DEFAULT_SECTIONS)
    args = parser.parse_args()
    sections = set(filter(None, args.sections.split(",")))
    try:
        with open(args.map, encoding="utf-8", errors="replace") as lines:
            sizes = parts(lines, sections)
    except OSError as error:
        print(f"no linker map: {args.map} ({error.strerror})")
        return 1
    if sizes is None:
        print(f"no linker map: {args.map} holds no memory map")
        return 1
    if not sizes:
        print(f"nothing in {args.sections} in {args.map}")
        return 1
    shown = [f"{name} {size / 1024:.1f} KB" for name, size in sizes.most_common(max(args.top, 1))]
    total = f"of {sum(sizes.values()) / 1024:.1f} KB in {len(sizes)} parts"
    print(", ".join(shown) + f" ({total})" if args.one_line else "\n".join(shown + [total]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
