"""End-to-end harness: drives the real quorvel.exe under Wine in a private virtual X server.

Every case gets a fresh copy of the Wine prefix template, its own wineserver (optionally under a
faked clock) and the real settings file and registry. Input is real X input (xdotool); what the
program shows is read back with the probe tool (tests/e2e/probe.cpp) and from screenshots.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CALENDAR_TITLE = "Calendario quorvel dast \u2014 Vosk Tarnelline"
WIDGET_TITLE = "Quorvel dast"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "VoskTarnellineQuorvelDast"
FAKETIME_LIBS = ["/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"]

BUILD = os.path.join(ROOT, "build")
_display = None
_cases = []


class CaseFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise CaseFailure(message)


def case(**options):
    """Registers a test case; options go to the Session (dpi=, faketime=, rate=)."""
    def register(function):
        _cases.append((function, options))
        return function
    return register


def _start_xvfb():
    """A private X server; Xvfb itself picks a free display and reports it, so scripts that
    start at the same moment never share one."""
    global _display
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                             "1920x1080x24", "-nolisten", "tcp"], pass_fds=(write_end,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as reader:
        while not number.endswith(b"\n"):
            chunk = reader.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip().isdigit():
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    _display = (":" + number.strip().decode(), proc)


def _stop_xvfb():
    if _display:
        _display[1].kill()
        _display[1].wait()


def windows_path(path):
    """The path Wine's programs see for a Linux path (drive Z: is the root)."""
    return "Z:" + path.replace("/", "\\")


