#!/usr/bin/env python3
"""Draws the program's icon: a KaloSpiral of three layers on a dark tile.

The curve is the saver's own: a pen on a circle rolling inside a fixed circle,
traced until it closes, wide and then ever narrower in new colours, the way
the saver lays one layer on another. Run it from anywhere; it rewrites
kalosaver.svg beside itself.
"""
import math
import os

SIZE = 128
CENTRE = SIZE / 2

# Fixed radius, rolling radius and pen distance, scaled to fit the tile: eight
# petals that close after three turns of the rolling circle's centre.
FIXED, ROLL, PEN = 40.0, 15.0, 20.0
SCALE = 1.18

# Pen width and colour of each layer, widest first, as the saver draws them.
LAYERS = [
    (7.0, "#1c3fd6"),
    (3.5, "#00c8c8"),
    (1.4, "#ffe14d"),
]


def revolutions(a, b):
    """How many turns of the rolling circle's centre close the curve."""
    return b / math.gcd(int(a), int(b))


def inner_curve(steps_per_turn=180):
    """Points of the inner curve, from the top of the circle round, closed."""
    turns = revolutions(FIXED, ROLL)
    count = int(round(turns * steps_per_turn))
    ratio = FIXED / ROLL
    orbit = FIXED - ROLL
    points = []
    for i in range(count + 1):
        t = 2 * math.pi * turns * i / count
        xo = orbit * math.sin(t - math.pi)
        yo = orbit * math.cos(t - math.pi)
        phi = ratio * t - t - math.pi / 2
        x = PEN * math.cos(phi) + xo
        y = PEN * math.sin(phi) + yo
        points.append((CENTRE + SCALE * x, CENTRE + SCALE * y))
    return points


def path_data(points):
    first, *rest = points
    text = "M%.1f %.1f" % first
    text += "".join(" L%.1f %.1f" % p for p in rest)
    return text + " Z"


def svg():
    d = path_data(inner_curve())
    lines = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
        % (SIZE, SIZE, SIZE, SIZE),
        "  <title>KaloSaver</title>",
        '  <rect x="4" y="4" width="120" height="120" rx="22" fill="#0b0b14"/>',
    ]
    for width, colour in LAYERS:
        lines.append(
            '  <path d="%s" fill="none" stroke="%s" stroke-width="%.1f" '
            'stroke-linejoin="round"/>' % (d, colour, width)
        )
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "kalosaver.svg")
    with open(out, "w", encoding="utf-8") as f:
        f.write(svg())
