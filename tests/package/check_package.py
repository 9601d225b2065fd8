#!/usr/bin/env python3
"""Checks the release package as a user receives it, and unpacks it for the start-up scenarios.

    check_package.py ZIP UNPACK_FOLDER

ZIP is scripts/package's zip; it is unpacked into UNPACK_FOLDER (emptied first). Each check prints
GoogleTest-style lines, so scripts/test counts them with the other tests.
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile

SOURCE = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD_APP = os.path.join(SOURCE, "build", "mingw", "app")
SHIPPED = {"solvena.exe", "instruments.ini", "readme.txt"}
# What every Windows has: the system's own DLLs and its C runtime. Anything else (the mingw
# runtime above all) would have to be shipped, and is not.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
               "winmm.dll", "msvcrt.dll", "uxtheme.dll", "ole32.dll"}
# supportedOS: Windows 7, 8, 8.1, and 10 and 11 (one id).
WINDOWS_7_TO_11 = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                   "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
JAPANESE = re.compile("[\u3040-\u30ff\u4e00-\u9fff]")
LETTER = re.compile("[A-Za-z]")


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def shipped_version():
    with open(os.path.join(SOURCE, "resources", "version.txt"), encoding="ascii") as f:
        return f.readline().strip()


def check_name(zip_path, _folder):
    name = os.path.basename(zip_path)
    version = shipped_version()
    assert " " not in name, f"blank in {name}"
    assert name == f"solvena-{version.replace(' ', '-')}-win64.zip", f"{name} does not carry version {version!r}"


def check_listing(zip_path, folder):
    with zipfile.ZipFile(zip_path) as z:
        names = set(z.namelist())
        assert z.testzip() is None, "a damaged member"
    assert names == SHIPPED, f"holds {sorted(names)}, not {sorted(SHIPPED)}"
    assert set(os.listdir(folder)) == SHIPPED, f"unpacked {sorted(os.listdir(folder))}"


def check_contents(_zip, folder):
    exe = digest(os.path.join(folder, "solvena.exe"))
    assert exe == digest(os.path.join(BUILD_APP, "solvena.exe")), "solvena.exe is not the product build"
    assert exe != digest(os.path.join(BUILD_APP, "solvena-loopback.exe")), "the test build was shipped"
    assert digest(os.path.join(folder, "instruments.ini")) == digest(
        os.path.join(SOURCE, "resources", "instruments.ini")), "instruments.ini differs from the shipped names"


def check_imports(_zip, folder):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", os.path.join(folder, "solvena.exe")],
                          capture_output=True, text=True, check=True).stdout
    dlls = re.findall(r"DLL Name: (\S+)", dump)
    print(f"[ measured ] solvena.exe imports {len(dlls)} DLLs: {' '.join(dlls)}")
    assert dlls, "no import table read"
    extra = sorted(d for d in dlls if d.lower() not in SYSTEM_DLLS)
    assert not extra, f"imports DLLs Windows does not have: {extra}"


def manifest_of(exe):
    """The exe's one manifest resource (type 24, id 1, no language), parsed."""
    listed = subprocess.run(["wrestool", "-l", "-t", "24", exe], capture_output=True, text=True, check=True).stdout
    assert [line.split(" [")[0] for line in listed.splitlines()] == ["--type=24 --name=1 --language=0"], listed
    raw = subprocess.run(["wrestool", "-x", "--raw", "-t", "24", exe], capture_output=True, check=True).stdout
    return ET.fromstring(raw)


