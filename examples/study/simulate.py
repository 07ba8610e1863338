#!/usr/bin/env python3
"""Writes the example study: one small heat-flow simulation run four times,
in double precision (the original run) and in fp32, fp16 and bf16 (each value
rounded to that format after every step), rendered as grid logs.

    python3 examples/study/simulate.py examples/study

Reproducible: no randomness. Values of the original are written at full
precision (%.16e), those of the quantized runs with the digits their format
holds.
"""
import math
import struct
import sys

ROWS, COLUMNS, BLOCKS, STEPS_PER_BLOCK = 12, 8, 30, 4


def fp32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def fp16(x):
    return struct.unpack("e", struct.pack("e", x))[0]


def bf16(x):
    bits = struct.unpack("I", struct.pack("f", x))[0]
    bits = (bits + 0x7FFF + ((bits >> 16) & 1)) & 0xFFFF0000  # round to nearest even
    return struct.unpack("f", struct.pack("I", bits))[0]


def simulate(rounded):
    grid = [[rounded(20.0 + 5.0 * math.sin(r / 2.0) * math.cos(c / 3.0)) for c in range(COLUMNS)] for r in range(ROWS)]
    step = 0
    for block in range(BLOCKS):
        yield block, grid
        for _ in range(STEPS_PER_BLOCK):
            step += 1
            heat = rounded(3.0 * math.sin(step / 7.0))
            new = []
            for r in range(ROWS):
                row = []
                for c in range(COLUMNS):
                    around = [grid[(r + dr) % ROWS][(c + dc) % COLUMNS] for dr, dc in ((1, 0), (-1, 0), (0, 1), (0, -1))]
                    flow = rounded(rounded(sum(around) - 4.0 * grid[r][c]) * 0.1)
                    source = rounded(heat * 0.01) if (r, c) == (ROWS // 2, COLUMNS // 2) else 0.0
                    row.append(rounded(grid[r][c] + flow + source))
                new.append(row)
            grid = new


def write(path, rounded, cell):
    with open(path, "w") as log:
        for block, grid in simulate(rounded):
            log.write("VistaGrid timeline paso %d t= %07.2f\n" % (block, block * 0.5))
            log.write("fila " + " ".join("c%d" % c for c in range(COLUMNS)) + "\n")
            log.write("==== " + " ".join("==" for _ in range(COLUMNS)) + "\n")
            for r, row in enumerate(grid):
                log.write("%d %s\n" % (r + 1, " ".join(cell % v for v in row)))
            log.write("\n")


folder = sys.argv[1] if len(sys.argv) > 1 else "."
write(folder + "/original.log", float, "%.16e")
write(folder + "/fp32.log", fp32, "%.8e")
write(folder + "/fp16.log", fp16, "%.4e")
write(folder + "/bf16.log", bf16, "%.3e")
