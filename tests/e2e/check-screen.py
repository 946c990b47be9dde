#!/usr/bin/env python3
"""Looks at screen captures of the running battle the way a person would.

Each capture is a raw 1280 x 1024 RGB file (8 bits a channel, as `convert ... rgb:-` writes it)
taken from a 16-bit X server. Every colour is first reduced back to the 5-6-5 bits the server
really stores, so the checks compare the colours the program asked for with no rounding doubt.

  check-screen.py screen FIRST SECOND   hills, texts, bases and both armies; the countdown must
                                        have moved on between the two captures
  check-screen.py shots CAPTURE...      yellow shot streaks and units of both teams in their
                                        bright fighting colours, over all the captures
  check-screen.py scaled CAPTURE WIDTH HEIGHT TREE
                                        a screen smaller than the picture: every window of the
                                        program (TREE, from `xwininfo -root -tree`) inside the
                                        screen, a 5:4 picture as large as the screen allows, and
                                        in it, scaled down, the hills, both bases in their pure
                                        colours and the two texts (CAPTURE is WIDTH x HEIGHT RGB,
                                        from a server of any depth)

  check-screen.py terrain CAPTURE CLIP [OTHER-CLIP]
                                        the terrain at every cell's centre, where nothing is drawn
                                        over it, is that of CLIP, the first picture of a clip (a
                                        640 x 512 RGB file, half size) of the seed expected; and
                                        clearly not that of OTHER-CLIP, a clip of another seed
  check-screen.py gameover CAPTURE TEAM  "Game Over, the TEAM Team has been eliminated!" at y 512
  check-screen.py panel CAPTURE LINE...  the results panel under it: a black box with a grey edge
                                        and the given lines of text in white
  check-screen.py speed CAPTURE TEXT LINE...
                                        TEXT ("Speed 8x") under the countdown, its characters drawn
                                        as the results panel of the given LINEs draws them
  check-screen.py paused CAPTURE        "Paused" centred above the middle of the screen
  check-screen.py same CAPTURE PICTURE [TOP BOTTOM]
                                        every pixel is that of PICTURE, a frame as battle-reference
                                        writes it (16-bit pixels, 5-6-5, little end first); with
                                        TOP and BOTTOM, every pixel outside those rows, and within
                                        them a thousand pixels or more differ (something shows there)

Prints one line per check ("ok" or "FAILED") and exits 1 when a check failed.
"""

import sys
from collections import Counter

WIDTH, HEIGHT = 1280, 1024


def made(r, g, b):
    """The 5-6-5 value a 16-bit screen stores for a colour the program asks for (the top bits)."""
    return (r >> 3, g >> 2, b >> 3)


def stored(r, g, b):
    """The 5-6-5 value behind a captured 8-bit colour (the capture widens each field to 8 bits)."""
    return (round(r * 31 / 255), round(g * 63 / 255), round(b * 31 / 255))


BLACK = made(0, 0, 0)
WHITE = made(255, 255, 255)
YELLOW = made(255, 255, 0)
PURE_RED = made(255, 0, 0)
PURE_BLUE = made(0, 0, 255)
# Soldiers walk in the dim team colour and turn bright while they fight.
DIM_RED, BRIGHT_RED = made(127, 0, 0), made(255, 64, 64)
DIM_BLUE, BRIGHT_BLUE = made(0, 0, 127), made(64, 64, 255)
# Terrain of height h is the grey (16h, 16h, 16h).
HILL_GREYS = {made(16 * h, 16 * h, 16 * h): h for h in range(1, 16)}


def is_reddish(c):
    r, g, b = c
    return r >= 14 and g <= 20 and b <= 10


def is_bluish(c):
    r, g, b = c
    return b >= 14 and g <= 20 and r <= 10


def is_grey(c):
    r, g, b = c
    return 0 < r < 31 and r == b and abs(g - 2 * r) <= 1


