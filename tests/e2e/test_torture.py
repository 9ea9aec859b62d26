"""Hostile settings files, unwritable settings and an over-long application-data folder, end to
end. For each file the program starts on the screen its loaded values mean (the setup form for
an incomplete date, the message for an impossible one, the grid, or the widget with /widget),
shows the loaded values in the form, and what the user then sets is written and read back on
the next start.

The loaded values are those the platform's private-profile reader gives under Wine 8, found
with a probe of GetPrivateProfileIntW: letters read as 0 and leading digits as their number,
blank or empty values as missing, "+5" as 5, "0x10" as 16, a value longer than the reader's
30-unit buffer as what fits, UTF-16 and UTF-8 files only with their byte-order mark, keys in
another section or after the first [quorvel] section not at all; numbers beyond int32 are taken
as missing by the program itself."""
import os
import random
import subprocess
import time

from harness import case, check, main
from pixels import ACCENT, TRACK, buttons_on_row, count_near, scale
from stress_support import TODAY, WM_CLOSE, helper

WM_KEYDOWN = 0x0100
WM_NCLBUTTONDBLCLK = 0x00A3
HTCAPTION = 2
DAYS = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]


def crlf(*lines):
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


DATE = ("dia=5", "mes=3", "anio=1990")
UTF = "[quorvel]\r\ndia=5\r\nmes=3\r\nanio=1990\r\nvista=2\r\n"
TEN_MB = ("[quorvel]\r\ndia=5\r\nmes=3\r\nanio=1990\r\n" +
          "".join(f"clave{i}={'x' * 40}\r\n" for i in range(10 * 1024 * 1024 // 52))).encode()
BINARY = bytes(random.Random(7).randrange(256) for _ in range(4096))

# (name, file bytes, command line, loaded (dia, mes, anio, vida, vista))
FILES = [
    ("letters", crlf("[quorvel]", "dia=abc", "mes=x7", "anio=19z0", "vida=ninety"), [],
     (0, 0, 19, 0, 0)),
    ("letters in vida", crlf("[quorvel]", *DATE, "vida=noventa"), [], (5, 3, 1990, 0, 0)),
    ("leading digits", crlf("[quorvel]", "dia=12abc", "mes=3", "anio=1990"), [],
     (12, 3, 1990, 90, 0)),
    ("blanks", crlf("[quorvel]", "dia=   ", "mes=\t", "anio= 1990 ", "vida=  "), [],
     (0, 0, 1990, 90, 0)),
    ("empty values", crlf("[quorvel]", "dia=", "mes=", "anio=", "vida=", "vista="), [],
     (0, 0, 0, 90, 0)),
    ("plus signs", crlf("[quorvel]", "dia=+5", "mes=+3", "anio=+1990", "vida=+80", "vista=+2"),
     [], (5, 3, 1990, 80, 2)),
    ("hex with /widget", crlf("[quorvel]", "dia=0x10", "mes=0x3", "anio=0x7C6", "vida=0x50"),
     ["/widget"], (16, 3, 1990, 80, 0)),
    ("beyond int32", crlf("[quorvel]", "dia=4294967301", "mes=3", "anio=1990",
                          "vida=2147483648", "vista=4294967298"), [], (0, 3, 1990, 90, 0)),
    ("beyond int32 negative", crlf("[quorvel]", "dia=-4294967291", "mes=3", "anio=1990",
                                   "vida=-2147483649"), [], (0, 3, 1990, 90, 0)),
    ("int32 limits", crlf("[quorvel]", "dia=2147483647", "mes=-2147483648", "anio=1990"), [],
     (2147483647, -2147483648, 1990, 90, 0)),
    ("longer than the reader", crlf("[quorvel]", "dia=" + "0" * 40 + "5", "mes=3", "anio=1990"),
     [], (0, 3, 1990, 90, 0)),
    ("missing section", crlf(*DATE, "vida=80"), [], (0, 0, 0, 90, 0)),
    ("keys twice", crlf("[quorvel]", "dia=5", "dia=7", "mes=3", "anio=1990", "[quorvel]",
                        "vida=50"), [], (5, 3, 1990, 90, 0)),
    ("keys in another section", crlf("[otra]", *DATE, "[quorvel]", "vida=80"), [],
     (0, 0, 0, 80, 0)),
    ("impossible date", crlf("[quorvel]", "dia=31", "mes=2", "anio=1990"), ["/widget"],
     (31, 2, 1990, 90, 0)),
    ("future date", crlf("[quorvel]", "dia=1", "mes=1", "anio=2030", "vista=3"), [],
     (1, 1, 2030, 90, 3)),
    ("ten megabytes", TEN_MB, [], (5, 3, 1990, 90, 0)),
    ("binary", BINARY, [], (0, 0, 0, 90, 0)),
    ("binary around a section", b"\x00\x01\xff[quorvel]\r\ndia=5\x00\r\nmes=3\r\nanio=1990\r\n"
     b"\x00\x00basura\xfe\r\n", [], (0, 0, 0, 90, 0)),
    ("UTF-16 with BOM", b"\xff\xfe" + UTF.encode("utf-16-le"), [], (5, 3, 1990, 90, 2)),
    ("UTF-16 without BOM", UTF.encode("utf-16-le"), [], (0, 0, 0, 90, 0)),
    ("UTF-16 big-endian with BOM", b"\xfe\xff" + UTF.encode("utf-16-be"), [],
     (5, 3, 1990, 90, 2)),
    ("UTF-8 with BOM", b"\xef\xbb\xbf" + UTF.encode(), [], (5, 3, 1990, 90, 2)),
    ("LF only", "[quorvel]\ndia=5\nmes=3\nanio=1990\nvista=3\n".encode(), [],
     (5, 3, 1990, 90, 3)),
    ("no final newline", b"[quorvel]\r\ndia=5\r\nmes=3\r\nanio=1990\r\nvista=1", ["/widget"],
     (5, 3, 1990, 90, 1)),
]


def valid(day, month, year, years):
    """The life statistics' verdict on 2025-06-15, written out for the few dates used here."""
    if not 1 <= month <= 12 or year < 1900 or day < 1:
        return False
    leap = year % 4 == 0 and (year % 100 != 0 or year % 400 == 0)
    if day > DAYS[month - 1] + (1 if month == 2 and leap else 0):
        return False
    if not 1 <= years <= 120 or (year, month, day) > (2025, 6, 15):
        return False
    age = 2025 - year - (1 if (month, day) > (6, 15) else 0)
    return age < years


def expected_screen(loaded, args):
    day, month, year, years, _ = loaded
    if 0 in (day, month, year):
        return "form"
    if not valid(day, month, year, years):
        return "message"
    return "widget" if "/widget" in args else "grid"


def calendar_body(image):
    """"grid" when the grid's squares are drawn, "message" for amber text on the body line."""
    w, h = image.size
    squares = count_near(image, TRACK, (0, 254, w, h - 40), 0)
    amber = count_near(image, ACCENT, (24, 160, 600, 176), 30)
    if squares > 500:
        return "grid"
    if amber > 20 and squares == 0:
        return "message"
    return f"unclear (track {squares}, amber {amber})"


def selected_tab(image):
    tabs = [i for i, b in enumerate(buttons_on_row(image, scale(108, 96), 96)[:4]) if b[2]]
    return tabs[0] if len(tabs) == 1 else tabs


def screen(s, timeout=20):
    """The screen the program shows once it has settled."""
    deadline = time.time() + timeout
    while True:
        state = s.info()
        if state["widget"] and state["widget"]["visible"] and not state["calendar"]["visible"]:
            return "widget"
        if state["calendar"] and state["calendar"]["visible"]:
            if any(c["visible"] for c in state["children"]):
                return "form"
            s.park_pointer()
            body = calendar_body(s.client_image())
            if not body.startswith("unclear"):
                return body
        if time.time() > deadline:
            return "nothing settled"
        time.sleep(0.3)


def field_texts(s):
    return helper(s, "fields")["texts"]


def open_form(s, shown):
    if shown == "widget":
        s.post("widget", WM_NCLBUTTONDBLCLK, HTCAPTION)
        s.wait_visible("calendar")
    if shown != "form":
        s.post("calendar", WM_KEYDOWN, ord("A"))
        s.wait_for(lambda st: any(c["visible"] for c in st["children"]), what="form open")


def type_date(s, values):
    """Replaces the four fields by typing, as a user would: the day field emptied by hand, the
    others selected whole by Tab; Enter commits."""
    day_field = next(c for c in s.info()["children"] if c["id"] == 101)
    r = day_field["rect"]
    s.xdotool("mousemove", (r[0] + r[2]) // 2, (r[1] + r[3]) // 2)
    s.xdotool("click", 1)
    s.xdotool("key", "End", *(["BackSpace"] * 12))
    s.xdotool("type", "--delay", 30, str(values[0]))
    for value in values[1:]:
        s.xdotool("key", "Tab")
        s.xdotool("type", "--delay", 30, str(value))
    s.xdotool("key", "Return")
    s.wait_for(lambda st: not any(c["visible"] for c in st["children"]), what="form committed")


def decode(data):
    for bom, codec in ((b"\xff\xfe", "utf-16-le"), (b"\xfe\xff", "utf-16-be"),
                       (b"\xef\xbb\xbf", "utf-8")):
        if data.startswith(bom):
            return data[len(bom):].decode(codec, "replace")
    return data.decode("latin-1")


def first_section_values(data):
    """The keys of the first [quorvel] section, first occurrence of each, as the reader takes
    them."""
    values, inside, seen = {}, False, False
    for line in decode(data).replace("\r", "\n").split("\n"):
        line = line.strip().strip("\x00")
        if line.startswith("[") and line.endswith("]"):
            inside = line[1:-1].strip().lower() == "quorvel" and not seen
            seen = seen or inside
        elif inside and "=" in line:
            key, value = line.split("=", 1)
            values.setdefault(key.strip().lower(), value.strip())
    return values


def close(s):
    s.post("calendar", WM_CLOSE)
    check(s.wait_exit() == 0, "exit code")


def run_file(s, index, name, data, args, loaded):
    s.write_ini(data)
    s.start(*args)
    want = expected_screen(loaded, args)
    shown = screen(s)
    check(shown == want, f"shows {shown}, expected {want}")
    if shown == "grid":
        check(selected_tab(s.client_image()) == loaded[4], f"tab for vista {loaded[4]}")
    open_form(s, shown)
    day, month, year, years, _ = loaded
    texts = [str(day) if day else "", str(month) if month else "", str(year) if year else "",
             str(years)]
    check(field_texts(s) == texts, f"fields {field_texts(s)}, expected {texts}")

    chosen = (1 + index % 28, 1 + index % 12, 1950 + index, 80 + index % 20)
    view = index % 4
    type_date(s, chosen)
    s.key(str(view + 1))
    s.wait_for(lambda st: first_section_values(open(s.ini_path(), "rb").read()).get("vista")
               == str(view), what="vista written")
    close(s)
    stored = first_section_values(open(s.ini_path(), "rb").read())
    check([stored.get(k) for k in ("dia", "mes", "anio", "vida", "vista")] ==
          [str(v) for v in chosen + (view,)], f"stored {stored}")

    # The next start reads back what was written.
    s.start()
    shown = screen(s)
    check(shown == "grid", f"next start shows {shown}")
    check(selected_tab(s.client_image()) == view, f"next start's tab, expected {view}")
    open_form(s, shown)
    check(field_texts(s) == [str(v) for v in chosen], f"next start's fields {field_texts(s)}")
    close(s)


@case(faketime=TODAY)
def hostile_settings_files_load_show_and_take_new_values(s):
    failures = []
    for index, (name, data, args, loaded) in enumerate(FILES):
        try:
            run_file(s, index, name, data, args, loaded)
        except Exception as error:  # the other files still run
            failures.append(f"{name}: {error}")
            if s.alive():
                s.process.kill()
                s.process.wait()
    check(not failures, "; ".join(failures))


# ---- Settings that cannot be written ------------------------------------------------------

def immutable(path, on):
    """Writes fail for root too only on an immutable file or folder (CI runs as root; a DOS
    read-only attribute, which Wine keeps as the file mode, does not stop root's writes)."""
    if os.geteuid() == 0:
        subprocess.run(["chattr", "+i" if on else "-i", path], check=True)
    else:
        os.chmod(path, 0o555 if on else 0o755)


def every_ini(s):
    found = []
    for folder, _, names in os.walk(os.path.join(s.prefix, "drive_c")):
        found += [os.path.join(folder, n) for n in names if n.lower() == "quorvel.ini"]
    return found


def unwritable_run(s, first_screen, first_tab, view_after):
    """Starts, checks the first screen, sets a date and a view, checks they show for the run,
    closes, and returns what the next start shows."""
    s.start()
    shown = screen(s)
    check(shown == first_screen, f"shows {shown}, expected {first_screen}")
    if shown == "grid":
        check(selected_tab(s.client_image()) == first_tab, "first tab")
    open_form(s, shown)
    type_date(s, (20, 7, 1985, 90))
    s.key(str(view_after + 1))
    s.wait_image(lambda im: selected_tab(im) == view_after, what="the chosen view for the run")
    check(s.alive(), "program ended")
    close(s)
    s.start()
    again = screen(s)
    close(s)
    return again


@case(faketime=TODAY)
def unwritable_settings_run_on_in_memory(s):
    folder = os.path.dirname(s.ini_path())
    original = crlf("[quorvel]", *DATE, "vista=2")
    failures = []

    # A read-only settings file: the run shows what was set, the file stays as it was.
    s.write_ini(original)
    immutable(s.ini_path(), True)
    try:
        again = unwritable_run(s, "grid", 2, 1)
        if open(s.ini_path(), "rb").read() != original:
            failures.append("read-only file changed")
        if again != "grid":
            failures.append(f"read-only file: next start shows {again}")
    finally:
        immutable(s.ini_path(), False)

    # A read-only folder without the file, and a plain file where the folder should be: the
    # setup form on every start and nothing written anywhere.
    os.remove(s.ini_path())
    immutable(folder, True)
    try:
        again = unwritable_run(s, "form", None, 2)
        if every_ini(s) or again != "form":
            failures.append(f"read-only folder: next start {again}, files {every_ini(s)}")
    finally:
        immutable(folder, False)
    os.rmdir(folder)
    with open(folder, "wb") as plain:
        plain.write(b"not a folder")
    again = unwritable_run(s, "form", None, 3)
    if every_ini(s) or again != "form" or open(folder, "rb").read() != b"not a folder":
        failures.append(f"file as folder: next start {again}, files {every_ini(s)}")
    check(not failures, "; ".join(failures))


@case(faketime=TODAY)
def overlong_application_data_folder_turns_settings_off(s):
    # 252 characters: the folder fits the platform's path, the settings file does not.
    long_folder = "C:\\" + "\\".join(["quorvel" + "d" * 43] * 5)
    long_folder = long_folder[:252]
    check(len(long_folder) == 252, "folder length")
    unix = os.path.join(s.prefix, "drive_c", *long_folder[3:].split("\\"))
    os.makedirs(unix, exist_ok=True)
    for key in ("User Shell Folders", "Shell Folders"):
        s.wine(["reg", "add", rf"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\{key}",
                "/v", "AppData", "/t", "REG_SZ", "/d", long_folder, "/f"], check_rc=True)
    again = unwritable_run(s, "form", None, 1)
    check(again == "form", f"next start shows {again}")
    check(every_ini(s) == [], f"settings written: {every_ini(s)}")
    # The program took the long folder: it created no settings folder there nor in the usual
    # place.
    check(not os.path.exists(os.path.join(unix, "VoskTarnelline")), "folder made in the long path")
    check(not os.path.exists(os.path.dirname(s.ini_path())), "folder made in the usual place")


if __name__ == "__main__":
    main()
