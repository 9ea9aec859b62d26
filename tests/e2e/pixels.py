"""Reading the program's pictures: palette colours, button rows and grid squares."""
import math

BACKGROUND = (5, 6, 8)
BORDER = (58, 65, 74)
ACCENT = (255, 196, 0)
TEXT = (242, 242, 240)
MUTED = (154, 160, 166)
TRACK = (23, 27, 32)


def scale(v, dpi):
    """MulDiv(v, dpi, 96): the nearest integer, halves away from zero."""
    q, r = divmod(abs(v) * dpi, 96)
    q += 1 if 2 * r >= 96 else 0
    return q if v >= 0 else -q


def near(p, color, tolerance=48):
    return all(abs(a - b) <= tolerance for a, b in zip(p, color))


def count_near(image, color, box, tolerance=48):
    region = image.crop(box)
    return sum(1 for p in region.getdata() if near(p, color, tolerance))


def buttons_on_row(image, top, dpi, x_from=0, x_to=None):
    """The flat buttons whose top edge is at `top`: [(left, right, highlighted)].

    Scans the line Scale(4) below the top, above the label and below the corner mark's arm
    thickness: a highlighted button is one amber run, a normal one starts with the amber left
    arm of its corner mark and ends with its one-pixel border."""
    y = top + scale(4, dpi)
    width = image.size[0] if x_to is None else x_to
    thickness = scale(2, dpi)
    found, x = [], x_from
    px = image.load()
    while x < width:
        if px[x, y] == ACCENT:
            run = 0
            while x + run < width and px[x + run, y] == ACCENT:
                run += 1
            if run > thickness:
                found.append((x, x + run, True))
                x += run
                continue
            end = x + run
            while end < width and px[end, y] != BORDER:
                end += 1
            if end < width:
                found.append((x, end + 1, False))
            x = end + 1
            continue
        x += 1
    return found


# ---- the life grid, computed independently of the program --------------------------------
VIEWS = {0: (52, 28, 0.78), 1: (36, 28, 0.78), 2: (10, 28, 0.9), 3: (31, 34, 0.78)}


def grid_rows(view, years):
    return {0: years, 1: (years * 12 + 35) // 36, 2: (years + 9) // 10, 3: 12}[view]


def grid_geometry(view, years, content_left, content_width, grid_top, available, dpi):
    columns, label, factor = VIEWS[view]
    rows = grid_rows(view, years)
    label_width = scale(label, dpi)
    g = content_width - label_width
    pitch = g / columns
    if pitch * rows > available:
        pitch = available / rows
    if pitch >= 3.0:
        pitch = float(math.trunc(pitch))
    if pitch < 2.0:
        pitch = 2.0
    grid_left = content_left + int((g - math.trunc(columns * pitch)) / 2)
    cell = max(1, math.trunc(factor * pitch))
    return dict(columns=columns, rows=rows, label=label_width, pitch=pitch, cell=cell,
                left=grid_left, top=grid_top)


def square_rect(geo, row, column):
    x = geo["left"] + geo["label"] + math.trunc(column * geo["pitch"])
    y = geo["top"] + math.trunc(row * geo["pitch"])
    return (x, y, x + geo["cell"], y + geo["cell"])


def calendar_flow(client_height, dpi, wrapped=False):
    top = scale(108, dpi) + (scale(40, dpi) if wrapped else 0)
    body = top + scale(52, dpi)
    grid_top = body + scale(66, dpi) + scale(28, dpi)
    return dict(row=top, body=body, sentence=body + scale(66, dpi), grid_top=grid_top,
                available=client_height - grid_top - scale(36, dpi),
                bottom=client_height - scale(26, dpi))
