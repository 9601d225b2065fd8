"""Reads an exe's application manifest back from its resources and checks what it asks of Windows."""
import re
import struct
import xml.etree.ElementTree as ET

RT_MANIFEST = 24
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS = {"dpiAware": "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}",
            "gdiScaling": "{http://schemas.microsoft.com/SMI/2017/WindowsSettings}",
            "activeCodePage": "{http://schemas.microsoft.com/SMI/2019/WindowsSettings}"}
SUPPORTED_OS = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}  # Windows 10 and 11


def resources_of_type(data, type_id):
    """{(name id, language): bytes} of the resources of one numbered type, read from the PE file."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
    count, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    directories = optional + (112 if struct.unpack_from("<H", data, optional)[0] == 0x20B else 96)
    root_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]  # entry 2: the resources
    sections = [struct.unpack_from("<IIII", data, optional + optional_size + 40 * i + 8) for i in range(count)]

    def at(rva):  # file offset of an address inside a section
        for virtual_size, address, raw_size, raw in sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise AssertionError(f"address {rva:#x} lies in no section")

    root = at(root_rva)

    def entries(directory):  # (id or None for a name, offset of the child relative to the root)
        named, numbered = struct.unpack_from("<HH", data, root + directory + 12)
        for i in range(named + numbered):
            name, child = struct.unpack_from("<II", data, root + directory + 16 + 8 * i)
            yield (None if name & 0x80000000 else name), child

    found = {}
    for kind, names in entries(0):
        if kind != type_id:
            continue
        for name, languages in entries(names & 0x7FFFFFFF):
            for language, leaf in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, root + leaf)
                found[(name, language)] = data[at(rva):at(rva) + size]
    return found


def check_manifest(exe, version_numbers):
    """Fails with the reason when the exe's manifest does not ask Windows for what the program needs."""
    manifests = resources_of_type(open(exe, "rb").read(), RT_MANIFEST)
    assert list(manifests) == [(1, 0)], f"manifest resources {sorted(manifests)}, not one with id 1"
    root = ET.fromstring(next(iter(manifests.values())))
    assert root.tag == ASM_V1 + "assembly" and root.get("manifestVersion") == "1.0", "not an assembly manifest"
    identity = root.find(ASM_V1 + "assemblyIdentity")
    assert identity is not None and identity.get("version") == version_numbers, \
        f"the program's identity is not version {version_numbers}"
    controls = root.findall(f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity")
    assert [(c.get("name"), c.get("version"), c.get("publicKeyToken"), c.get("type")) for c in controls] == [
        ("Microsoft.Windows.Common-Controls", "6.0.0.0", "6595b64144ccf1df", "win32")], "no Common Controls 6"
    systems = {s.get("Id") for s in root.iterfind(f"{COMPAT}compatibility/{COMPAT}application/{COMPAT}supportedOS")}
    assert systems == SUPPORTED_OS, f"supportedOS {sorted(systems)}"
    settings = root.find(f"{ASM_V3}application/{ASM_V3}windowsSettings")
    assert settings is not None, "no windowsSettings"
    values = {name: [e.text for e in settings.iter(space + name)] for name, space in SETTINGS.items()}
    assert values == {"dpiAware": ["false"], "gdiScaling": ["true"], "activeCodePage": ["ja-JP"]}, values
    unknown = [e.tag for e in settings if not any(e.tag == space + name for name, space in SETTINGS.items())]
    assert not unknown, f"other settings {unknown}"
    levels = [(e.get("level"), e.get("uiAccess")) for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    assert levels == [("asInvoker", "false")], f"execution level {levels}"


def version_numbers(version_file):
    """The four-part version the manifest names: version.txt's major.minor, then 0.0."""
    major, minor = re.match(r"(\d+)\.(\d+)", open(version_file, encoding="ascii").readline()).groups()
    return f"{int(major)}.{int(minor)}.0.0"