def check_manifests(_zip, folder):
    version = ".".join(str(int(n)) for n in re.match(r"(\d+)\.(\d+)", shipped_version()).groups()) + ".0.0"
    v1, v3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
    compat, smi = "{urn:schemas-microsoft-com:compatibility.v1}", "{http://schemas.microsoft.com/SMI/"
    # The zip's exe (the product build, as ShipsTheProductBuildAndTheNames makes sure) and the test build.
    for exe in (os.path.join(folder, "solvena.exe"), os.path.join(BUILD_APP, "solvena-loopback.exe")):
        root = manifest_of(exe)
        assert root.find(v1 + "assemblyIdentity").get("version") == version, f"{exe}: not version {version}"
        controls = [(c.get("name"), c.get("version"), c.get("publicKeyToken"))
                    for c in root.iterfind(f"{v1}dependency/{v1}dependentAssembly/{v1}assemblyIdentity")]
        assert controls == [("Microsoft.Windows.Common-Controls", "6.0.0.0", "6595b64144ccf1df")], controls
        systems = {s.get("Id") for s in root.iter(compat + "supportedOS")}
        assert systems == WINDOWS_7_TO_11, f"supportedOS {sorted(systems)}"
        settings = {e.tag: e.text for e in root.find(f"{v3}application/{v3}windowsSettings")}
        assert settings == {smi + "2005/WindowsSettings}dpiAware": "false",
                            smi + "2017/WindowsSettings}gdiScaling": "true",
                            smi + "2019/WindowsSettings}activeCodePage": "ja-JP"}, settings
        levels = [(e.get("level"), e.get("uiAccess")) for e in root.iter(v3 + "requestedExecutionLevel")]
        assert levels == [("asInvoker", "false")], levels


def check_readme(_zip, folder):
    data = open(os.path.join(folder, "readme.txt"), "rb").read()
    assert data.startswith(b"\xef\xbb\xbf"), "no UTF-8 byte order mark"
    text = data[3:].decode("utf-8")  # raises on anything that is not UTF-8
    assert text.endswith("\r\n"), "the last line is not ended"
    assert "\n" not in text.replace("\r\n", "") and "\r" not in text.replace("\r\n", ""), "a line end other than CR LF"
    # Two parts, each under a title underlined with "=": Japanese first, then English. Each part
    # quotes the other language (names on the screen, messages), but is mostly its own.
    lines = text.split("\r\n")
    titles = [i - 1 for i in range(1, len(lines)) if lines[i].strip() and set(lines[i].strip()) == {"="}]
    assert len(titles) == 2, f"{len(titles)} titles, not a Japanese and an English one"
    japanese, english = "\n".join(lines[:titles[1]]), "\n".join(lines[titles[1]:])
    assert titles[0] == 0 and JAPANESE.search(lines[0]), "does not open with the Japanese title"
    assert not JAPANESE.search(lines[titles[1]]), "the second title is not English"
    assert len(JAPANESE.findall(japanese)) > 2 * len(LETTER.findall(japanese)), "the first part is not Japanese"
    assert len(LETTER.findall(english)) > 3 * len(JAPANESE.findall(english)), "the second part is not English"


CHECKS = [
    ("NameCarriesTheVersion", check_name),
    ("HoldsExactlyTheShippedFiles", check_listing),
    ("ShipsTheProductBuildAndTheNames", check_contents),
    ("ImportsOnlySystemDlls", check_imports),
    ("ManifestAsksForStylesScalingAndCodePage", check_manifests),
    ("ReadmeOpensInNotepad", check_readme),
]


def main():
    zip_path, folder = sys.argv[1:3]
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(folder)
    print(f"[ measured ] {os.path.basename(zip_path)}: {os.path.getsize(zip_path)} bytes")
    failed = []
    for name, check in CHECKS:
        try:
            check(zip_path, folder)
            print(f"[       OK ] Package.{name}")
        except Exception as error:  # a check that breaks is a failed check, not a crashed run
            print(f"{name}: {type(error).__name__}: {error}")
            print(f"[  FAILED  ] Package.{name}")
            failed.append(name)
    print(f"[==========] {len(CHECKS)} tests ran.")
    print(f"[  PASSED  ] {len(CHECKS) - len(failed)} tests.")
    if failed:
        print(f"[  FAILED  ] {len(failed)} tests, listed below:")
        for name in failed:
            print(f"[  FAILED  ] Package.{name}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
