"""The calendar window end to end: first start and the setup form, stored settings, tabs and
keys, hover, the log-on check button, a second instance, DPI and the minimum size."""
import time

from harness import (CALENDAR_TITLE, RUN_VALUE, case, check, main, windows_path)
from pixels import (ACCENT, BACKGROUND, BORDER, MUTED, TEXT, TRACK, buttons_on_row,
                    calendar_flow, count_near, grid_geometry, near, scale, square_rect)

TODAY = "2025-06-15 12:00:00"
VALID = "[quorvel]\r\ndia=10\r\nmes=3\r\nanio=1990\r\nvida=90\r\n"
WM_CLOSE = 0x0010


def status_box(dpi, width=520):
    y = scale(238, dpi)
    return (scale(24, dpi), y, scale(24, dpi) + scale(width, dpi), y + scale(16, dpi))


def status_colour(image, dpi):
    box = status_box(dpi)
    amber, grey = count_near(image, ACCENT, box, 30), count_near(image, MUTED, box, 30)
    if amber > 10 and grey < 5:
        return "amber"
    if grey > 10 and amber < 5:
        return "muted"
    return f"unclear (amber {amber}, grey {grey})"


def tab_row(image, dpi):
    return buttons_on_row(image, scale(108, dpi), dpi)


def edits(state):
    return {c["id"]: c for c in state["children"]}


def close_and_wait(s):
    s.post("calendar", WM_CLOSE)
    rc = s.wait_exit()
    check(rc == 0, f"exit code {rc}")