class Session:
    def __init__(self, name, dpi=None, faketime=None, rate=None):
        self.name = name
        self.prefix = os.path.join(BUILD, "e2e", name)
        self.work = tempfile.mkdtemp(prefix=f"quorvel-{name}-")
        self.exe = os.path.join(BUILD, "quorvel.exe")
        self.probe_exe = os.path.join(BUILD, "tests", "quorvel_probe.exe")
        self.process = None
        self.holder = None
        template = os.environ.get("QUORVEL_WINE_TEMPLATE",
                                  os.path.expanduser("~/.cache/quorvel/wine-template"))
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        subprocess.run(["cp", "-a", template, self.prefix], check=True)
        try:
            os.remove(os.path.join(self.prefix, "wineserver"))
        except FileNotFoundError:
            pass
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=_display[0])
        if faketime:
            self._fake_clock(faketime, rate)
        self._run(["wineserver", "-p"])
        self.wine(["cmd", "/c", "exit"])
        if dpi:
            self.set_dpi(dpi)

    # ---- processes ----------------------------------------------------------------------
    def _fake_clock(self, when, rate):
        """Every Wine process and the wineserver share one faked clock starting at `when`."""
        clock = f"@{when}" + (f" x{rate}" if rate else "")
        lib = next((p for p in FAKETIME_LIBS if os.path.exists(p)), None)
        check(lib is not None, "libfaketime is not installed")
        shared_file = os.path.join(self.work, "faketime-shared")
        self.holder = subprocess.Popen(
            ["faketime", "-f", clock, "sh", "-c",
             f'echo "$FAKETIME_SHARED" > "{shared_file}"; exec sleep 3600'],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(shared_file) and open(shared_file).read().strip():
                break
            time.sleep(0.05)
        self.env.update(LD_PRELOAD=lib, FAKETIME=clock, FAKETIME_DONT_RESET="1", NO_FAKE_STAT="1",
                        FAKETIME_SHARED=open(shared_file).read().strip())

    def _run(self, args, timeout=60, check_rc=True):
        out = os.path.join(self.work, "out.txt")
        with open(out, "wb") as stdout:
            rc = subprocess.run(args, env=self.env, stdout=stdout, stderr=subprocess.DEVNULL,
                                stdin=subprocess.DEVNULL, timeout=timeout).returncode
        text = open(out, "rb").read().decode("utf-8", "replace")
        if check_rc and rc != 0:
            raise CaseFailure(f"{args} exited with {rc}: {text}")
        return rc, text

    def wine(self, args, timeout=60, check_rc=False):
        return self._run(["wine"] + args, timeout, check_rc)

    def start(self, *args, exe=None):
        """Starts quorvel.exe (or `exe`) with the given arguments; does not wait."""
        log = open(os.path.join(self.work, "program.txt"), "wb")
        self.process = subprocess.Popen(["wine", exe or self.exe] + list(args), env=self.env,
                                        stdout=log, stderr=log, stdin=subprocess.DEVNULL)
        return self.process

    def run_to_exit(self, *args, exe=None, timeout=30):
        proc = self.start(*args, exe=exe)
        return proc.wait(timeout)

    def wait_exit(self, timeout=30):
        return self.process.wait(timeout)

    def alive(self):
        return self.process is not None and self.process.poll() is None

    def program_output(self):
        """What the program (and Wine on its behalf) wrote to stdout and stderr so far."""
        try:
            with open(os.path.join(self.work, "program.txt"), "rb") as log:
                return log.read().decode("utf-8", "replace")
        except FileNotFoundError:
            return ""

    def keep_program_output(self):
        """The program's own output (a crash report, say) beside the failure screenshots."""
        log = os.path.join(self.work, "program.txt")
        if os.path.exists(log):
            folder = os.path.join(BUILD, "e2e-failures")
            os.makedirs(folder, exist_ok=True)
            shutil.copy(log, os.path.join(folder, f"{self.name}.txt"))

    def close(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        if self.holder:
            self.holder.kill()
        shutil.rmtree(self.prefix, ignore_errors=True)
        shutil.rmtree(self.work, ignore_errors=True)

    # ---- the probe ----------------------------------------------------------------------
    def probe(self, *args):
        # A Wine process very rarely fails to start (exit 1, no output) while the program is
        # busy; one more try tells that apart from a real failure.
        for attempt in range(3):
            rc, text = self._run(["wine", self.probe_exe] + [str(a) for a in args],
                                 check_rc=False)
            if rc == 0:
                return json.loads(text)
            time.sleep(0.3)
        raise CaseFailure(f"probe {args} failed with {rc}: {text}")

    def info(self):
        return self.probe("state")

    def send(self, which, message, wparam=0, lparam=0):
        return self.probe("send", which, message, wparam, lparam)["result"]

    def post(self, which, message, wparam=0, lparam=0):
        return self.probe("post", which, message, wparam, lparam)["result"]

    def wait_for(self, predicate, timeout=20, what="condition"):
        deadline = time.time() + timeout
        last = None
        while time.time() < deadline:
            if self.process is not None and self.process.poll() is not None:
                raise CaseFailure(f"program exited ({self.process.returncode}) waiting for {what}")
            last = self.info()
            if predicate(last):
                return last
            time.sleep(0.2)
        raise CaseFailure(f"timed out waiting for {what}; last state: {json.dumps(last)[:600]}")

    def wait_visible(self, which, timeout=30):
        return self.wait_for(lambda s: s[which] and s[which]["visible"], timeout,
                             f"{which} visible")

    def wait_hidden(self, which, timeout=30):
        return self.wait_for(lambda s: s[which] and not s[which]["visible"], timeout,
                             f"{which} hidden")

    # ---- settings and registry ----------------------------------------------------------
    def appdata(self):
        users = os.path.join(self.prefix, "drive_c", "users")
        names = [u for u in os.listdir(users) if u.lower() != "public"]
        return os.path.join(users, names[0], "AppData", "Roaming")

    def ini_path(self):
        return os.path.join(self.appdata(), "VoskTarnelline", "quorvel.ini")

    def write_ini(self, content):
        os.makedirs(os.path.dirname(self.ini_path()), exist_ok=True)
        data = content.encode("ascii") if isinstance(content, str) else content
        with open(self.ini_path(), "wb") as f:
            f.write(data)

    def ini_text(self):
        try:
            return open(self.ini_path(), "rb").read().decode("latin-1")
        except FileNotFoundError:
            return None

    def read_ini(self):
        """The keys of the [quorvel] section as text values; {} without a file."""
        text = self.ini_text() or ""
        values, section = {}, None
        for line in text.splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].strip().lower()
            elif "=" in line and section == "quorvel":
                key, value = line.split("=", 1)
                values[key.strip()] = value.strip()
        return values

    def set_dpi(self, dpi):
        self.wine(["reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
                   "REG_DWORD", "/d", str(dpi), "/f"], check_rc=True)

    def reg_value(self, name=RUN_VALUE, key=RUN_KEY):
        """The text of a registry value ("" for a value that is not text), or None when the
        value does not exist. Read through the probe: `reg query` garbles non-ASCII text."""
        subkey = key.split("\\", 1)[1]
        got = self.probe("regvalue", subkey, name)
        if not got["exists"]:
            return None
        return got["data"] if got["data"] is not None else ""

    def reg_entry(self, name=RUN_VALUE, key=RUN_KEY):
        return self.probe("regvalue", key.split("\\", 1)[1], name)

    def reg_add(self, data, name=RUN_VALUE, key=RUN_KEY, kind="REG_SZ"):
        self.wine(["reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"], check_rc=True)

    # ---- X input and screenshots --------------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def client_origin(self, which="calendar"):
        return self.info()[which]["origin"]

    def move(self, x, y, which="calendar"):
        ox, oy = self.client_origin(which)
        self.xdotool("mousemove", ox + x, oy + y)

    def park_pointer(self):
        self.xdotool("mousemove", 1915, 1075)

    def click(self, x, y, which="calendar", button=1):
        self.move(x, y, which)
        time.sleep(0.1)
        self.xdotool("click", button)

    def double_click(self, x, y, which="widget"):
        self.move(x, y, which)
        time.sleep(0.1)
        self.xdotool("click", "--repeat", 2, "--delay", 80, 1)

    def key(self, *keys, which="calendar"):
        """Keys go to the window under the pointer: move it inside the client area first."""
        state = self.info()[which]
        if not self._pointer_inside(state):
            self.move(5, state["client"][1] - 5, which)
        for k in keys:
            self.xdotool("key", k)
            time.sleep(0.05)

    def type_text(self, text, which="calendar"):
        state = self.info()[which]
        if not self._pointer_inside(state):
            self.move(5, state["client"][1] - 5, which)
        self.xdotool("type", "--delay", 40, text)

    def _pointer_inside(self, state):
        out = subprocess.run(["xdotool", "getmouselocation"], env=self.env, capture_output=True,
                             text=True).stdout
        fields = dict(f.split(":") for f in out.split() if ":" in f)
        x, y = int(fields.get("x", -1)), int(fields.get("y", -1))
        ox, oy = state["origin"]
        w, h = state["client"]
        return ox <= x < ox + w and oy <= y < oy + h

    def screenshot(self, save_as=None):
        path = os.path.join(self.work, "screen.png")
        xwd = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True,
                             check=True).stdout
        subprocess.run(["convert", "xwd:-", "png:" + path], input=xwd, check=True)
        image = Image.open(path).convert("RGB")
        if save_as:
            os.makedirs(os.path.dirname(save_as), exist_ok=True)
            image.save(save_as)
        return image

    def client_image(self, which="calendar", save_as=None):
        state = self.info()[which]
        ox, oy = state["origin"]
        w, h = state["client"]
        image = self.screenshot().crop((ox, oy, ox + w, oy + h))
        if save_as:
            os.makedirs(os.path.dirname(save_as), exist_ok=True)
            image.save(save_as)
        return image

    def wait_image(self, predicate, which="calendar", timeout=15, what="picture"):
        deadline = time.time() + timeout
        while True:
            image = self.client_image(which)
            if predicate(image):
                return image
            if time.time() > deadline:
                path = os.path.join(BUILD, "e2e-failures", f"{self.name}.png")
                os.makedirs(os.path.dirname(path), exist_ok=True)
                image.save(path)
                raise CaseFailure(f"timed out waiting for {what}; screenshot {path}")
            time.sleep(0.3)


# ---- pixel helpers ---------------------------------------------------------------------------
def count_color(image, color, box=None):
    region = image.crop(box) if box else image
    return sum(1 for p in region.getdata() if p == color)


def colors_in(image, box=None):
    region = image.crop(box) if box else image
    return {c for _, c in region.getcolors(1 << 20)}


def main():
    global BUILD
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=BUILD)
    parser.add_argument("-k", default="", help="run only cases whose name contains this")
    args = parser.parse_args()
    BUILD = os.path.abspath(args.build)
    _start_xvfb()
    failures = 0
    try:
        for function, options in _cases:
            name = function.__name__
            if args.k and args.k not in name:
                continue
            started = time.time()
            session = None
            try:
                session = Session(name, **options)
                function(session)
                print(f"PASS {name} ({time.time() - started:.1f} s)", flush=True)
            except Exception as error:  # a failing case never stops the others
                failures += 1
                print(f"FAIL {name}: {error}", flush=True)
                if session:
                    session.keep_program_output()
                if not isinstance(error, CaseFailure):
                    traceback.print_exc()
            finally:
                if session:
                    session.close()
    finally:
        _stop_xvfb()
    print(f"{failures} failed" if failures else "all passed")
    sys.exit(1 if failures else 0)
