#!/usr/bin/env python3
"""Writes the flight paths 10 and up into content/Data/t_data/nav/.

A path is a list of nodes (speed, x, z) in playfield coordinates: x up the screen (0,5 is
the top edge), z across (+0,5 is the left edge). The heading of each node (r1y) follows the
direction of travel, measured on the path's scaled frame (6 along x, 8 along z) and kept
continuous so a turning ship never spins the long way round.

Run from the repository root: python3 tools/campaign/nav_paths.py
"""
import math
import os

NAV = os.path.join("content", "Data", "t_data", "nav")


def mirror(nodes):
    return [(s, x, -z) for s, x, z in nodes]


# (first file number, comment, looped, nodes)
PATHS = [
    ("Wide U-turn: in from the right at mid height, across, up and back out to the right", False,
     [(2.4, 0.06, -0.68), (2.0, 0.08, -0.4), (1.8, 0.12, -0.02), (1.6, 0.18, 0.24), (1.5, 0.32, 0.32),
      (1.6, 0.44, 0.18), (1.9, 0.44, -0.12), (2.2, 0.4, -0.42), (2.6, 0.36, -0.68)]),
    ("Endless weave across the upper field, right to left, again and again", True,
     [(2.0, 0.3, -0.68), (1.8, 0.36, -0.42), (1.6, 0.22, -0.22), (1.6, 0.32, 0.0), (1.6, 0.2, 0.22),
      (1.8, 0.34, 0.42), (2.0, 0.28, 0.68)]),
    ("Straight down the left lane, slowing over the middle", False,
     [(2.4, 0.64, 0.3), (1.8, 0.3, 0.3), (1.2, 0.0, 0.28), (1.8, -0.3, 0.3), (2.6, -0.66, 0.3)]),
    ("Straight down the right lane, slowing over the middle", False,
     [(2.4, 0.64, -0.3), (1.8, 0.3, -0.3), (1.2, 0.0, -0.28), (1.8, -0.3, -0.3), (2.6, -0.66, -0.3)]),
    ("Zigzag down the screen, first swing to the right", False,
     [(2.2, 0.64, 0.3), (1.8, 0.38, -0.3), (1.6, 0.14, 0.3), (1.6, -0.1, -0.3), (1.9, -0.34, 0.3),
      (2.4, -0.66, -0.2)]),
    ("Zigzag down the screen, first swing to the left", False,
     [(2.2, 0.64, -0.3), (1.8, 0.38, 0.3), (1.6, 0.14, -0.3), (1.6, -0.1, 0.3), (1.9, -0.34, -0.3),
      (2.4, -0.66, 0.2)]),
    ("Down the middle, two tight circles, back out over the top", False,
     [(2.4, 0.66, 0.0), (1.8, 0.3, 0.0), (1.5, 0.14, 0.16), (1.4, 0.0, 0.0), (1.4, 0.14, -0.16),
      (1.4, 0.28, 0.0), (1.4, 0.14, 0.16), (1.4, 0.0, 0.0), (1.5, 0.14, -0.16), (1.8, 0.36, -0.1),
      (2.6, 0.68, -0.2)]),
    ("Hook: in at the top left, sweep down to the lower middle, out through the left edge", False,
     [(2.4, 0.64, 0.36), (1.9, 0.3, 0.2), (1.5, -0.05, 0.0), (1.5, -0.22, 0.14), (1.9, -0.16, 0.4),
      (2.5, -0.06, 0.68)]),
    ("Hook: in at the top right, sweep down to the lower middle, out through the right edge", False,
     [(2.4, 0.64, -0.36), (1.9, 0.3, -0.2), (1.5, -0.05, 0.0), (1.5, -0.22, -0.14), (1.9, -0.16, -0.4),
      (2.5, -0.06, -0.68)]),
    ("Diagonal run from the top left corner to the bottom right", False,
     [(2.6, 0.66, 0.5), (2.2, 0.3, 0.22), (2.0, 0.0, 0.02), (2.2, -0.3, -0.22), (2.6, -0.66, -0.5)]),
    ("Diagonal run from the top right corner to the bottom left", False,
     [(2.6, 0.66, -0.5), (2.2, 0.3, -0.22), (2.0, 0.0, -0.02), (2.2, -0.3, 0.22), (2.6, -0.66, 0.5)]),
    ("Figure of eight over the upper field, then away over the top", False,
     [(2.4, 0.66, 0.1), (1.8, 0.36, 0.0), (1.5, 0.2, -0.22), (1.5, 0.34, -0.36), (1.5, 0.42, -0.18),
      (1.5, 0.24, 0.02), (1.5, 0.14, 0.24), (1.5, 0.3, 0.38), (1.6, 0.42, 0.2), (2.0, 0.46, -0.1),
      (2.6, 0.68, -0.3)]),
    ("Climb: in from the left low down, rise across the field, out over the top right", False,
     [(2.4, -0.2, 0.68), (2.0, -0.14, 0.36), (1.7, 0.0, 0.1), (1.7, 0.2, -0.12), (2.1, 0.42, -0.3),
      (2.6, 0.68, -0.4)]),
    ("Climb: in from the right low down, rise across the field, out over the top left", False,
     [(2.4, -0.2, -0.68), (2.0, -0.14, -0.36), (1.7, 0.0, -0.1), (1.7, 0.2, 0.12), (2.1, 0.42, 0.3),
      (2.6, 0.68, 0.4)]),
    ("Spiral in from the top to the centre, then a dive out through the bottom", False,
     [(2.4, 0.66, 0.3), (2.0, 0.36, 0.4), (1.8, 0.1, 0.26), (1.6, 0.02, -0.06), (1.5, 0.2, -0.24),
      (1.4, 0.34, -0.04), (1.4, 0.22, 0.12), (1.4, 0.1, 0.02), (1.9, -0.2, 0.0), (2.8, -0.66, 0.0)]),
    ("Curtain: along the top band left to right, drop a step, back right to left", False,
     [(2.2, 0.4, 0.68), (1.8, 0.4, 0.3), (1.8, 0.38, -0.1), (1.6, 0.34, -0.34), (1.5, 0.2, -0.36),
      (1.6, 0.16, -0.1), (1.8, 0.18, 0.3), (2.4, 0.2, 0.68)]),
    ("Curtain: along the top band right to left, drop a step, back left to right", False,
     [(2.2, 0.4, -0.68), (1.8, 0.4, -0.3), (1.8, 0.38, 0.1), (1.6, 0.34, 0.34), (1.5, 0.2, 0.36),
      (1.6, 0.16, 0.1), (1.8, 0.18, -0.3), (2.4, 0.2, -0.68)]),
    ("Slow descent to the upper middle, a long look at the player, then a fast drop", False,
     [(2.2, 0.66, 0.0), (1.2, 0.36, 0.04), (0.6, 0.26, 0.0), (0.6, 0.22, -0.04), (1.2, 0.1, 0.0),
      (3.0, -0.66, 0.0)]),
    ("Endless orbit around the upper middle of the field", True,
     [(2.0, 0.66, 0.0), (1.6, 0.36, 0.28), (1.5, 0.12, 0.1), (1.5, 0.16, -0.22), (1.6, 0.4, -0.24),
      (1.8, 0.66, 0.0)]),
    ("Side to side across the middle, left to right, out through the right edge", False,
     [(2.4, 0.1, 0.68), (1.8, 0.24, 0.36), (1.6, 0.02, 0.14), (1.6, 0.22, -0.08), (1.6, 0.0, -0.28),
      (2.0, 0.16, -0.46), (2.4, 0.12, -0.68)]),
]

