#!/usr/bin/env python3
"""Checks what quillon.exe is made of: a PE32+ GUI program importing only Windows system
DLLs, with the manifest and version resource the program declares. The version and the
copyright are the build's (the project's version, the copyright line of LICENSE)."""
import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "packaging"))
import version_resource  # noqa: E402

# The loader resolves static imports before the program runs a line, and for a DLL that is not
# one of Windows' KnownDLLs it looks in the program's own folder first: a DLL planted beside a
# downloaded quillon.exe would run elevated. So only KnownDLLs (as Windows 10 and 11 list them
# under HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs) may be imported
# statically; comctl32, which the manifest binds to its side-by-side version 6, would be safe
# too, but the program loads it itself (below).
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "difxapi.dll",
    "gdi32.dll", "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll",
    "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "wldap32.dll", "ws2_32.dll",
}
SIDE_BY_SIDE = {"comctl32.dll"}

# Loaded by the program itself, not by the loader: comctl32 once the language query runs (in
# Wine its start waits for the desktop process), the file dialogs' and the shell's DLLs when
# first used. Imported, each would lengthen every start.
LOADED_WHEN_NEEDED = {"comctl32.dll", "comdlg32.dll", "shell32.dll"}

# Calls that older Windows lack, or that live in DLLs outside the list above: they are looked up
# at run time, so the program still starts far enough to show its version message.
RUN_TIME_ONLY = {
    "SetDefaultDllDirectories", "AddDllDirectory", "GetDpiForWindow", "AdjustWindowRectExForDpi",
    "GetSystemMetricsForDpi", "SetDialogDpiChangeBehavior", "SetWindowTheme",
}

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def imported_functions(headers):
    """The function names of objdump's import tables (lines of hint-name RVA, hint, name)."""
    names = set()
    section = headers.split("The Import Tables", 1)[-1].split("\nThe ", 1)[0]
    for line in section.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1].isdigit() and \
                all(c in "0123456789abcdef" for c in parts[0]):
            names.add(parts[2])
    return names


def main(exe, objdump, version, license_file):
    data = open(exe, "rb").read()
    copyright_line = next(line.strip() for line in open(license_file, encoding="utf-8")
                          if line.startswith("Copyright "))
    headers = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    check("(PE32+)" in headers, "PE32+ (x86_64)")
    check("(Windows GUI)" in headers, "GUI subsystem")
    imports = {line.split(":", 1)[1].strip().lower() for line in headers.splitlines()
               if "DLL Name:" in line}
    allowed = KNOWN_DLLS | SIDE_BY_SIDE
    check(imports <= allowed, "static imports only KnownDLLs and comctl32: " +
          ", ".join(sorted(imports)) + "; not allowed: " + ", ".join(sorted(imports - allowed)))
    check(not (imports & LOADED_WHEN_NEEDED),
          "loaded when needed, not imported: " + ", ".join(sorted(LOADED_WHEN_NEEDED)) +
          "; imported: " + ", ".join(sorted(imports & LOADED_WHEN_NEEDED)))
    functions = imported_functions(headers)
    check(not (functions & RUN_TIME_ONLY),
          "looked up at run time, not imported: " + ", ".join(sorted(RUN_TIME_ONLY)) +
          "; imported: " + ", ".join(sorted(functions & RUN_TIME_ONLY)))
    check(not any("libstdc++" in d or "libgcc" in d or "pthread" in d for d in imports),
          "no runtime DLLs")

    for needle in [b'level="highestAvailable"', b"PerMonitorV2", b"true/pm",
                   b"Microsoft.Windows.Common-Controls", b'version="6.0.0.0"',
                   b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]:
        check(needle in data, "manifest holds " + needle.decode())

    resource = version_resource.read(data)
    for key, value in [("FileVersion", version), ("ProductVersion", version),
                       ("fixed file version", version), ("fixed product version", version),
                       ("LegalCopyright", copyright_line),
                       ("FileDescription", "Quillon for Windows 10/11"),
                       ("Comments", "TSF输入法设置工具")]:
        check(resource.get(key) == value, f"version resource {key} = {value}")
    check("080403A8".encode("utf-16-le") in data or "080403a8".encode("utf-16-le") in data,
          "string table 0804 / code page 936")
    check(struct.pack("<HH", 0x0804, 936) in data, "translation 0x0804, 936")
    check(f'name="Quillon.InputMethodSettings" version="{version}"'.encode() in data,
          "manifest names version " + version)
    total = len(failures)
    print(f"{0 if total else 1} passed, {1 if total else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
