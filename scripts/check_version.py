#!/usr/bin/python3
"""Fails unless each given .exe carries project()'s version in its version resource: the
fixed file and product version, and the English (US) Unicode string table.
Usage: check_version.py plimsay.exe selvaun.exe"""
import os
import re
import sys

import pefile

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
    name, version = re.search(r"project\(\s*(\w+)\s+VERSION\s+([\d.]+)", f.read()).groups()
parts = [int(p) for p in version.split(".")] + [0] * (4 - len(version.split(".")))
fixed = (parts[0] << 16 | parts[1], parts[2] << 16 | parts[3])

failures = []
for path in sys.argv[1:]:
    exe = os.path.basename(path)
    before = len(failures)
    pe = pefile.PE(path)
    if not hasattr(pe, "VS_FIXEDFILEINFO"):
        failures.append(f"{path}: no version resource")
        continue
    info = pe.VS_FIXEDFILEINFO[0]
    if (info.FileVersionMS, info.FileVersionLS) != fixed:
        failures.append(f"{path}: fixed file version is not {version}")
    if (info.ProductVersionMS, info.ProductVersionLS) != fixed:
        failures.append(f"{path}: fixed product version is not {version}")
    tables = {t.LangID.decode(): t.entries for fi in pe.FileInfo for e in fi
              for t in getattr(e, "StringTable", [])}
    strings = {k.decode(): v.decode() for k, v in tables.get("040904B0", {}).items()}
    expected = {"FileVersion": version, "ProductVersion": version, "ProductName": name,
                "OriginalFilename": exe, "InternalName": os.path.splitext(exe)[0]}
    for key, value in expected.items():
        if strings.get(key) != value:
            failures.append(f"{path}: {key} is {strings.get(key)!r}, not {value!r}")
    for key in ("FileDescription", "LegalCopyright"):
        if not strings.get(key):
            failures.append(f"{path}: no {key}")
    translations = [v.entry.get(b"Translation") for fi in pe.FileInfo for e in fi
                    for v in getattr(e, "Var", [])]
    if "0x0409 0x04b0" not in translations:
        failures.append(f"{path}: no English (US) / Unicode translation entry")
    if len(failures) == before:
        print(f"{path}: version {version}, {strings['FileDescription']}")

for line in failures:
    print("check_version: " + line, file=sys.stderr)
sys.exit(1 if failures else 0)
