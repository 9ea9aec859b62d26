"""The desktop widget end to end: its bars for known lives, where it appears, dragging,
double-click, its menu, closing, and the daily refresh of both windows under a faked clock."""
import os
import time

from harness import case, check, main
from pixels import (ACCENT, BACKGROUND, BORDER, TEXT, TRACK, calendar_flow, count_near,
                    grid_geometry, scale, square_rect)

WM_CLOSE = 0x0010
WM_TIMECHANGE = 0x001E
WM_CONTEXTMENU = 0x007B
WM_POWERBROADCAST = 0x0218
PBT_APMSUSPEND = 4
PBT_APMRESUMEAUTOMATIC = 18
WS_EX_TOPMOST = 0x8


def life(day, month, year, years=90, extra=""):
    return (f"[quorvel]\r\ndia={day}\r\nmes={month}\r\nanio={year}\r\nvida={years}\r\n" + extra)


def fill_length(image, y, x0=14, width=272):
    """Amber pixels from the bar's left end along one line of its track."""
    n = 0
    while n < width and image.getpixel((x0 + n, y)) == ACCENT:
        n += 1
    return n


def check_bar(image, top, fill, label):
    """A bar's track spans rows top..top+5 and x 14..285; its first `fill` pixels are amber."""
    for y in (top, top + 5):
        got = fill_length(image, y)
        check(got == fill, f"{label} fill on row {y}: {got}, expected {fill}")
        rest = {image.getpixel((x, y)) for x in range(14 + fill, 286)}
        check(rest <= {TRACK}, f"{label} track on row {y} holds {rest}")
    check(image.getpixel((14, top - 1)) != TRACK and image.getpixel((14, top + 6)) != TRACK,
          f"{label} track is not six rows high")
    check(image.getpixel((286, top)) != TRACK, f"{label} track runs past x 285")


def default_place(state, dpi=96):
    work = state["workarea"]
    return [work[2] - scale(300, dpi) - scale(24, dpi), work[1] + scale(24, dpi)]


def close_widget(s):
    s.post("widget", WM_CLOSE)
    rc = s.wait_exit()
    check(rc == 0, f"exit code {rc}")


