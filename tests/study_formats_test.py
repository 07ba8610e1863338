#!/usr/bin/env python3
"""gridcmp-study's table and JSON summary read back as the README says. The
table's one pandas call (taken from the README's python block and run as it
stands) gives every row, run names and labels as written, every number bit
for bit, held against a reading of the table's text here, with Python's own
float(). The JSON's names and labels decode to the table's text, its nan and
infinities are null and +-1e999, every figure (a whole one too) a float
column for pandas.json_normalize, and counts ints. The run names and labels
are those that trip a reader: a double quote, a tab, NA, nan, null, the
four characters \\xFF beside the byte 0xFF. Every name and label is held
against an escape worked out here.

    study_formats_test.py BUILD_DIR [EMULATOR...]   (run by python_with.sh pandas)
"""
import json
import math
import os
import random
import re
import struct
import subprocess
import sys
import tempfile

import pandas

from logmodel import render

source = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
failures = []

LABELS = [b'"0000.00', b"NA", b"nan", b"null", b"t\t1"]  # in byte order: every block pairs
NAMES = [b'"fp16', b"NA", b"nan", b"null", b"a\tb", b"\\xFF", b"\xff"]


def check(condition, message):
    if not condition:
        failures.append(message)


def escaped(raw):
    """A text as the table writes it."""
    out, i = [], 0
    while i < len(raw):
        byte = raw[i]
        shown = {0x5C: "\\\\", 0x09: "\\t", 0x0D: "\\r", 0x0A: "\\n"}.get(byte)
        if shown:
            out.append(shown)
        elif 0x20 <= byte < 0x7F and byte != 0x22:
            out.append(chr(byte))
        else:
            for length in (2, 3, 4) if byte >= 0x80 else ():
                try:
                    out.append(raw[i:i + length].decode("utf-8"))
                    i += length
                    break
                except UnicodeDecodeError:
                    pass
            else:
                out.append("\\x%02X" % byte)
                i += 1
            continue
        i += 1
    return "".join(out)


def write_logs(folder):
    """The original at full precision; each run rounded, one with a
    quantized 0 (|1-s/q| inf), one with inf (bias -inf), one with nan."""
    rng = random.Random(20)
    values = [[[rng.uniform(-30, 30) for c in range(6)] for r in range(4)] for label in LABELS]

    def log(name, cell):
        render(os.path.join(folder, name), [(label.decode(), [[cell(k, r, c, v) for c, v in enumerate(row)]
                                                              for r, row in enumerate(block)])
                                            for k, (label, block) in enumerate(zip(LABELS, values))])
    log("original.log", lambda k, r, c, v: "%.17g" % v)
    log("rounded.log", lambda k, r, c, v: "%.5g" % v)
    log("zero.log", lambda k, r, c, v: "0" if (k, r, c) == (1, 2, 3) else "%.3g" % v)
    log("inf.log", lambda k, r, c, v: "inf" if (k, r, c) == (4, 1, 1) else "%.4g" % v)
    log("nan.log", lambda k, r, c, v: "nan" if (k, r, c) == (2, 0, 5) else "%.6g" % v)
    return ["rounded.log", "zero.log", "inf.log", "nan.log", "rounded.log", "rounded.log", "zero.log"]


def readme_call():
    """The README's python block, the one call that reads the table."""
    blocks = re.findall(r"^```python\n(.*?)^```$", open(os.path.join(source, "README.md")).read(), re.M | re.S)
    check(len(blocks) == 1, "the README has %d python blocks, not one" % len(blocks))
    return blocks[0]


def bits(value):
    return struct.pack("<d", float(value))


