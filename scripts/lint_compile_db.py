#!/usr/bin/env python3
"""Writes a compile database for clang-tidy from a CMake one: only the sources under the
given directories (or the given files), each once, and for a MinGW build the commands rewritten for clang
(target triple, the MinGW C++ and Windows headers, no GCC-only flags).

  lint_compile_db.py IN_DB OUT_DIR [--mingw TRIPLE] PATH...
"""
import argparse
import json
import os
import shlex
import subprocess
import sys

# GCC flags that clang rejects or that mean nothing to it.
GCC_ONLY = ("-fno-keep-inline-dllexport", "-mthreads", "-municode", "-fno-ipa-",
            "-fconserve-stack", "-Wno-maybe-uninitialized", "-Wlogical-op")


def mingw_include_dirs(triple):
    """The MinGW compiler's own search list, as it prints it."""
    out = subprocess.run([f"{triple}-g++-posix", "-E", "-x", "c++", "-", "-v"],
                         input="", capture_output=True, text=True, check=True).stderr
    lines = out.splitlines()
    start = lines.index("#include <...> search starts here:") + 1
    end = lines.index("End of search list.")
    return [os.path.normpath(line.strip()) for line in lines[start:end]]


def clang_args(args, triple, dirs):
    # GCC's own include and include-fixed hold its builtin headers: clang has its own.
    cxx = [d for d in dirs if "/include/c++" in d]
    system = [d for d in dirs if d.endswith(f"/{triple}/include")]
    out = ["clang++-14", f"--target={triple}", "-nostdlibinc"]
    for d in cxx:
        out += ["-isystem", d]
    for d in system:
        out += ["-idirafter", d]
    out += [a for a in args[1:] if not a.startswith(GCC_ONLY)]
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("db")
    parser.add_argument("out_dir")
    parser.add_argument("--mingw", metavar="TRIPLE")
    parser.add_argument("dirs", nargs="+")
    opts = parser.parse_args()

    with open(opts.db, encoding="utf-8") as f:
        entries = json.load(f)
    # A directory takes every source under it; a file only itself.
    dirs = [os.path.abspath(d) + ("" if os.path.isfile(d) else os.sep) for d in opts.dirs]
    include_dirs = mingw_include_dirs(opts.mingw) if opts.mingw else []
    seen = set()
    out = []
    for entry in entries:
        path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
        if path in seen or not path.endswith((".cpp", ".cc")):
            continue
        if not any(path == d or (d.endswith(os.sep) and path.startswith(d)) for d in dirs):
            continue
        seen.add(path)
        args = entry.get("arguments") or shlex.split(entry["command"])
        if opts.mingw:
            args = clang_args(args, opts.mingw, include_dirs)
        out.append({"directory": entry["directory"], "file": path, "arguments": args})
    if not out:
        sys.exit(f"lint_compile_db: no sources under {' '.join(opts.dirs)} in {opts.db}")
    os.makedirs(opts.out_dir, exist_ok=True)
    with open(os.path.join(opts.out_dir, "compile_commands.json"), "w", encoding="utf-8") as f:
        json.dump(out, f, indent=1)
    for entry in out:
        print(entry["file"])


if __name__ == "__main__":
    main()
