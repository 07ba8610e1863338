#!/usr/bin/env python3
"""Writes a study of a real-sized grid: one block of a smooth global field
(by default 1440 columns x 721 rows, a quarter degree) at full precision,
and the same field rounded as quantized runs would hold it.

    makeGridLogs.py FOLDER [COLUMNS ROWS] [--odd]

FOLDER gets original.log, fp32.log, fp16.log, bf16.log and bf16-truncated.log
(bf16 cut, not rounded). With --odd the original also holds the values that
a writer of numbers must get right: nan, inf, -inf, negative zero,
denormals, the largest and smallest doubles, and values on every scale. Needs
numpy. Reproducible: no randomness.
"""
import sys

import numpy


def field(columns, rows):
    longitude = numpy.linspace(0.0, 2 * numpy.pi, columns, endpoint=False)
    latitude = numpy.linspace(numpy.pi / 2, -numpy.pi / 2, rows)
    lon, lat = numpy.meshgrid(longitude, latitude)
    # A temperature-like field: warm equator, waves along the latitudes.
    return 250.0 + 40.0 * numpy.cos(lat) ** 2 + 6.0 * numpy.sin(3 * lon) * numpy.cos(2 * lat) \
        + 2.0 * numpy.sin(11 * lon + 5 * lat)


def odd_values(grid):
    """Puts hard cases into the first rows of the original."""
    specials = [numpy.nan, numpy.inf, -numpy.inf, -0.0, 0.0, 5e-324, -5e-324, 2.2250738585072009e-308,
                2.2250738585072014e-308, 1.7976931348623157e308, -1.7976931348623157e308, 1e-300, 1e300,
                0.1, 1 / 3, 123456789012345678.0, 9007199254740993.0, 1e21, 1e-7, 1e16, 1e17, 0.30000000000000004]
    flat = grid.reshape(-1)
    for i, value in enumerate(specials):
        flat[i * 37] = value
    # Every decimal exponent, with long mantissas.
    exponents = numpy.arange(-320, 309)
    flat[2000:2000 + exponents.size] = numpy.pi * 10.0 ** exponents.astype(float)
    flat[3000:3100] = numpy.nextafter(numpy.float64(1.0), 2.0) * numpy.arange(1, 101) / 7.0
    return grid


def bf16(values, truncate=False):
    bits = values.astype(numpy.float32).view(numpy.uint32)
    if not truncate:
        bits = bits + numpy.uint32(0x7FFF) + ((bits >> 16) & 1)
    return (bits & numpy.uint32(0xFFFF0000)).view(numpy.float32).astype(numpy.float64)


def write(path, grid, form):
    rows, columns = grid.shape
    with open(path, "w") as log:
        log.write("VistaGrid timeline paso 0 t= 0000.00\n")
        log.write("fila " + " ".join("c%d" % c for c in range(columns)) + "\n")
        log.write("==== " + " ".join("==" for _ in range(columns)) + "\n")
        line = " ".join([form] * columns) + "\n"
        for r in range(rows):
            log.write(("%d " % (r + 1)) + line % tuple(grid[r]))
        log.write("\n")


def main():
    arguments = [a for a in sys.argv[1:] if a != "--odd"]
    folder = arguments[0]
    columns, rows = (int(arguments[1]), int(arguments[2])) if len(arguments) > 2 else (1440, 721)
    with numpy.errstate(over="ignore", invalid="ignore"):
        original = field(columns, rows)
        if "--odd" in sys.argv:
            original = odd_values(original)
        write(folder + "/original.log", original, "%.17g")
        write(folder + "/fp32.log", original.astype(numpy.float32).astype(numpy.float64), "%.9g")
        write(folder + "/fp16.log", original.astype(numpy.float16).astype(numpy.float64), "%.5g")
        write(folder + "/bf16.log", bf16(original), "%.4g")
        write(folder + "/bf16-truncated.log", bf16(original, truncate=True), "%.4g")


if __name__ == "__main__":
    main()
