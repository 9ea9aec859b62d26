"""Shared by the long-use and message-fuzz tests: the stored life they start from, the stress
helper (tests/e2e/stress.cpp), the window-manager setting they need, and the check that every
square of the weeks grid is painted right."""
import json
import os
import time

import harness
from harness import check
from pixels import ACCENT, TEXT, TRACK, calendar_flow, grid_geometry, scale, square_rect

TODAY = "2025-06-15 12:00:00"
VALID = "[quorvel]\r\ndia=10\r\nmes=3\r\nanio=1990\r\nvida=90\r\n"
WEEKS_LIVED = 1833  # 10/3/1990 on 2025-06-15
WM_CLOSE = 0x0010


def unmanaged_windows(s):
    """Without a window manager Wine waits two seconds for every hidden captioned window to be
    withdrawn; unmanaged windows are hidden at once, which a thousand widget cycles need."""
    s.wine(["reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"],
           check_rc=True)


def helper(s, *args, timeout=600):
    exe = os.path.join(harness.BUILD, "tests", "quorvel_stress.exe")
    rc, text = s._run(["wine", exe] + [str(a) for a in args], timeout=timeout, check_rc=False)
    check(rc == 0, f"stress helper {args} exited with {rc}: {text}")
    return json.loads(text)


def centre(rect):
    return ((rect[0] + rect[2] - 1) // 2, (rect[1] + rect[3] - 1) // 2)


def check_every_week(image, state, years=90, lived=WEEKS_LIVED, dpi=96):
    """Every square of the weeks grid at its place, lived, current or ahead."""
    w, h = state["calendar"]["client"]
    flow = calendar_flow(h, dpi)
    m = scale(24, dpi)
    geo = grid_geometry(0, years, m, (w - m) - m, flow["grid_top"], flow["available"], dpi)
    wrong = []
    for index in range(years * 52):
        want = ACCENT if index < lived else TEXT if index == lived else TRACK
        got = image.getpixel(centre(square_rect(geo, index // 52, index % 52)))
        if got != want:
            wrong.append((index, got))
    check(not wrong, f"{len(wrong)} week squares wrong, first {wrong[:5]}")


def settled_image(s):
    s.park_pointer()
    time.sleep(0.5)
    return s.client_image()
