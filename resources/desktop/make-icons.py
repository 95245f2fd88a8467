#!/usr/bin/env python3
"""Draws the program's icon: a clipboard whose sheet goes down into a tray.

One list of shapes on a 64-unit grid gives both sorvak.svg and the PNG sizes
of the hicolor theme (the PNGs through ImageMagick's own vector drawing, which
needs no SVG library). Run it after changing a shape and commit the results.
"""
import pathlib
import subprocess
import sys

# (kind, fill, stroke, points...) on a 64 x 64 grid.
SHAPES = [
    ("roundrect", "#8d6e4a", "#5d4630", (10, 8, 54, 60, 5)),   # the board
    ("rect", "#ffffff", "#b9b9b9", (15, 14, 49, 55)),          # the sheet
    ("rect", "#c4c9cf", None, (19, 19, 45, 21.5)),             # lines of text
    ("rect", "#c4c9cf", None, (19, 24, 39, 26.5)),
    ("roundrect", "#a3acb6", "#5f6870", (23, 4, 41, 14, 3)),   # the clip
    ("polygon", "#2f7fd8", "#1d5fa8",                          # arrow down
     (28, 29, 36, 29, 36, 39, 42, 39, 32, 49, 22, 39, 28, 39)),
    ("rect", "#2f7fd8", "#1d5fa8", (20, 51, 44, 54)),          # the tray
]
SIZES = [16, 22, 24, 32, 48, 64, 128, 256]


def svg():
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">']
    for kind, fill, stroke, p in SHAPES:
        paint = f'fill="{fill}"' + (f' stroke="{stroke}" stroke-width="1"' if stroke else "")
        if kind == "polygon":
            pts = " ".join(f"{p[i]},{p[i + 1]}" for i in range(0, len(p), 2))
            out.append(f'  <polygon points="{pts}" {paint}/>')
        else:
            x0, y0, x1, y1 = p[:4]
            r = f' rx="{p[4]}"' if kind == "roundrect" else ""
            out.append(f'  <rect x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}"{r} {paint}/>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


def mvg(size):
    s = size / 64
    out = [f"viewbox 0 0 {size} {size}", f"scale {s},{s}", "stroke-width 1"]
    for kind, fill, stroke, p in SHAPES:
        out += [f"fill {fill}", f"stroke {stroke or 'none'}"]
        if kind == "polygon":
            out.append("polygon " + " ".join(f"{p[i]},{p[i + 1]}" for i in range(0, len(p), 2)))
        elif kind == "roundrect":
            out.append(f"roundrectangle {p[0]},{p[1]} {p[2]},{p[3]} {p[4]},{p[4]}")
        else:
            out.append(f"rectangle {p[0]},{p[1]} {p[2]},{p[3]}")
    return "\n".join(out) + "\n"


def main():
    here = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent)
    (here / "sorvak.svg").write_text(svg())
    for size in SIZES:
        png = here / f"sorvak-{size}.png"
        subprocess.run(["convert-im6.q16", "-size", f"{size}x{size}", "xc:none", "-draw", mvg(size),
                        "-strip", f"PNG32:{png}"], check=True)


main()