def pixel_at_centre(image, rect):
    return image.getpixel(((rect[0] + rect[2] - 1) // 2, (rect[1] + rect[3] - 1) // 2))


def check_weeks_grid(image, state, dpi, lived, years=90):
    w, h = state["calendar"]["client"]
    flow = calendar_flow(h, dpi)
    m = scale(24, dpi)
    geo = grid_geometry(0, years, m, (w - m) - m, flow["grid_top"], flow["available"], dpi)
    expected = {lived - 1: ACCENT, lived: TEXT, lived + 1: TRACK, 0: ACCENT,
                years * 52 - 1: TRACK}
    for index, colour in expected.items():
        rect = square_rect(geo, index // 52, index % 52)
        got = pixel_at_centre(image, rect)
        check(got == colour, f"week {index} at {rect} is {got}, expected {colour}")


@case(faketime=TODAY)
def first_start_setup_form_then_typed_date_is_saved(s):
    s.start()
    state = s.wait_for(lambda st: st["calendar"] and st["calendar"]["visible"] and
                       any(c["visible"] for c in st["children"]), what="setup form")
    check(state["calendar"]["title"] == CALENDAR_TITLE, state["calendar"]["title"])
    fields = edits(state)
    check(sorted(fields) == [101, 102, 103, 104], f"fields {sorted(fields)}")
    check([fields[i]["text"] for i in (101, 102, 103, 104)] == ["", "", "", "90"],
          f"field texts {[fields[i]['text'] for i in (101, 102, 103, 104)]}")
    check(all(f["visible"] for f in fields.values()), "setup fields hidden")
    check(state["focus"] == 101, f"focus on {state['focus']}, not the day field")
    image = s.wait_image(lambda im: status_colour(im, 96) == "amber", what="amber status")
    row = tab_row(image, 96)
    check(len(row) == 6, f"buttons on the tab row: {row}")
    check([b[2] for b in row] == [False, False, False, False, True, False],
          f"in the form only AJUSTES is selected: {row}")

    s.type_text("15")
    s.key("Tab")
    s.type_text("6")
    s.key("Tab")
    s.type_text("1990")
    s.wait_image(lambda im: status_colour(im, 96) == "muted", what="valid status line")
    check(s.ini_text() is None, "typing alone wrote the settings file")
    s.key("Return")
    state = s.wait_for(lambda st: not any(c["visible"] for c in st["children"]),
                       what="fields hidden after Enter")
    check(state["focus"] == 0, f"focus after commit: {state['focus']}")
    text = s.ini_text()
    order = [text.find(k + "=") for k in ("dia", "mes", "anio", "vida")]
    check(all(o >= 0 for o in order) and order == sorted(order), f"key order in {text!r}")
    check(s.read_ini() == {"dia": "15", "mes": "6", "anio": "1990", "vida": "90"},
          f"settings {s.read_ini()}")
    s.park_pointer()
    image = s.wait_image(lambda im: near(im.getpixel((scale(24, 96) + 3, 112)), ACCENT, 0),
                         what="weeks tab selected")
    # 15/6/1990 on 2025-06-15: 35 years and 0 weeks, week box 1820 is the current one.
    check_weeks_grid(image, state, 96, 1820)
    close_and_wait(s)


@case(faketime=TODAY)
def impossible_date_keeps_the_form_open_and_writes_nothing(s):
    s.start()
    s.wait_visible("calendar")
    s.type_text("31")
    s.key("Tab")
    s.type_text("2")
    s.key("Tab")
    s.type_text("1990")
    s.wait_image(lambda im: status_colour(im, 96) == "amber", what="amber status")
    listo = (scale(370, 96) + 10, scale(181, 96) + 16)
    s.click(*listo)
    s.key("Return")
    s.key("Escape")
    time.sleep(1)
    state = s.info()
    check(all(c["visible"] for c in state["children"]), "form closed on an impossible date")
    check([edits(state)[i]["text"] for i in (101, 102, 103)] == ["31", "2", "1990"],
          "fields changed")
    check(s.ini_text() is None or "dia" not in s.read_ini(), f"wrote {s.ini_text()!r}")
    # Letters never reach a field.
    s.type_text("ab")
    check(edits(s.info())[103]["text"] == "1990", "a field took letters")
    close_and_wait(s)


@case(faketime=TODAY)
def stored_settings_choose_the_first_screen(s):
    runs = [
        # (file, args, calendar visible, widget visible, form open, selected tab)
        (VALID + "vista=2\r\n", [], True, False, False, 2),
        (VALID + "vista=7\r\n", [], True, False, False, 0),
        (VALID + "vista=-1\r\n", [], True, False, False, 0),
        (VALID + "vista=4\r\n", ["/WIDGET"], True, False, False, 0),
        (VALID, ["-widget"], True, False, False, 0),
        (VALID, ["x/widgety"], False, True, False, None),
        ("[quorvel]\r\ndia=10\r\nmes=3\r\n", ["/widget"], True, False, True, None),
        ("[quorvel]\r\ndia=10\r\nmes=3\r\nanio=1800\r\n", ["/widget"], True, False, False, 0),
    ]
    for content, args, calendar, widget, form, tab in runs:
        s.write_ini(content)
        s.start(*args)
        which = "calendar" if calendar else "widget"
        state = s.wait_visible(which)
        time.sleep(0.5)
        state = s.info()
        label = f"{content!r} {args}"
        check(bool(state["calendar"]["visible"]) == calendar, f"calendar visibility for {label}")
        check(bool(state["widget"]["visible"]) == widget, f"widget visibility for {label}")
        check(any(c["visible"] for c in state["children"]) == form, f"form for {label}")
        if tab is not None:
            s.park_pointer()
            image = s.client_image()
            row = tab_row(image, 96)
            check([b[2] for b in row[:4]] == [i == tab for i in range(4)],
                  f"selected tab for {label}: {row}")
        if calendar and not form and "1800" in content:
            body = scale(160, 96)
            amber = count_near(s.client_image(), ACCENT, (24, body, 600, body + 16), 30)
            check(amber > 10, "the stored invalid year shows no amber message")
        s.post("calendar", WM_CLOSE)
        check(s.wait_exit() == 0, f"exit code for {label}")


@case(faketime=TODAY)
def tabs_and_keys_switch_and_save_the_view(s):
    s.write_ini(VALID + "vista=1\r\n")
    s.start()
    s.wait_visible("calendar")
    s.park_pointer()
    image = s.client_image()
    row = tab_row(image, 96)
    # Clicking the selected tab writes "vista" again: change the file behind the program's back.
    s.write_ini(VALID + "vista=9\r\n")
    s.click((row[1][0] + row[1][1]) // 2, scale(108, 96) + 16)
    s.wait_for(lambda st: s.read_ini().get("vista") == "1", what="vista rewritten")
    for key, view in (("3", "2"), ("4", "3"), ("1", "0"), ("2", "1")):
        s.key(key)
        s.wait_for(lambda st: s.read_ini().get("vista") == view, what=f"key {key}")
    s.park_pointer()
    image = s.client_image()
    check([b[2] for b in tab_row(image, 96)[:4]] == [False, True, False, False],
          "months tab not selected after '2'")
    # 'A' opens the form; digits then go to the day field and leave the view alone.
    s.key("a")
    s.wait_for(lambda st: all(c["visible"] for c in st["children"]), what="form after 'A'")
    s.key("3")
    time.sleep(0.5)
    check(s.read_ini().get("vista") == "1", "a digit in the form changed the view")
    check(all(c["visible"] for c in s.info()["children"]), "a digit closed the form")
    close_and_wait(s)


@case(faketime=TODAY)
def hover_lights_a_button_until_the_pointer_leaves(s):
    s.write_ini(VALID)
    s.start()
    s.wait_visible("calendar")
    s.park_pointer()
    top = scale(108, 96)
    row = tab_row(s.client_image(), 96)
    months = row[1]
    check(not months[2], "months tab selected before hover")
    # The cursor follows the hover index left by the previous move, so each spot gets two moves.
    # Cursor handles differ between processes: compare the program's own cursors.
    s.move(months[0] + 20, top + 60)
    s.move(months[0] + 21, top + 60)
    time.sleep(0.3)
    arrow = s.probe("cursor")["handle"]
    s.move(months[0] + 20, top + 20)
    s.wait_image(lambda im: tab_row(im, 96)[1][2], what="hovered tab lit")
    s.move(months[0] + 21, top + 20)
    s.wait_for(lambda st: s.probe("cursor")["handle"] != arrow, timeout=5,
               what="another cursor over the tab")
    s.move(months[0] + 20, top + 60)
    s.wait_image(lambda im: not tab_row(im, 96)[1][2], what="tab dark again")
    s.move(months[0] + 21, top + 60)
    s.wait_for(lambda st: s.probe("cursor")["handle"] == arrow, timeout=5,
               what="the arrow back off the tab")
    s.move(row[4][0] + 5, top + 5)
    s.wait_image(lambda im: tab_row(im, 96)[4][2], what="AJUSTES lit")
    s.park_pointer()
    s.wait_image(lambda im: not tab_row(im, 96)[4][2], what="AJUSTES dark after leaving")
    check(s.read_ini().get("vista") is None, "hovering wrote the view")
    close_and_wait(s)


@case(faketime=TODAY)
def check_button_adds_and_removes_the_logon_entry(s):
    s.start()
    s.wait_visible("calendar")
    check(s.reg_value() is None, "a Run value before any click")
    y3 = scale(238, 96) + scale(40, 96) + scale(34, 96)
    s.click(scale(24, 96) + 30, y3 + 16)
    s.wait_for(lambda st: s.reg_value() is not None, what="Run value written")
    value = s.reg_value()
    check(value.startswith('"') and value.endswith('quorvel.exe" /widget'), f"Run value {value!r}")
    s.click(scale(24, 96) + 30, y3 + 16)
    s.wait_for(lambda st: s.reg_value() is None, what="Run value removed")
    # A value of another type left by an older copy counts as on; the toggle deletes it.
    s.reg_add("1", kind="REG_DWORD")
    s.click(scale(24, 96) + 30, y3 + 16)
    s.wait_for(lambda st: s.reg_value() is None, what="foreign value removed")
    close_and_wait(s)


@case(faketime=TODAY)
def second_start_brings_the_first_calendar_forward(s):
    s.write_ini(VALID)
    first = s.start("/widget")
    s.wait_visible("widget")
    check(not s.info()["calendar"]["visible"], "calendar shown with /widget")
    second_rc = s.run_to_exit(timeout=60)
    check(second_rc == 0, f"second instance exit code {second_rc}")
    s.process = first
    state = s.wait_visible("calendar")
    check(state["widget"]["visible"], "the first instance's widget was hidden")
    s.post("calendar", WM_CLOSE)
    check(first.wait(30) == 0, "first instance exit code")


@case(faketime=TODAY)
def eight_starts_at_once_leave_one_instance(s):
    s.write_ini(VALID)
    got = s.probe("race", windows_path(s.exe), 8)
    codes = got["exit_codes"]
    check(codes.count(259) == 1 and codes.count(0) == 7, f"exit codes {codes}")
    check(got["calendar_windows"] == 1, f"{got['calendar_windows']} calendar windows")
    # The one left is a whole program: it shows its grid and ends with the window.
    check(s.info()["calendar"]["visible"], "the remaining instance shows no calendar")
    s.post("calendar", WM_CLOSE)
    s.wait_for(lambda st: st["calendar"] is None, what="the remaining instance ended")


@case(faketime=TODAY, dpi=120)
def high_dpi_layout_and_minimum_size(s):
    s.write_ini(VALID)
    s.start()
    state = s.wait_visible("calendar")
    check(state["screen_dpi"] == 120, f"screen dpi {state['screen_dpi']}")
    s.park_pointer()
    image = s.client_image(save_as=None)
    row = buttons_on_row(image, 135, 120)
    check(len(row) == 6 and row[0][0] == 30 and row[0][2], f"tab row at 120 dpi: {row}")
    check(row[5][1] == state["calendar"]["client"][0] - 30, f"MODO WIDGET ends at R: {row}")
    check_weeks_grid(image, state, 120, 1833)
    check(s.probe("mintrack")["min_track"] == [800, 700], "minimum track size at 120 dpi")
    small = s.probe("setpos", "calendar", 0, 0, 100, 100)
    width, height = small["rect"][2] - small["rect"][0], small["rect"][3] - small["rect"][1]
    check(width >= 800 and height >= 700, f"window shrank to {width}x{height}")
    # The platform moves the window to a 144-dpi monitor.
    s.probe("dpichanged", 144, 10, 10, 10 + 1350, 10 + 1040)
    state = s.wait_for(lambda st: st["calendar"]["rect"] == [10, 10, 1360, 1050],
                       what="suggested rectangle applied")
    check(s.probe("mintrack")["min_track"] == [960, 840], "minimum track size after the change")
    s.park_pointer()
    image = s.wait_image(lambda im: len(buttons_on_row(im, 162, 144)) == 6,
                         what="tab row at 144 dpi")
    check_weeks_grid(image, state, 144, 1833)
    # Another process may send any DPI; one no monitor has changes nothing.
    for dpi in (65535, 0):
        started = time.monotonic()
        s.probe("dpichanged", dpi, 0, 0, 300, 200)
        check(time.monotonic() - started < 5, f"DPI {dpi} took {time.monotonic() - started:.0f} s")
        check(s.info()["calendar"]["rect"] == [10, 10, 1360, 1050], f"window moved for DPI {dpi}")
        check(s.probe("mintrack")["min_track"] == [960, 840], f"minimum track after DPI {dpi}")
    check_weeks_grid(s.client_image(save_as=None), state, 144, 1833)
    close_and_wait(s)


if __name__ == "__main__":
    main()
