#!/usr/bin/env python3
"""Writes a small latitude-longitude log pair: a smooth temperature field, in
kelvin, on a 2.5-degree grid of 73 rows (row 1 at 90N, row 73 at 90S) and 144
columns, at two times six hours apart; once in double precision
(original.log, written at full precision) and once rounded to fp16
(fp16.log).

    python3 examples/latlon/make.py FOLDER

fp16 holds values from 128 to 256 to within 1/16, and from 256 to 512 to
within 1/8: the warm rows near the equator are rounded twice as coarsely as
the cold rows near the poles.
"""
import math
import struct
import sys

ROWS, COLUMNS = 73, 144


def fp16(x):
    return struct.unpack("e", struct.pack("e", x))[0]


def temperature(latitude, longitude, hours):
    phi = math.radians(latitude)
    wave = math.sin(math.radians(2.0 * longitude + 15.0 * hours))
    return 230.0 + 70.0 * math.cos(phi) ** 2 + 5.0 * math.cos(phi) * wave


def write(path, rounded, cell):
    with open(path, "w") as log:
        for block, hours in enumerate((0, 6)):
            log.write("VistaGrid timeline paso %d t= %07.2f\n" % (block, hours))
            log.write("fila " + " ".join("c%d" % c for c in range(COLUMNS)) + "\n")
            log.write("==== " + " ".join("==" for _ in range(COLUMNS)) + "\n")
            for r in range(ROWS):
                latitude = 90.0 - 2.5 * r
                values = (rounded(temperature(latitude, 2.5 * c, hours)) for c in range(COLUMNS))
                log.write("%d %s\n" % (r + 1, " ".join(cell % v for v in values)))
            log.write("\n")


folder = sys.argv[1] if len(sys.argv) > 1 else "."
write(folder + "/original.log", float, "%.16e")
write(folder + "/fp16.log", fp16, "%.17g")