FIRST = 10


def headings(nodes):
    out, prev = [], None
    n = len(nodes)
    for i in range(n):
        a = nodes[max(i - 1, 0)]
        b = nodes[min(i + 1, n - 1)]
        dx, dz = b[1] - a[1], b[2] - a[2]
        h = math.degrees(math.atan2(6 * dx, -8 * dz))
        if prev is not None:
            while h - prev > 180:
                h -= 360
            while h - prev < -180:
                h += 360
        out.append(h)
        prev = h
    return out


def num(v):
    text = f"{v:.1f}" if abs(v * 10 - round(v * 10)) < 1e-9 else f"{v:.2f}"
    text = text.rstrip("0").rstrip(".") if "." in text else text
    if text in ("-0", ""):
        text = "0"
    return text.replace(".", ",")


def write(number, comment, looped, nodes):
    lines = [f"; {comment}", "[i]", "i=1", f"loo={1 if looped else 0}", ""]
    for j, ((s, x, z), h) in enumerate(zip(nodes, headings(nodes))):
        lines += [f"[{j}]", f"s1={num(s)}", f"p1x={num(x)}", "p1y=0", f"p1z={num(z)}", "r1x=0",
                  f"r1y={num(round(h, 1))}", "r1z=0", ""]
    with open(os.path.join(NAV, f"{number}.ini"), "w") as f:
        f.write("\n".join(lines).rstrip("\n") + "\n")


def main():
    for k, (comment, looped, nodes) in enumerate(PATHS):
        write(FIRST + k, comment, looped, nodes)


if __name__ == "__main__":
    main()