class Capture:
    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        if len(data) != WIDTH * HEIGHT * 3:
            raise SystemExit(f"{path}: expected a {WIDTH}x{HEIGHT} RGB capture, got {len(data)} bytes")
        self.path = path
        self.data = data
        self.quantise = {}
        self._counts = None

    @property
    def counts(self):
        """How many pixels of each colour (counted at the first look: a test that polls the screen
        and looks at a few rows need not wait for it)."""
        if self._counts is None:
            raw = Counter(self.data[i:i + 3] for i in range(0, len(self.data), 3))
            self._counts = Counter()
            for key, n in raw.items():
                c = self.quantise.setdefault(key, stored(*key))
                self._counts[c] += n
        return self._counts

    def at(self, x, y):
        i = (y * WIDTH + x) * 3
        key = self.data[i:i + 3]
        c = self.quantise.get(key)
        if c is None:
            c = self.quantise[key] = stored(*key)
        return c

    def positions_of(self, colour):
        """Every (x, y) whose colour is `colour` (meant for rare colours)."""
        found = []
        self.counts  # from here on every colour of the capture has its stored value
        for key, c in self.quantise.items():
            if c != colour:
                continue
            start = 0
            while True:
                i = self.data.find(key, start)
                if i < 0:
                    break
                if i % 3 == 0:
                    found.append(((i // 3) % WIDTH, (i // 3) // WIDTH))
                    start = i + 3
                else:
                    start = i + 1
        return found


failures = []


def report(ok, what, detail):
    print(f"  {'ok    ' if ok else 'FAILED'} {what}: {detail}")
    if not ok:
        failures.append(what)


def check_hills(cap):
    per_level = {h: cap.counts[c] for c, h in HILL_GREYS.items()}
    total = sum(per_level.values())
    levels = sorted(h for h, n in per_level.items() if n >= 256)  # at least one cell's worth
    off_level = sum(n for c, n in cap.counts.items() if is_grey(c) and c not in HILL_GREYS)
    # 20 to 34 hills, each a diamond of cells falling one level per cell: even a poor field has
    # well over a hundred grey cells on several levels.
    report(total >= 20000 and len(levels) >= 8,
           "hills in greys of 16 steps",
           f"{total} pixels, heights with at least a cell of pixels: {levels}")
    report(off_level < 64, "no greys between the 16 steps", f"{off_level} pixels")


def glyph_cells(cap, left, top, count):
    """White-pixel count of each 8 x 8 character cell of a text line, and the ink's top row."""
    cells, top_row, others = [], None, 0
    for i in range(count):
        n = 0
        for y in range(top, top + 8):
            for x in range(left + 8 * i, left + 8 * i + 8):
                c = cap.at(x, y)
                if c == WHITE:
                    n += 1
                    top_row = y if top_row is None else min(top_row, y)
                elif c != BLACK:
                    others += 1
        cells.append(n)
    return cells, top_row, others


def check_text_line(cap, what, text, left, top):
    """A line of the 8 x 8 default font: ink in every cell but the spaces, white on black."""
    cells, top_row, others = glyph_cells(cap, left, top, len(text))
    wrong = [i for i, ch in enumerate(text) if (cells[i] > 0) != (ch != " ")]
    report(not wrong and top_row in (top, top + 1),
           f"{what} at x {left}..{left + 8 * len(text) - 1}, y {top}",
           f"ink top row {top_row}, character cells inked where they should not be or blank: {wrong or 'none'}")
    report(others == 0, f"{what} on an opaque black box", f"{others} pixels neither white nor black")
    return cells


def check_exit_hint(cap):
    text = "Push Esc To Exit"
    left = 640 - 8 * len(text) // 2
    check_text_line(cap, '"Push Esc To Exit" (centred on x 640)', text, left, 992)
    ink = [x for y in range(992, 1000) for x in range(left, left + 128) if cap.at(x, y) == WHITE]
    centre = (min(ink) + max(ink)) / 2 if ink else None
    report(centre is not None and abs(centre - 640) <= 4, '"Push Esc To Exit" ink centre', f"x {centre}")


def countdown_cells(cap):
    """The pixels of each of the 22 character cells of "Reinforcements in NNNN"."""
    return [[cap.at(x, y) for y in range(32, 40) for x in range(640 + 8 * i, 648 + 8 * i)] for i in range(22)]


def check_countdown(first, second):
    # A few seconds in, the number has four digits (3000 frames minus the frames so far); which
    # digits they are is random timing, so only their ink is checked.
    text = "Reinforcements in 0000"
    check_text_line(first, '"Reinforcements in NNNN" (left edge at x 640)', text, 640, 32)
    a, b = countdown_cells(first), countdown_cells(second)
    words_same = a[:18] == b[:18]
    digits_moved = a[18:] != b[18:]
    report(words_same and digits_moved, "countdown runs",
           f"'Reinforcements in ' unchanged: {words_same}, number changed between captures: {digits_moved}")


def check_base(cap, name, colour, row):
    # A house around the centre (648, py) of cell (40, row): a box from x 643 to 653 below the
    # centre under a roof whose apex is 5 pixels above it. Shots may cross it, so a clear majority
    # is enough.
    py = 16 * row + 8
    box = [(x, y) for x in range(643, 654) for y in range(py, py + 6)]
    roof = [(648, py - 4), (647, py - 2), (649, py - 2), (645, py - 1), (651, py - 1)]
    n_box = sum(cap.at(x, y) == colour for x, y in box)
    n_roof = sum(cap.at(x, y) == colour for x, y in roof)
    above = cap.at(648, py - 7)
    report(n_box >= 0.8 * len(box) and n_roof >= 3 and above != colour,
           f"{name} base at cell (40, {row})",
           f"{n_box} of {len(box)} box pixels and {n_roof} of {len(roof)} roof pixels in its colour")


def check_armies(cap):
    red = sum(n for c, n in cap.counts.items() if is_reddish(c))
    blue = sum(n for c, n in cap.counts.items() if is_bluish(c))
    # Default armies: 250 soldiers (triangles of 1..5 pixels' half-size) and 50 tank boxes a side.
    report(red >= 1000 and blue >= 1000, "both armies on the field",
           f"{red} reddish and {blue} bluish pixels")
    dim_red, dim_blue = cap.counts[DIM_RED], cap.counts[DIM_BLUE]
    report(dim_red >= 200 and dim_blue >= 200, "advancing units in the dim team colours",
           f"{dim_red} pixels of (127, 0, 0), {dim_blue} of (0, 0, 127)")


def streaks(cap):
    """Pure-yellow blobs shaped as lines (a shot), not as filled boxes (a spark or explosion)."""
    pixels = set(cap.positions_of(YELLOW))
    found = []
    while pixels:
        stack = [pixels.pop()]
        blob = []
        while stack:
            x, y = stack.pop()
            blob.append((x, y))
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    p = (x + dx, y + dy)
                    if p in pixels:
                        pixels.remove(p)
                        stack.append(p)
        xs = [p[0] for p in blob]
        ys = [p[1] for p in blob]
        length = max(max(xs) - min(xs), max(ys) - min(ys)) + 1
        if length >= 3 and len(blob) <= length + 2:
            found.append(blob)
    return found


# ---- a picture scaled into a smaller screen ----

SOURCE_WIDTH, SOURCE_HEIGHT = 1280, 1024


def windows_of(tree_path):
    """(x, y, width, height) on the screen of every window below the root in an xwininfo tree."""
    import re
    shape = re.compile(r"\s(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+?(-?\d+)\+?(-?\d+)\s*$")
    found = []
    with open(tree_path) as f:
        for line in f:
            m = shape.search(line)
            if m and line.startswith("     "):  # the root's own line is not indented this far
                w, h, x, y = (int(v) for v in m.groups())
                found.append((x, y, w, h))
    return found


class RawCapture:
    def __init__(self, path, width, height):
        with open(path, "rb") as f:
            self.data = f.read()
        if len(self.data) != width * height * 3:
            raise SystemExit(f"{path}: expected a {width}x{height} RGB capture, got {len(self.data)} bytes")
        self.width = width

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


def is_pure(c, channel):
    """Full on in one channel, nothing in the others, at any server depth."""
    return all((v >= 240) if i == channel else (v == 0) for i, v in enumerate(c))


def check_scaled(capture_path, width, height, tree_path):
    windows = windows_of(tree_path)
    outside = [w for w in windows if w[0] < 0 or w[1] < 0 or w[0] + w[2] > width or w[1] + w[3] > height]
    report(windows and not outside, f"every window inside the {width}x{height} screen",
           f"{len(windows)} windows, outside: {outside or 'none'}")

    # The picture: a 5:4 window as wide or as tall as the screen.
    pictures = [w for w in windows if abs(4 * w[2] - 5 * w[3]) <= 5 and (w[2] == width or w[3] == height)]
    report(bool(pictures), "a 5:4 picture filling the screen's width or height",
           f"{pictures[0][2]}x{pictures[0][3]} at ({pictures[0][0]}, {pictures[0][1]})" if pictures else
           f"none among {windows}")
    if not pictures:
        return
    px, py, pw, ph = max(pictures, key=lambda w: w[2] * w[3])
    px, py = max(px, 0), max(py, 0)
    cap = RawCapture(capture_path, width, height)

    def box(x0, y0, x1, y1, margin=0):
        """The screen pixels showing the picture's pixels x0..x1-1, y0..y1-1, less a margin."""
        sx0, sx1 = px + x0 * pw // SOURCE_WIDTH + margin, px + x1 * pw // SOURCE_WIDTH - margin
        sy0, sy1 = py + y0 * ph // SOURCE_HEIGHT + margin, py + y1 * ph // SOURCE_HEIGHT - margin
        return [(x, y) for y in range(sy0, sy1) for x in range(sx0, sx1)]

    greys = sum(1 for y in range(py, py + ph, 2) for x in range(px, px + pw, 2)
                if (lambda c: 8 < c[0] < 250 and abs(c[0] - c[1]) <= 8 and abs(c[2] - c[1]) <= 8)(cap.at(x, y)))
    report(greys >= pw * ph // 40, "hills in the picture", f"about {4 * greys} grey pixels")

    # Each base's house body, x 643..653 below the centre of cell (40, row), scaled.
    for name, channel, row in (("red", 0, 3), ("blue", 2, 61)):
        centre = 16 * row + 8
        pixels = box(643, centre, 654, centre + 6)
        n = sum(is_pure(cap.at(x, y), channel) for x, y in pixels)
        report(n >= 0.6 * len(pixels), f"{name} base at cell (40, {row}) in pure {name}",
               f"{n} of {len(pixels)} pixels")

    # The texts: white on an opaque black box, whatever is under them. Scaled down, the strokes
    # are averaged with the box: greys, light where most of a stroke lies, and no colour.
    for what, x0, y0, chars in (('"Reinforcements in NNNN"', 640, 32, 22), ('"Push Esc To Exit"', 576, 992, 16)):
        pixels = box(x0, y0, x0 + 8 * chars, y0 + 8, margin=1)
        colours = [cap.at(x, y) for x, y in pixels]
        ink = sum(min(c) >= 128 for c in colours)
        other = sum(max(c) - min(c) > 12 for c in colours)
        report(ink >= 3 * chars and other == 0, f"{what} in light grey on black",
               f"{ink} light and {other} coloured pixels of {len(pixels)}")


def terrain_levels_of_clip(path):
    """The height shown at each cell's centre of a clip's first picture; None where something
    else is drawn there."""
    clip = RawCapture(path, WIDTH // 2, HEIGHT // 2)
    levels = {}
    for x in range(80):
        for y in range(64):
            r, g, b = clip.at(8 * x + 4, 8 * y + 4)
            levels[(x, y)] = r // 16 if r == g == b and r % 16 == 0 and r <= 240 else None
    return levels


def terrain_agreement(cap, levels):
    """Cells whose centre shows terrain both on the screen and in the clip, and how many agree."""
    screen_levels = {made(16 * h, 16 * h, 16 * h): h for h in range(16)}
    compared = agreeing = 0
    for (x, y), level in levels.items():
        shown = screen_levels.get(cap.at(16 * x + 8, 16 * y + 8))
        if level is None or shown is None:
            continue
        compared += 1
        agreeing += shown == level
    return compared, agreeing


def check_terrain(capture_path, clip_path, other_path):
    cap = Capture(capture_path)
    compared, agreeing = terrain_agreement(cap, terrain_levels_of_clip(clip_path))
    share = agreeing / compared if compared else 0
    report(compared >= 2000 and share >= 0.98, "the terrain of the seed asked for",
           f"{agreeing} of {compared} uncovered cell centres agree ({100 * share:.1f}%)")
    if other_path:
        compared, agreeing = terrain_agreement(cap, terrain_levels_of_clip(other_path))
        other = agreeing / compared if compared else 1
        report(other <= share - 0.2, "not the terrain of another seed",
               f"{agreeing} of {compared} cell centres agree with it ({100 * other:.1f}%)")


def check_game_over(cap, team):
    text = f"Game Over, the {team} Team has been eliminated!"
    left = 640 - 8 * len(text) // 2
    cells = [sum(cap.at(x, y) == PURE_RED for y in range(512, 520) for x in range(left + 8 * i, left + 8 * i + 8))
             for i in range(len(text))]
    wrong = [i for i, ch in enumerate(text) if (cells[i] > 0) != (ch != " ")]
    report(not wrong, f'"{text}" in red at y 512', f"character cells inked wrongly: {wrong or 'none'}")


def check_panel(cap, lines):
    width = 8 * max(len(line) for line in lines)
    left, right = 640 - width // 2 - 8, 640 + (width + 1) // 2 + 7
    # The lines, then the chart of the battle (40 pixels high) with 8 pixels of room round it.
    top, bottom = 528, 528 + 16 + 12 * (len(lines) - 1) + 7 + 48
    edge = [(x, top) for x in range(left, right + 1)] + [(x, bottom) for x in range(left, right + 1)] + \
           [(left, y) for y in range(top, bottom + 1)] + [(right, y) for y in range(top, bottom + 1)]
    grey = made(128, 128, 128)
    on_edge = sum(cap.at(x, y) == grey for x, y in edge)
    report(on_edge == len(edge), f"a panel with a grey edge from ({left}, {top}) to ({right}, {bottom})",
           f"{on_edge} of {len(edge)} edge pixels grey")
    for n, line in enumerate(lines):
        check_text_line(cap, f"panel line {n + 1} \"{line}\"", line, left + 8, top + 8 + 12 * n)
    chart = Counter(cap.at(x, y) for x in range(left + 8, right - 7) for y in range(bottom - 47, bottom - 7))
    report(chart[BRIGHT_RED] >= width // 2 and chart[made(96, 96, 255)] >= width // 2,
           "the chart of the battle under the lines, a red line and a blue one",
           f"{chart[BRIGHT_RED]} red and {chart[made(96, 96, 255)]} blue pixels")


def panel_lines_left(lines):
    """The left edge of the results panel's lines (as check_panel finds the panel)."""
    return 640 - 8 * max(len(line) for line in lines) // 2


def glyph(cap, left, top):
    """The ink of the 8 x 8 character cell at (left, top)."""
    return tuple(cap.at(x, y) == WHITE for y in range(top, top + 8) for x in range(left, left + 8))


def check_speed(cap, text, lines):
    """TEXT ("Speed 8x") under the countdown, each of its characters that the panel's LINES also
    show drawn exactly as the panel draws it: the panel's glyphs tell an 8 from a 4."""
    check_text_line(cap, f'"{text}" under the countdown', text, 640, 42)
    left = panel_lines_left(lines)
    known = {}
    for n, line in enumerate(lines):
        for i, ch in enumerate(line):
            known.setdefault(ch, glyph(cap, left + 8 * i, 536 + 12 * n))
    compared = [(i, ch) for i, ch in enumerate(text) if ch != " " and ch in known]
    wrong = [ch for i, ch in compared if glyph(cap, 640 + 8 * i, 42) != known[ch]]
    digits = [ch for ch in text if ch.isdigit()]
    report(not wrong and all(ch in known for ch in digits), f'"{text}" in the panel\'s glyphs',
           f"{len(compared)} characters compared, differing: {wrong or 'none'}"
           f"{'' if all(ch in known for ch in digits) else ', its number is not in the panel'}")


def check_same(cap, picture_path, rows=None):
    with open(picture_path, "rb") as f:
        picture = f.read()
    if len(picture) != WIDTH * HEIGHT * 2:
        raise SystemExit(f"{picture_path}: expected {WIDTH}x{HEIGHT} 16-bit pixels, got {len(picture)} bytes")
    differing, within, first = 0, 0, None
    for i in range(WIDTH * HEIGHT):
        value = picture[2 * i] | picture[2 * i + 1] << 8
        x, y = i % WIDTH, i // WIDTH
        if cap.at(x, y) == (value >> 11, (value >> 5) & 63, value & 31):
            continue
        if rows and rows[0] <= y <= rows[1]:
            within += 1
            continue
        differing += 1
        first = first or (x, y)
    where = f" outside rows {rows[0]}..{rows[1]}" if rows else ""
    report(differing == 0, f"the screen is {picture_path} pixel for pixel{where}",
           f"{differing} pixels differ" + (f", the first at {first}" if first else ""))
    if rows:
        report(within >= 1000, f"rows {rows[0]}..{rows[1]} show something of their own", f"{within} pixels differ")


def check_odds(cap, picture_path):
    """The odds bar across the top (every column of it red, grey or blue, some of each side),
    and the rest of the screen the picture but for the bar's rows and the timeline's."""
    colours = Counter(cap.at(x, y) for y in range(12, 18) for x in range(440, 840))
    red, blue, grey = colours[(31, 0, 0)], colours[(0, 0, 31)], colours[(16, 32, 16)]
    report(red > 0 and blue > 0 and red + blue + grey == 6 * 400, "the odds bar: red from the left, blue from the right",
           f"{red} red, {blue} blue, {grey} grey of {6 * 400} pixels")
    with open(picture_path, "rb") as f:
        picture = f.read()
    differing = 0
    for i in range(WIDTH * HEIGHT):
        x, y = i % WIDTH, i // WIDTH
        if 9 <= y <= 20 or 914 <= y <= 973:
            continue
        value = picture[2 * i] | picture[2 * i + 1] << 8
        differing += cap.at(x, y) != (value >> 11, (value >> 5) & 63, value & 31)
    report(differing == 0, "the rest of the screen is unchanged", f"{differing} pixels differ")


def main(argv):
    if len(argv) >= 2 and argv[1] == "screen" and len(argv) == 4:
        first, second = Capture(argv[2]), Capture(argv[3])
        check_hills(first)
        check_exit_hint(first)
        check_countdown(first, second)
        check_base(first, "red", PURE_RED, 3)
        check_base(first, "blue", PURE_BLUE, 61)
        check_armies(first)
        check_armies(second)
    elif len(argv) >= 3 and argv[1] == "shots":
        total, fighting = 0, Counter()
        for path in argv[2:]:
            cap = Capture(path)
            total += len(streaks(cap))
            fighting["red"] += cap.counts[BRIGHT_RED]
            fighting["blue"] += cap.counts[BRIGHT_BLUE]
        report(total >= 3, "yellow shot streaks in flight", f"{total} in {len(argv) - 2} capture(s)")
        report(fighting["red"] >= 100 and fighting["blue"] >= 100, "units fighting in the bright team colours",
               f"{fighting['red']} pixels of (255, 64, 64), {fighting['blue']} of (64, 64, 255)")
    elif len(argv) in (4, 5) and argv[1] == "terrain":
        check_terrain(argv[2], argv[3], argv[4] if len(argv) == 5 else None)
    elif len(argv) == 4 and argv[1] == "gameover":
        check_game_over(Capture(argv[2]), argv[3])
    elif len(argv) >= 4 and argv[1] == "panel":
        check_panel(Capture(argv[2]), argv[3:])
    elif len(argv) >= 5 and argv[1] == "speed":
        check_speed(Capture(argv[2]), argv[3], argv[4:])
    elif len(argv) in (4, 6) and argv[1] == "same":
        check_same(Capture(argv[2]), argv[3], (int(argv[4]), int(argv[5])) if len(argv) == 6 else None)
    elif len(argv) == 4 and argv[1] == "odds":
        check_odds(Capture(argv[2]), argv[3])
    elif len(argv) == 3 and argv[1] == "paused":
        check_text_line(Capture(argv[2]), '"Paused" (centred on x 640)', "Paused", 640 - 24, 488)
    elif len(argv) == 6 and argv[1] == "scaled":
        check_scaled(argv[2], int(argv[3]), int(argv[4]), argv[5])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
