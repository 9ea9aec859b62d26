"""Long use of the running program: tens of thousands of repaints with hover changes, DPI
changes, setup-form and widget cycles, driven by the stress helper (tests/e2e/stress.cpp).
Afterwards the program must paint exactly what it painted before and hold no more GDI objects
or memory than after the first rounds of each kind.

Wine answers GetGuiResources with 0, so the helper counts the program's GDI objects in its own
handle table; a leak of one object per round shows as hundreds or thousands of entries.
"""
from harness import case, check, main
from stress_support import (TODAY, VALID, WM_CLOSE, check_every_week, helper, settled_image,
                            unmanaged_windows)

ROUNDS = {"paint": 20000, "dpi": 500, "setup": 1000, "widget": 1000}
# Objects that come and go with the platform's own caches; a leak per round is far beyond it.
GDI_SLACK = 16
MEMORY_SLACK = 16 * 1024 * 1024


@case(faketime=TODAY)
def long_use_leaks_nothing_and_paints_the_same(s):
    unmanaged_windows(s)
    s.write_ini(VALID)
    s.start()
    state = s.wait_visible("calendar")
    before = settled_image(s)
    check_every_week(before, state)

    got = helper(s, "longuse", ROUNDS["paint"], ROUNDS["dpi"], ROUNDS["setup"],
                 ROUNDS["widget"], timeout=840)
    check(s.alive(), "the program ended during the long use")
    check(got["counter_works"] == 1, "the GDI object counter does not see objects come and go")
    check(got["timeouts"] == 0, f"{got['timeouts']} messages got no answer within 10 s")
    for phase in got["phases"]:
        name = phase["name"]
        print(f"{name}: {phase['done']} rounds in {phase['ms']} ms, GDI objects "
              f"{phase['gdi_warm']} -> {phase['gdi']}, memory {phase['memory_warm']} -> "
              f"{phase['memory']}", flush=True)
        check(phase["done"] == ROUNDS[name],
              f"{name}: the effect was seen in {phase['done']} of {ROUNDS[name]} rounds")
        check(phase["gdi"] - phase["gdi_warm"] <= GDI_SLACK,
              f"{name}: GDI objects grew from {phase['gdi_warm']} to {phase['gdi']}")
        check(phase["memory"] - phase["memory_warm"] <= MEMORY_SLACK,
              f"{name}: memory grew from {phase['memory_warm']} to {phase['memory']}")

    state = s.wait_visible("calendar")
    after = settled_image(s)
    check(after.size == before.size, f"client size {before.size} became {after.size}")
    check_every_week(after, state)
    differing = sum(1 for a, b in zip(before.getdata(), after.getdata()) if a != b)
    check(differing == 0, f"{differing} pixels differ from the picture before the long use")
    # A thousand commits rewrote the same date; nothing else was written.
    check(s.read_ini() == {"dia": "10", "mes": "3", "anio": "1990", "vida": "90"},
          f"settings after the long use: {s.read_ini()}")
    s.post("calendar", WM_CLOSE)
    check(s.wait_exit() == 0, "exit code")


if __name__ == "__main__":
    main()
