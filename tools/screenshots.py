"""Takes the README's pictures from the real program under Wine: the setup form, the four
views and the widget beside the calendar window, into docs/screenshots/.
Run with tools/screenshots.sh (it builds first and sets up Wine)."""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402
from harness import Session  # noqa: E402
from PIL import Image  # noqa: E402

OUT = os.path.join(harness.ROOT, "docs", "screenshots")
TODAY = "2026-12-10 12:00:00"


def main():
    harness.BUILD = os.path.join(harness.ROOT, "build")
    harness._start_xvfb()
    os.makedirs(OUT, exist_ok=True)
    s = Session("screenshots", faketime=TODAY)
    try:
        s.start()
        s.wait_for(lambda st: st["calendar"] and any(c["visible"] for c in st["children"]),
                   what="setup form")
        s.type_text("14")
        s.key("Tab")
        s.type_text("5")
        s.key("Tab")
        s.type_text("1991")
        time.sleep(0.5)
        s.park_pointer()
        time.sleep(0.5)
        s.client_image(save_as=os.path.join(OUT, "setup.png"))
        s.key("Return")
        s.wait_for(lambda st: not any(c["visible"] for c in st["children"]), what="form closed")
        for key, name in (("1", "weeks"), ("2", "months"), ("3", "years"), ("4", "this-year")):
            s.key(key)
            time.sleep(0.8)
            s.park_pointer()
            time.sleep(0.5)
            s.client_image(save_as=os.path.join(OUT, f"{name}.png"))
        s.key("w")
        s.wait_visible("widget")
        time.sleep(0.8)
        widget = s.client_image("widget")
        gap = 24
        calendar = Image.open(os.path.join(OUT, "weeks.png"))
        both = Image.new("RGB", (calendar.width + gap + widget.width, calendar.height),
                         (40, 44, 52))
        both.paste(calendar, (0, 0))
        both.paste(widget, (calendar.width + gap, 0))
        both.save(os.path.join(OUT, "widget.png"))
    finally:
        s.close()
        harness._stop_xvfb()
    print("pictures in", OUT)


if __name__ == "__main__":
    main()