def check_table(folder):
    lines = open(os.path.join(folder, "study.tsv"), encoding="utf-8").read().split("\n")
    check(lines[-1] == "", "the table does not end with a line end")
    header, rows = lines[0].split("\t"), [line.split("\t") for line in lines[1:-1]]
    check(all(len(row) == len(header) for row in rows), "a row of the table is not as wide as its header")
    written = [(row[header.index("run")], row[header.index("label")]) for row in rows]
    check(written == [(escaped(name), escaped(label)) for name in NAMES for label in LABELS],
          "names and labels written %r" % written)
    spellings = {field for row in rows for field in row[3:]}
    check({"nan", "inf", "-inf"} <= spellings, "the table has no nan, inf and -inf to read")

    namespace = {}
    cwd = os.getcwd()
    os.chdir(folder)
    try:
        exec(readme_call(), namespace)
    finally:
        os.chdir(cwd)
    study = namespace["study"]
    check(list(study.columns) == header, "pandas read the columns %r" % list(study.columns))
    if len(study) != len(rows):
        return check(False, "pandas read %d rows of %d" % (len(study), len(rows)))
    for name in header:
        if name in ("run", "label"):
            check(list(study[name]) == [row[header.index(name)] for row in rows], "pandas read %s %r" % (
                name, list(study[name])))
            continue
        if study[name].dtype.kind not in "fi":
            check(False, "pandas read %s as %s" % (name, study[name].dtype))
            continue
        for i, row in enumerate(rows):
            text, value = row[header.index(name)], study[name].iloc[i]
            same = text == "nan" if math.isnan(value) else bits(value) == bits(text)
            check(same, "pandas read %s %r of row %d as %r" % (name, text, i + 1, value))


# The run figures that are not counts: each may be nan or inf.
REAL_FIGURES = ["paired_fraction", "relative_mean", "absolute_mean", "bias", "rmse", "nrmse", "correlation",
                "original_mean", "quantized_mean", "max_absolute", "max_relative"]


def check_json(folder, runs):
    text = open(os.path.join(folder, "study.json"), encoding="utf-8").read()
    document = json.loads(text)
    entries = document["runs"]
    check([entry["name"] for entry in entries] == [escaped(name) for name in NAMES],
          "JSON names %r" % [entry["name"] for entry in entries])
    for entry, run in zip(entries, runs):
        where = "%s (%s)" % (entry["name"], run)
        figures = {name: entry[name] for name in REAL_FIGURES}
        # Whole figures too (paired_fraction 1) read as floats; counts as ints.
        check(all(value is None or type(value) is float for value in figures.values())
              and all(type(entry[name]) is int for name in ("blocks_paired", "cells_compared", "nonfinite_cells")),
              "%s: figures %r" % (where, figures))
        labels = [entry["worst_blocks"][kind]["label"] for kind in ("relative_mean", "absolute_mean", "rmse")]
        check(all(label in [escaped(label) for label in LABELS] for label in labels), "%s: labels %r" % (where, labels))
        first = entry["nonfinite_quantized_at"]
        # What each run's one odd cell must make of its figures.
        if run == "zero.log":
            check(figures["relative_mean"] == math.inf, "%s: relative_mean %r" % (where, figures["relative_mean"]))
        elif run == "inf.log":
            check(figures["bias"] == -math.inf and figures["rmse"] == math.inf and first["label"] == "t\\t1"
                  and first["quantized"] == math.inf, "%s: %r, first inf at %r" % (where, figures, first))
        elif run == "nan.log":
            check(figures["rmse"] is None and first["label"] == "nan" and first["quantized"] is None,
                  "%s: %r, first nan at %r" % (where, figures, first))
    for spelled in ('"relative_mean": 1e999', '"bias": -1e999', '"rmse": null'):
        check(spelled in text, "the JSON has no %s" % spelled)
    columns = pandas.json_normalize(entries)
    kinds = {name: columns[name].dtype.kind for name in REAL_FIGURES}
    check(all(kind == "f" for kind in kinds.values()),
          "json_normalize gives the figures %r" % kinds)


def main():
    build = os.path.abspath(sys.argv[1])
    study = sys.argv[2:] + [os.path.join(build, "gridcmp-study")]
    with tempfile.TemporaryDirectory() as folder:
        runs = write_logs(folder)
        arguments = [word for name, run in zip(NAMES, runs) for word in (b"--name", name, run.encode())]
        done = subprocess.run(study + ["-q", "--table", "study.tsv", "--json", "study.json", "original.log"] + arguments,
                              cwd=folder,
                              stdout=subprocess.DEVNULL)
        check(done.returncode == 1, "the study exited %d, not 1 (runs turned nan and inf)" % done.returncode)
        check_table(folder)
        check_json(folder, runs)
    for failure in failures[:25]:
        print(failure)
    if failures:
        sys.exit(1)
    print("the table reads back exactly with the README's pandas call, the JSON as its reader takes it")


if __name__ == "__main__":
    main()
