#!/usr/bin/env python3
"""Writes large_program.nc: a nested sheet of cabinet parts as one router program.

Deterministic: the same arguments always give the same bytes. The program uses the codes a
shop's router programs use (rapid and feed moves, arcs, multi-spindle drilling, engaged tools,
the G280 saw cycle, tool 81 bores, incremental line boring) with comments and blank lines, and
CR LF line ends.

    examples/generate_large_program.py [--lines N] [--output PATH]
"""

import argparse
import os


def number(value):
    """Plain decimal with at most three decimals and no trailing zeros."""
    text = f"{value:.3f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


class Program:
    def __init__(self):
        self.lines = []

    def add(self, *words):
        self.lines.append(" ".join(words))

    def comment(self, text):
        self.lines.append(f"({text})")

    def blank(self):
        self.lines.append("")


def shelf_pins(p, x0, y0, height, rows):
    p.comment("SHELF PIN HOLES")
    p.add(f"G0 X{number(x0 + 37)} Y{number(y0 + 96)} P5 T1 M6")
    first = True
    for row_x in rows:
        y = y0 + 96
        while y < y0 + height - 64:
            spindles = '"1 2 3 4 5"' if (int(y) // 32) % 2 == 0 else '"6 7 8 9 10"'
            feed = " F2500" if first else ""
            p.add(f"G100 X{number(x0 + row_x)} Y{number(y)} P-12{feed} T{spindles}")
            first = False
            y += 160
    p.add("G0 G80 P20")


def line_boring(p, x0, y0, count):
    p.comment("LINE BORING, 32 MM PITCH, INCREMENTAL")
    p.add(f"G0 X{number(x0 + 37)} Y{number(y0 + 150)} P5")
    p.add('G91 G100 X0 Y0 P-12 F2000 T"3 3"')
    for _ in range(count - 1):
        p.add('G100 X0 Y32 T"3 3"')
    p.add("G90 G0 P30")


def edge_holes(p, x0, y0, width):
    p.comment("EDGE HOLES FOR DOWELS")
    p.add("G19")
    p.add(f'G100 X{number(x0)} Y{number(y0 + 50)} P-9.5 I30 J0 F1200 T"8"')
    p.add(f'G100 X{number(x0)} Y{number(y0 + width - 50)} I30 T"8"')
    p.add(f'G18 G100 X{number(x0 + 100)} Y{number(y0)} P-9.5 J30 T"9 10"')
    p.add("G17 G0 P30")


def hinge_cups(p, x0, y0, height):
    p.comment("HINGE CUP BORES")
    for y in (y0 + 100, y0 + height - 100):
        p.add(f"G0 X{number(x0 + 22.5)} Y{number(y)} P5")
        p.add("G100 T55 M6")
        p.add("G1 P-13 F1500")
        p.add("G0 P20")


def saw_groove(p, x0, y0, length, y):
    p.comment("SAW GROOVE FOR THE BACK PANEL")
    p.add(f"G280 X{number(x0 + length)} Y{number(y0 + y)} P-8 U4 F5000 T60")
    p.add(f"G280 X{number(x0)} Y{number(y0 + y)} P-8 U4")


def single_bore(p, x0, y0):
    p.comment("SINGLE BORE WITH THE 81 TOOL, WIDENED BY A CLOCKWISE CIRCLE")
    p.add(f"G0 X{number(x0)} Y{number(y0)} P5 T81 M6")
    p.add(f"G101 X{number(x0 + 20)} P-10 F3000")
    p.add(f"G102 X{number(x0 + 20)} Y{number(y0)} I-10 J0")
    p.add("G207")
    p.add("G0 P30")


def profile(p, x0, y0, length, width, radius):
    p.comment("OUTSIDE PROFILE, 12 MM COMPRESSION CUTTER")
    p.add(f"G0 X{number(x0 - 20)} Y{number(y0 - 20)} P20 T2 M6")
    p.add("G41 G1 P-18.5 F8000")
    p.add(f"G1 X{number(x0)} Y{number(y0)}")
    p.add(f"G1 X{number(x0 + length - radius)}")
    p.add(f"G3 X{number(x0 + length)} Y{number(y0 + radius)} R{number(radius)}")
    p.add(f"G1 Y{number(y0 + width - radius)}")
    p.add(f"G103 X{number(x0 + length - radius)} Y{number(y0 + width)} I{number(-radius)} J0")
    p.add(f"G1 X{number(x0 + radius)}")
    p.add(f"G3 X{number(x0)} Y{number(y0 + width - radius)} R{number(radius)}")
    p.add(f"G101 Y{number(y0)}")
    p.add(f"G40 G1 X{number(x0 - 20)} Y{number(y0 - 20)}")
    p.add("G0 P50")


def part(p, index, x0, y0):
    kind = index % 4
    length = 560 + 40 * (index % 5)
    width = 300 + 20 * (index % 7)
    p.blank()
    p.comment(f"PART {index + 1} AT X{number(x0)} Y{number(y0)}, {length} X {width}")
    if kind in (0, 1):
        shelf_pins(p, x0, y0, width, (37, length - 37))
    if kind == 1:
        line_boring(p, x0, y0, 6 + index % 5)
    if kind == 2:
        hinge_cups(p, x0, y0, width)
    if kind in (0, 3):
        edge_holes(p, x0, y0, width)
    if kind == 3:
        single_bore(p, x0 + length / 2, y0 + width / 2)
    if index % 3 == 0:
        saw_groove(p, x0, y0, length, width - 40)
    profile(p, x0, y0, length, width, 6 + index % 4 * 2)


def generate(target_lines):
    p = Program()
    p.comment("NESTED SHEET 2800 X 2070 X 18 - CABINET PARTS")
    p.comment("GENERATED SAMPLE PROGRAM")
    p.add("G21")
    p.add("G90 G17 G40 G49")
    p.add("G54 G64")
    p.add("G200 X2800 Y2070 Z42")
    index = 0
    while len(p.lines) < target_lines - 3:
        column, row = index % 4, (index // 4) % 3
        part(p, index, 10 + column * 700, 10 + row * 690)
        index += 1
    p.blank()
    p.add("G0 X0 Y0 P50")
    p.add("M30")
    return p.lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lines", type=int, default=3000, help="about this many lines")
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--output", default=os.path.join(here, "large_program.nc"))
    args = parser.parse_args()
    with open(args.output, "wb") as out:
        out.write("".join(line + "\r\n" for line in generate(args.lines)).encode("ascii"))


if __name__ == "__main__":
    main()
