#!/usr/bin/python3
"""Fails unless the shipped programs pass the checks a security team runs on Windows
binaries: ASLR (high entropy on 64-bit) with relocations, DEP, no writable code, the
expected subsystem and machine, an asInvoker manifest, system DLLs only, stack canaries,
no build-machine path. Usage: check_hardening.py plimsay.exe selvaun.exe"""
import os
import re
import sys

import pefile

# What each program must be: machine, subsystem, whether Terminal Server awareness counts.
EXPECTED = {
    "plimsay.exe": ("AMD64", "WINDOWS_GUI", True),
    "selvaun.exe": ("I386", "WINDOWS_CUI", False),
}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "advapi32.dll",
               "msvcrt.dll"}
BUILD_PATHS = [b"/work", b"/home", b"/usr/", b"\\build\\"]
# libssp's handler, linked only where compiled code calls it.
CANARY_HANDLER = b"*** stack smashing detected ***"
D = pefile.DLL_CHARACTERISTICS


def misses(path):
    machine, subsystem, want_tsaware = EXPECTED[os.path.basename(path).lower()]
    pe = pefile.PE(path)
    data = bytes(pe.__data__)
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    is64 = pe.OPTIONAL_HEADER.Magic == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS
    if not flags & D["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"]:
        yield "no ASLR (DYNAMIC_BASE)"
    if is64 and not flags & D["IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA"]:
        yield "no high-entropy ASLR (HIGH_ENTROPY_VA)"
    reloc = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    if reloc.Size == 0 or pe.FILE_HEADER.Characteristics & 1:  # IMAGE_FILE_RELOCS_STRIPPED
        yield "no relocations: ASLR cannot move the image"
    if not flags & D["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"]:
        yield "no DEP (NX_COMPAT)"
    for s in pe.sections:
        if s.IMAGE_SCN_MEM_WRITE and s.IMAGE_SCN_MEM_EXECUTE:
            name = s.Name.rstrip(b"\0").decode()
            yield f"section {name} is writable and executable"
    if pefile.MACHINE_TYPE.get(pe.FILE_HEADER.Machine) != f"IMAGE_FILE_MACHINE_{machine}":
        yield f"machine is not {machine}"
    if pefile.SUBSYSTEM_TYPE.get(pe.OPTIONAL_HEADER.Subsystem) != f"IMAGE_SUBSYSTEM_{subsystem}":
        yield f"subsystem is not {subsystem}"
    text = b""
    resources = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []
    for t in resources:
        for r in t.directory.entries if t.id == pefile.RESOURCE_TYPE["RT_MANIFEST"] else []:
            if r.id == 1:
                entry = r.directory.entries[0].data.struct
                text = pe.get_data(entry.OffsetToData, entry.Size)
    if not re.search(rb'level\s*=\s*["\']asInvoker["\']', text):
        yield "no manifest resource 1 asking for asInvoker"
    imports = [e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    imports += [e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])]
    for dll in imports:
        if dll not in SYSTEM_DLLS and not dll.startswith("api-ms-win-"):
            yield f"imports {dll}, not a system DLL"
    if CANARY_HANDLER not in data:
        yield "no stack protector (libssp's handler is missing)"
    for p in BUILD_PATHS:
        if p in data or p.decode().encode("utf-16-le") in data:
            yield f"contains the build-machine path {p.decode()!r}"
    if want_tsaware and not flags & D["IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE"]:
        print(f"{path}: note: not Terminal Server aware (TSAWARE)")


failed = False
for path in sys.argv[1:]:
    found = list(misses(path))
    for miss in found:
        print(f"check_hardening: {path}: {miss}", file=sys.stderr)
    if not found:
        print(f"{path}: hardened")
    failed = failed or bool(found)
sys.exit(1 if failed else 0)
