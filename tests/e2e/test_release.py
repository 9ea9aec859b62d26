"""The Windows release end to end: tools/release.sh packages the build's quorvel.exe, and under
Wine the installer installs it for the user, replaces an installed copy and removes it again,
and the portable zip's program runs from a folder whose path has blanks."""
import atexit
import os
import re
import shutil
import subprocess
import tempfile
import zipfile

import harness
from harness import ROOT, case, check, main, windows_path

PRODUCT = "Calendario quorvel dast"
MAKER = "Vosk Tarnelline"
ICON = os.path.join(ROOT, "resources", "quorvel.ico")
UNINSTALL_KEYS = [r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall",
                  r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"]
USER_PRODUCTS = r"HKCU\Software\Microsoft\Installer\Products"
MACHINE_PRODUCTS = r"HKLM\Software\Classes\Installer\Products"
SETTINGS = b"[quorvel]\r\ndia=10\r\nmes=3\r\nanio=1990\r\nvida=90\r\nvista=2\r\n"
NEIGHBOUR = "SomeOtherProgram"
WM_CLOSE = 0x0010


def project_version():
    text = open(os.path.join(ROOT, "CMakeLists.txt")).read()
    return re.search(r"^project\(quorvel VERSION (\d+\.\d+\.\d+)", text, re.M).group(1)


def next_version(version):
    major, minor, patch = version.split(".")
    return f"{major}.{minor}.{int(patch) + 1}"


VERSION = project_version()
NEWER = next_version(VERSION)
_packages = {}


def package(version=None, build=0):
    """The installer and the zip that `tools/release.sh package` makes of the build, once per
    (version, build): a second build of the same version is a new product to Windows Installer."""
    key = (version, build)
    if key not in _packages:
        out = tempfile.mkdtemp(prefix="quorvel-release-")
        atexit.register(shutil.rmtree, out, True)
        args = [os.path.join(ROOT, "tools", "release.sh"), "package", harness.BUILD, out]
        done = subprocess.run(args + ([version] if version else []), capture_output=True,
                              text=True, stdin=subprocess.DEVNULL, timeout=120)
        check(done.returncode == 0, f"packaging failed: {done.stderr.strip()}")
        name = f"quorvel-{version or VERSION}-win64"
        msi, archive = os.path.join(out, name + ".msi"), os.path.join(out, name + ".zip")
        check(done.stdout.split() == [msi, archive], f"packaging made {done.stdout.split()}")
        _packages[key] = (msi, archive)
    return _packages[key]


def build_exe():
    return open(os.path.join(harness.BUILD, "quorvel.exe"), "rb").read()


# ---- where things land in the prefix ---------------------------------------------------------
def prefix_path(s, path):
    """The file behind a C:\\ path of the prefix."""
    check(path[:3].upper() == "C:\\", f"{path} is not on drive C:")
    return os.path.join(s.prefix, "drive_c", *path[3:].split("\\"))


def install_dir(s):
    local = os.path.join(os.path.dirname(s.appdata()), "Local")
    return os.path.join(local, "Programs", PRODUCT)


def shortcut(s):
    return os.path.join(s.appdata(), "Microsoft", "Windows", "Start Menu", "Programs",
                        PRODUCT + ".lnk")


def program_copies(s):
    found = []
    for folder, _, files in os.walk(os.path.join(s.prefix, "drive_c", "users")):
        found += [os.path.join(folder, f) for f in files if f.lower() == "quorvel.exe"]
    return found


def read_link(path):
    """The target path and the string data (working folder, icon...) of a shell link."""
    data = open(path, "rb").read()
    check(data[:4] == b"L\0\0\0", f"{path} is not a shell link")
    u16 = lambda at: int.from_bytes(data[at:at + 2], "little")
    u32 = lambda at: int.from_bytes(data[at:at + 4], "little")
    flags, pos, target = u32(20), 76, None
    if flags & 0x1:  # an item id list
        pos += 2 + u16(pos)
    if flags & 0x2:  # link info, with the local path when its own flag 1 is set
        if u32(pos + 8) & 0x1:
            start = pos + u32(pos + 16)
            target = data[start:data.index(b"\0", start)].decode("latin-1")
        pos += u32(pos)
    strings, width = {}, 2 if flags & 0x80 else 1
    for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "workdir"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = u16(pos)
            raw = data[pos + 2:pos + 2 + count * width]
            # Wine counts the terminator as well
            strings[name] = raw.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            pos += 2 + count * width
    return target, strings


# ---- the installer and the registry -------------------------------------------------------------
def msiexec(s, *args):
    rc, _ = s.wine(["msiexec"] + list(args) + ["/qn"], timeout=180)
    return rc


def reg_tree(s, key):
    """{subkey: {value name: data}} of everything below key."""
    rc, text = s.wine(["reg", "query", key, "/s"])
    tree, current = {}, None
    if rc != 0:
        return tree
    for line in text.splitlines():
        if line.startswith("HKEY_"):
            current = tree.setdefault(line.strip(), {})
            continue
        parts = line.strip().split(None, 2)
        if current is not None and len(parts) >= 2 and parts[1].startswith("REG_"):
            current[parts[0]] = parts[2] if len(parts) == 3 else ""
    return tree


def entries(s):
    """The installed-programs entries of the product, wherever Windows Installer put them."""
    found = []
    for key in UNINSTALL_KEYS:
        for subkey, values in reg_tree(s, key).items():
            if values.get("DisplayName") == PRODUCT:
                found.append(dict(values, key=subkey.rsplit("\\", 1)[-1]))
    return found


def registrations(s, key):
    return [v for v in reg_tree(s, key).values() if v.get("ProductName") == PRODUCT]


def install(s, msi):
    rc = msiexec(s, "/i", windows_path(msi))
    check(rc == 0, f"installing {os.path.basename(msi)} exited with {rc}")


def only_entry(s, version):
    found = entries(s)
    check(len(found) == 1, "installed-programs entries: "
          + ", ".join(f"{e['key']} {e.get('DisplayVersion')}" for e in found))
    check(found[0].get("DisplayVersion") == version,
          f"entry shows version {found[0].get('DisplayVersion')}, expected {version}")
    check(len(registrations(s, USER_PRODUCTS)) == 1, "not one product registered for the user")
    return found[0]


def check_installed(s):
    exe = os.path.join(install_dir(s), "quorvel.exe")
    check(os.path.isfile(exe), f"no {exe}")
    check(open(exe, "rb").read() == build_exe(), "the installed quorvel.exe is not the build's")
    check(program_copies(s) == [exe], f"copies of the program: {program_copies(s)}")
    check(os.path.isfile(shortcut(s)), f"no Start-menu shortcut {shortcut(s)}")
    return exe


def starts_and_closes(s, exe):
    """exe (a path of the prefix, as the user starts it) opens the calendar window and ends with
    0 when it is closed."""
    s.start(exe=exe)
    s.wait_visible("calendar")
    s.post("calendar", WM_CLOSE)
    rc = s.wait_exit()
    check(rc == 0, f"{exe} exited with {rc}")


# ---- cases --------------------------------------------------------------------------------------
@case()
def install_for_the_user(s):
    msi, _ = package()
    install(s, msi)
    exe = check_installed(s)

    target, strings = read_link(shortcut(s))
    check(target and os.path.samefile(prefix_path(s, target), exe), f"shortcut points at {target}")
    workdir, icon = strings.get("workdir"), strings.get("icon")
    check(workdir and os.path.samefile(prefix_path(s, workdir), install_dir(s)),
          f"shortcut starts in {workdir}")
    check(icon and open(prefix_path(s, icon), "rb").read() == open(ICON, "rb").read(),
          f"shortcut icon {icon} is not the program's icon")

    entry = only_entry(s, VERSION)
    check(entry.get("Publisher") == MAKER, f"publisher {entry.get('Publisher')}")
    check(not registrations(s, MACHINE_PRODUCTS), "registered for the whole machine")
    starts_and_closes(s, target)


# (name, version installed first, its build, version installed second, its build, accepted)
REPLACEMENTS = [
    ("upgrade_to_a_newer_version", VERSION, 0, NEWER, 0, True),
    ("upgrade_by_another_build_of_the_same_version", VERSION, 0, VERSION, 1, True),
    ("refuse_an_older_version", NEWER, 0, VERSION, 0, False),
]


def replacement_case(name, first, first_build, second, second_build, accepted):
    def run(s):
        install(s, package(first, first_build)[0])
        old = only_entry(s, first)["key"]
        s.write_ini(SETTINGS)
        rc = msiexec(s, "/i", windows_path(package(second, second_build)[0]))
        check((rc == 0) == accepted, f"second install exited with {rc}")
        entry = only_entry(s, second if accepted else first)
        check((entry["key"] != old) == accepted, f"entry {entry['key']} after {old}")
        check_installed(s)
        check(open(s.ini_path(), "rb").read() == SETTINGS, "the settings file changed")
    run.__name__ = name
    case()(run)


for row in REPLACEMENTS:
    replacement_case(*row)


# (name, Run value present before, extra properties, Run value left after)
REMOVALS = [
    ("uninstall_removes_the_log_on_value", True, [], False),
    ("uninstall_without_a_log_on_value", False, [], False),
    # Windows' RemoveExistingProducts removes the old copy with UPGRADINGPRODUCTCODE set; the
    # user's log-on choice must outlive the upgrade. (Wine's leaves the property out, so the
    # removal is made here the way Windows makes it.)
    ("removal_for_an_upgrade_keeps_the_log_on_value", True,
     ["UPGRADINGPRODUCTCODE={00000000-0000-0000-0000-000000000001}"], True),
]


def removal_case(name, run_before, properties, run_after):
    def run(s):
        install(s, package()[0])
        s.write_ini(SETTINGS)
        s.reg_add("other", name=NEIGHBOUR)
        if run_before:
            s.reg_add(f'"{os.path.join(install_dir(s), "quorvel.exe")}" /widget')
        # what "Desinstalar" runs
        command = only_entry(s, VERSION).get("UninstallString", "").split()
        check(len(command) == 2 and command[0].lower() == "msiexec.exe",
              f"uninstall command {command}")
        rc = msiexec(s, command[1], *properties)
        check(rc == 0, f"uninstall exited with {rc}")
        check(not os.path.exists(install_dir(s)), f"{install_dir(s)} is left")
        check(not os.path.exists(shortcut(s)), "the Start-menu shortcut is left")
        check(not entries(s) and not registrations(s, USER_PRODUCTS), "the product is still listed")
        check((s.reg_value() is not None) == run_after,
              f"log-on value after removal: {s.reg_value()}")
        check(s.reg_value(NEIGHBOUR) == "other", "another program's log-on value went too")
        check(open(s.ini_path(), "rb").read() == SETTINGS, "the settings file changed")
    run.__name__ = name
    case()(run)


for row in REMOVALS:
    removal_case(*row)


@case()
def portable_zip(s):
    _, archive = package()
    user = os.path.basename(os.path.dirname(os.path.dirname(s.appdata())))
    folder = "C:\\users\\" + user + "\\Mis programas\\" + PRODUCT
    with zipfile.ZipFile(archive) as z:
        check(sorted(z.namelist()) == ["LEEME.txt", "quorvel.exe"], f"zip holds {z.namelist()}")
        check(z.read("quorvel.exe") == build_exe(), "the zip's quorvel.exe is not the build's")
        guide = z.read("LEEME.txt")
        z.extractall(prefix_path(s, folder))
    # Notepad shows the accents of UTF-8 only with the signature; lines end in CR LF.
    check(guide.startswith(b"\xef\xbb\xbf"), "LEEME.txt has no UTF-8 signature")
    lines = guide[3:].decode("utf-8").split("\r\n")
    check(not any("\r" in line or "\n" in line for line in lines),
          "LEEME.txt has a line end other than CR LF")
    starts_and_closes(s, folder + "\\quorvel.exe")


if __name__ == "__main__":
    main()
