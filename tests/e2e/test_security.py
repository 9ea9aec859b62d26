"""A dwmapi.dll dropped beside the program never runs, and a cut module path writes no log-on
entry that would start something else."""
import os
import shutil
import time

from harness import case, check, main
import harness
from pixels import scale

WM_CLOSE = 0x0010
CHECK_BUTTON_Y = 238 + 40 + 34 + 16


def place_copy(s, folder):
    os.makedirs(folder, exist_ok=True)
    exe = os.path.join(folder, "quorvel.exe")
    shutil.copy(s.exe, exe)
    return exe


@case()
def a_planted_dwmapi_beside_the_program_is_never_loaded(s):
    folder = os.path.join(s.prefix, "drive_c", "Descargas")
    exe = place_copy(s, folder)
    shutil.copy(os.path.join(harness.BUILD, "tests", "planted", "dwmapi.dll"), folder)
    marker = os.path.join(folder, "dwmapi.dll.loaded")
    s.start(exe=exe)
    s.wait_visible("calendar")
    time.sleep(1)
    check(not os.path.exists(marker), "the planted dwmapi.dll was loaded")
    s.post("calendar", WM_CLOSE)
    check(s.wait_exit() == 0, "exit code")


@case()
def logon_entry_is_the_quoted_path_or_nothing_when_the_path_is_cut(s):
    # A folder with spaces and non-ASCII letters: the entry must start this very copy.
    normal = place_copy(s, os.path.join(s.prefix, "drive_c", "Mis programas", "Año nuevo"))
    s.start(exe=normal)
    s.wait_visible("calendar")
    s.click(scale(24, 96) + 30, CHECK_BUTTON_Y)
    s.wait_for(lambda st: s.reg_value() is not None, what="Run value")
    value = s.reg_value()
    check(value == '"C:\\Mis programas\\Año nuevo\\quorvel.exe" /widget', f"Run value {value!r}")
    entry = s.reg_entry()
    check(entry["type"] == 1 and entry["size"] == (len(value) + 1) * 2, f"Run entry {entry}")
    s.click(scale(24, 96) + 30, CHECK_BUTTON_Y)
    s.wait_for(lambda st: s.reg_value() is None, what="Run value removed")
    s.post("calendar", WM_CLOSE)
    check(s.wait_exit() == 0, "exit code")

    # More than 260 characters: the module path no longer fits and no entry is written.
    deep = os.path.join(s.prefix, "drive_c", *(["carpeta-" + "x" * 40] * 6))
    long_exe = place_copy(s, deep)
    s.start(exe=long_exe)
    s.wait_visible("calendar")
    s.click(scale(24, 96) + 30, CHECK_BUTTON_Y)
    time.sleep(2)
    check(s.reg_value() is None, f"a cut path was written: {s.reg_value()!r}")
    s.post("calendar", WM_CLOSE)
    check(s.wait_exit() == 0, "exit code")


if __name__ == "__main__":
    main()