@case(faketime="2025-06-15 12:00:00")
def widget_shows_the_worked_example(s):
    # Born 15/6/1991, seen on 15/6/2025: 34 years, week box 1768 of 4680.
    s.write_ini(life(15, 6, 1991))
    s.start("/widget")
    state = s.wait_visible("widget")
    check(not state["calendar"]["visible"], "the calendar is shown with /widget")
    rect = state["widget"]["rect"]
    check(rect[:2] == default_place(state) and rect[2] - rect[0] == 300 and
          rect[3] - rect[1] == 214, f"widget rectangle {rect} (work area {state['workarea']})")
    check(state["widget"]["exstyle"] & 0x80, "widget is not a tool window")
    image = s.client_image("widget")
    check_bar(image, 122, 102, "VIDA")                    # 272 x 1768 / 4680 = 102.75
    check_bar(image, 156, 272 * 165 // 365, "ESTE AÑO")   # 15 June is day 166
    check(image.getpixel((0, 100)) == BORDER and image.getpixel((299, 100)) == BORDER,
          "no one-pixel frame")
    check(image.getpixel((0, 0)) == ACCENT and image.getpixel((299, 213)) == ACCENT,
          "no corner accents")
    hint = count_near(image, (154, 160, 166), (14, 188, 286, 202), 30)
    check(hint > 20, "no hint line")
    close_widget(s)


@case(faketime="2025-12-31 12:00:00")
def widget_bars_on_new_years_eve_and_in_the_first_week_of_life(s):
    s.write_ini(life(28, 12, 2025))
    s.start("/widget")
    s.wait_visible("widget")
    image = s.client_image("widget")
    check_bar(image, 122, 0, "VIDA in the first week of life")
    check_bar(image, 156, 272 * 364 // 365, "ESTE AÑO on 31 December")
    close_widget(s)


@case(faketime="2026-01-01 12:00:00")
def widget_year_bar_is_empty_on_new_years_day(s):
    s.write_ini(life(10, 3, 1990))
    s.start("/widget")
    s.wait_visible("widget")
    image = s.client_image("widget")
    check_bar(image, 156, 0, "ESTE AÑO on 1 January")
    check(fill_length(image, 122) > 0, "VIDA bar empty for a 35-year life")
    close_widget(s)


@case(faketime="2025-06-15 12:00:00")
def saved_places_are_accepted_or_replaced_by_the_default(s):
    s.write_ini(life(10, 3, 1990))
    s.start("/widget")
    state = s.wait_visible("widget")
    close_widget(s)
    work = state["workarea"]
    right, bottom = work[2] - scale(40, 96), work[3] - scale(40, 96)
    default = default_place(state)
    runs = [((-1, -1), default), ((-1, 300), default), ((0, 0), [0, 0]),
            ((right, 100), [right, 100]), ((right + 1, 100), default),
            ((-5, 100), default), ((100, bottom), [100, bottom]),
            ((100, bottom + 1), default), ((5000, 100), default)]
    for (x, y), expected in runs:
        s.write_ini(life(10, 3, 1990, extra=f"widget_x={x}\r\nwidget_y={y}\r\n"))
        s.start("/widget")
        got = s.wait_visible("widget")["widget"]["rect"][:2]
        check(got == expected, f"saved ({x}, {y}) placed at {got}, expected {expected}")
        close_widget(s)
        check(s.read_ini().get("widget_x") == str(x), "showing the widget rewrote widget_x")


@case(faketime="2025-06-15 12:00:00")
def drag_double_click_and_the_w_key_keep_the_place(s):
    s.write_ini(life(10, 3, 1990))
    s.start("/widget")
    state = s.wait_visible("widget")
    x0, y0 = state["widget"]["rect"][:2]
    s.move(150, 60, "widget")
    s.xdotool("mousedown", 1)
    for step in range(1, 11):
        s.xdotool("mousemove", x0 + 150 - 30 * step, y0 + 60 + 20 * step)
        time.sleep(0.05)
    s.xdotool("mouseup", 1)
    moved = s.wait_for(lambda st: st["widget"]["rect"][:2] == [x0 - 300, y0 + 200],
                       what="widget dragged")
    s.wait_for(lambda st: s.read_ini().get("widget_x") == str(x0 - 300), what="widget_x written")
    check(s.read_ini().get("widget_y") == str(y0 + 200), f"widget_y {s.read_ini()}")
    s.double_click(150, 100, "widget")
    state = s.wait_visible("calendar")
    s.wait_hidden("widget")
    s.key("w")
    state = s.wait_visible("widget")
    check(state["widget"]["rect"] == moved["widget"]["rect"], "the widget came back elsewhere")
    check(not state["calendar"]["visible"], "calendar still visible after W")
    close_widget(s)


@case(faketime="2025-06-15 12:00:00")
def place_is_kept_for_the_run_when_settings_cannot_be_written(s):
    # A plain file where the settings folder should be: nothing can be stored this run.
    os.makedirs(s.appdata(), exist_ok=True)
    open(os.path.join(s.appdata(), "VoskTarnelline"), "w").close()
    s.start()
    s.wait_visible("calendar")
    s.type_text("10")
    s.key("Tab")
    s.type_text("3")
    s.key("Tab")
    s.type_text("1990")
    s.key("Return")
    s.wait_for(lambda st: not any(c["visible"] for c in st["children"]), what="form closed")
    s.park_pointer()
    s.key("w")
    state = s.wait_visible("widget")
    x0, y0 = state["widget"]["rect"][:2]
    s.move(100, 60, "widget")
    s.xdotool("mousedown", 1)
    for step in range(1, 6):
        s.xdotool("mousemove", x0 + 100 - 40 * step, y0 + 60 + 30 * step)
        time.sleep(0.05)
    s.xdotool("mouseup", 1)
    s.wait_for(lambda st: st["widget"]["rect"][:2] == [x0 - 200, y0 + 150], what="dragged")
    s.double_click(100, 100, "widget")
    s.wait_visible("calendar")
    s.key("w")
    state = s.wait_visible("widget")
    check(state["widget"]["rect"][:2] == [x0 - 200, y0 + 150], "place lost without settings")
    check(os.path.isfile(os.path.join(s.appdata(), "VoskTarnelline")), "the blocking file changed")
    close_widget(s)


def open_menu_and_choose(s, keys):
    s.move(150, 100, "widget")
    s.post("widget", WM_CONTEXTMENU, 0, 0)
    time.sleep(1.0)
    for k in keys:
        s.xdotool("key", k)
        time.sleep(0.3)


@case(faketime="2025-06-15 12:00:00")
def menu_toggles_always_on_top_and_logon_then_exits(s):
    s.write_ini(life(10, 3, 1990, extra="encima=5\r\n"))
    s.start("/widget")
    state = s.wait_visible("widget")
    check(state["widget"]["exstyle"] & WS_EX_TOPMOST, "encima=5 did not make the widget topmost")
    open_menu_and_choose(s, ["Down", "Down", "Return"])
    s.wait_for(lambda st: s.read_ini().get("encima") == "0", what="encima written as 0")
    s.wait_for(lambda st: not st["widget"]["exstyle"] & WS_EX_TOPMOST, what="not topmost")
    open_menu_and_choose(s, ["Down", "Down", "Return"])
    s.wait_for(lambda st: s.read_ini().get("encima") == "1", what="encima written as 1")
    s.wait_for(lambda st: st["widget"]["exstyle"] & WS_EX_TOPMOST, what="topmost again")
    open_menu_and_choose(s, ["Down", "Down", "Down", "Return"])
    s.wait_for(lambda st: s.reg_value() is not None, what="Run value from the menu")
    check(s.reg_value().endswith('quorvel.exe" /widget'), f"Run value {s.reg_value()!r}")
    open_menu_and_choose(s, ["Escape"])
    time.sleep(0.5)
    check(s.alive() and s.reg_value() is not None and s.read_ini().get("encima") == "1",
          "dismissing the menu changed something")
    open_menu_and_choose(s, ["Down", "Return"])
    s.wait_visible("calendar")
    s.wait_hidden("widget")
    s.key("w")
    s.wait_visible("widget")
    open_menu_and_choose(s, ["Up", "Return"])
    rc = s.wait_exit()
    check(rc == 0, f"Salir ended with {rc}")


def grid_square(image, state, row, column, dpi=96):
    w, h = state["calendar"]["client"]
    flow = calendar_flow(h, dpi)
    m = scale(24, dpi)
    geo = grid_geometry(0, 90, m, (w - m) - m, flow["grid_top"], flow["available"], dpi)
    rect = square_rect(geo, row, column)
    return image.getpixel(((rect[0] + rect[2] - 1) // 2, (rect[1] + rect[3] - 1) // 2))


@case(faketime="2025-12-31 23:57:30", rate=10)
def both_windows_roll_over_at_midnight_without_input(s):
    # Born 1/1/1991: on 31 December 34 years and week 51, from 1 January 35 years and week 0.
    s.write_ini(life(1, 1, 1991))
    s.start()
    state = s.wait_visible("calendar")
    s.park_pointer()
    image = s.client_image()
    check(grid_square(image, state, 34, 51) == TEXT, "current week before midnight")
    check(grid_square(image, state, 35, 0) == TRACK, "next year's first week before midnight")
    s.wait_for(lambda st: st["now"] >= "2026-01-01 00:00:00", timeout=30, what="midnight")
    s.wait_image(lambda im: grid_square(im, state, 35, 0) == TEXT, timeout=20,
                 what="calendar moved to week 0 of year 35")
    check(grid_square(s.client_image(), state, 34, 51) == ACCENT, "last week not lived")
    s.post("calendar", WM_CLOSE)
    check(s.wait_exit() == 0, "exit")


@case(faketime="2025-12-31 23:58:00", rate=10)
def widget_rolls_over_to_the_new_year(s):
    s.write_ini(life(10, 3, 1990))
    s.start("/widget")
    s.wait_visible("widget")
    check(fill_length(s.client_image("widget"), 156) == 271, "year bar before midnight")
    s.wait_for(lambda st: st["now"] >= "2026-01-01 00:00:00", timeout=30, what="midnight")
    s.wait_image(lambda im: fill_length(im, 156) == 0, which="widget", timeout=20,
                 what="year bar emptied on 1 January")
    close_widget(s)


@case(faketime="2025-12-31 23:57:30", rate=10)
def a_date_of_tomorrow_typed_in_the_form_becomes_valid_at_midnight(s):
    s.start()
    s.wait_visible("calendar")
    s.type_text("1")
    s.key("Tab")
    s.type_text("1")
    s.key("Tab")
    s.type_text("2026")
    box = (24, 238, 544, 254)
    s.wait_image(lambda im: count_near(im, ACCENT, box, 30) > 10, what="'todavía no llegó'")
    s.wait_for(lambda st: st["now"] >= "2026-01-01 00:00:00", timeout=30, what="midnight")
    s.wait_image(lambda im: count_near(im, ACCENT, box, 30) == 0 and
                 count_near(im, (154, 160, 166), box, 30) > 10, timeout=20,
                 what="valid status after midnight")
    check(all(c["visible"] for c in s.info()["children"]), "the form closed by itself")
    check(s.ini_text() is None, "midnight wrote settings")
    s.post("calendar", WM_CLOSE)
    check(s.wait_exit() == 0, "exit")


@case(faketime="2025-12-31 23:59:40")
def resume_runs_the_day_check_at_once_and_suspend_does_nothing(s):
    s.write_ini(life(10, 3, 1990))
    s.start("/widget")
    s.wait_visible("widget")
    before = fill_length(s.client_image("widget"), 156)
    check(before == 271, f"year bar before midnight: {before}")
    # The day timers were started just now: their first tick is almost a minute away.
    s.wait_for(lambda st: st["now"] >= "2026-01-01 00:00:01", timeout=30, what="midnight")
    check(s.send("widget", WM_POWERBROADCAST, PBT_APMSUSPEND) == 1, "suspend not answered 1")
    time.sleep(1)
    check(fill_length(s.client_image("widget"), 156) == 271, "suspend recomputed")
    check(s.send("widget", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC) == 1, "resume not 1")
    s.wait_image(lambda im: fill_length(im, 156) == 0, which="widget", timeout=5,
                 what="resume ran the day check")
    close_widget(s)


@case(faketime="2025-12-31 23:59:40")
def a_clock_change_recomputes_the_calendar_at_once(s):
    s.write_ini(life(1, 1, 1991))
    s.start()
    state = s.wait_visible("calendar")
    s.park_pointer()
    check(grid_square(s.client_image(), state, 34, 51) == TEXT, "current week before midnight")
    s.wait_for(lambda st: st["now"] >= "2026-01-01 00:00:01", timeout=30, what="midnight")
    check(s.send("calendar", WM_POWERBROADCAST, PBT_APMSUSPEND) == 1, "calendar suspend")
    time.sleep(1)
    check(grid_square(s.client_image(), state, 34, 51) == TEXT, "suspend recomputed")
    check(s.send("calendar", WM_TIMECHANGE) == 0, "WM_TIMECHANGE result")
    s.wait_image(lambda im: grid_square(im, state, 35, 0) == TEXT, timeout=5,
                 what="clock change recomputed")
    s.post("calendar", WM_CLOSE)
    check(s.wait_exit() == 0, "exit")


if __name__ == "__main__":
    main()
