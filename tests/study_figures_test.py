#!/usr/bin/env python3
"""gridcmp-study's figures against a separate computation.

Generates an original log and quantized logs with ragged rows, unpaired
blocks on both sides (at the start and later), quantized values of 0, nan
and inf, constant blocks, and quantized blocks longer than the original's;
reads them here on their own (a plain model of how blocks pair and end, not
the program's code) and works out every figure: each column of the table,
each run's figures in the JSON summary (read by a JSON reader), the gates'
verdicts and the first block over each limit, and the cells file.

Sums are taken cell by cell in the order of the logs, as the study takes
them, so that they must agree to the last bit; the correlation, whose
co-moments the study pools row by row, must agree to 1e-9.

    study_figures_test.py BUILD_DIR [EMULATOR...]
"""
import json
import math
import os
import random
import subprocess
import sys
import tempfile

from logmodel import figures, json_number, model, relative_term, render, same

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


# ---- the logs -------------------------------------------------------------

def write_logs(folder):
    rng = random.Random(7)
    blocks = []
    for k in range(40):
        label = "%07.2f" % (k / 4)
        rows = []
        for r in range(rng.randint(3, 7)):
            width = rng.choice([6, 6, 6, 4, 5])  # ragged rows in the original too
            if k == 5:
                rows.append([3.0] * width)  # a constant block
            else:
                rows.append([10.0 + (rng.random() - 0.5) * 10 ** rng.randint(-4, 2) for _ in range(width)])
        blocks.append((label, rows))

    render(os.path.join(folder, "original.log"),
           [(label, [["%.17g" % v for v in row] for row in rows]) for label, rows in blocks])
    runs = {}
    # Rounded, some rows narrower than the original's.
    runs["narrow.log"] = [(label, [["%.3e" % v for v in row[:len(row) - (r % 3 == 2)]]
                                   for r, row in enumerate(rows)]) for label, rows in blocks]
    # Blocks missing, a block of its own at the start (it sorts first) and
    # later, values of 0, a constant quantized block.
    gappy = [("-000.25", [["1"] * 6])]
    for k, (label, rows) in enumerate(blocks):
        if k % 7 == 3:
            continue
        if k == 8:
            gappy.append((label, [["10"] * len(row) for row in rows]))
        else:
            gappy.append((label, [["0" if rng.random() < 0.03 else "%.5g" % v for v in row] for row in rows]))
        if k % 9 == 4:
            gappy.append((label + "5", [["2"] * 6]))
    runs["gappy.log"] = gappy
    # A row more than the original's in some blocks.
    runs["longer.log"] = [(label, [["%.6g" % v for v in row] for row in rows] +
                           ([["9"] * 6] if k % 4 == 1 else []))
                          for k, (label, rows) in enumerate(blocks)]
    # A run that blows up: values far off at the block of the cells file
    # (negative zero, denormals, huge, tiny), an inf, then nan from block 25 on.
    odd = ["-0", "4.9406564584124654e-324", "2.2250738585072009e-308", "1e150", "-1e-300"]
    runs["blowup.log"] = [(label, [["nan" if k >= 25 and c == 0 else
                                    "inf" if k == 20 and r == 0 and c == 1 else
                                    odd[c] if k == 8 and r == 1 and c < len(odd) else
                                    "%.4g" % (v * (1 + k * 1e-3)) for c, v in enumerate(row)]
                                   for r, row in enumerate(rows)])
                          for k, (label, rows) in enumerate(blocks)]
    for name, entries in runs.items():
        render(os.path.join(folder, name), entries)
    return list(runs)


def running_sums(blocks):
    """|1-s/q| and |s-q| summed since the start, cell by cell, at each block's end."""
    relative = absolute = 0.0
    sums = []
    for _, cells in blocks:
        for _, _, _, s, q, _ in cells:
            relative += relative_term(s, q)
            absolute += abs(s - q)
        sums.append((relative, absolute))
    return sums


# ---- the study against the model ------------------------------------------

COUNTS = ["zero_quantized", "nonfinite_quantized", "nonfinite_original", "nonfinite_cells"]
BLOCK_COLUMNS = ["cells_compared", "bias", "rmse", "nrmse", "max_absolute", "max_relative", "correlation",
                 "original_mean", "quantized_mean"] + COUNTS
RUN_FIGURES = ["cells_compared", "relative_mean", "absolute_mean", "bias", "rmse", "nrmse", "correlation",
               "original_mean", "quantized_mean", "max_absolute", "max_relative"] + COUNTS


def check_run(folder, run, table, header, document, cells_rows):
    blocks, passed = model(os.path.join(folder, "original.log"), os.path.join(folder, run))
    rows = [row for row in table if row[header["run"]] == run]
    check(len(rows) == len(blocks), "%s: %d table rows, %d blocks compared here" % (run, len(rows), len(blocks)))
    all_cells = []
    for row, (label, cells), sums in zip(rows, blocks, running_sums(blocks)):
        all_cells += cells
        where = "%s, block %s" % (run, label)
        check(row[header["label"]] == label, "%s: label %s" % (where, row[header["label"]]))
        mine = figures(cells)
        expected = {name: mine[name] for name in BLOCK_COLUMNS}
        expected["running_relative"] = sums[0] / len(all_cells)
        expected["running_absolute"] = sums[1] / len(all_cells)
        for extreme, prefix in (("largest_absolute", "max_absolute"), ("largest_relative", "max_relative")):
            found = mine[extreme]
            rowcol = found[1][:2] if found else (0, 0)
            expected[prefix + "_row"], expected[prefix + "_column"] = rowcol
        if mine["largest_absolute"]:
            _, (_, _, line, s, q, _) = mine["largest_absolute"]
            expected.update(max_absolute_line=line, max_absolute_original=s, max_absolute_quantized=q)
        for name, value in expected.items():
            if not same(row[header[name]], value, 1e-9 if name == "correlation" else 0.0):
                failures.append("%s: %s is %s, expected %r" % (where, name, row[header[name]], value))

    # The run's figures in the JSON summary.
    entry = next(r for r in document["runs"] if r["name"] == run)
    mine = figures(all_cells)
    for name in RUN_FIGURES:
        if not same(json_number(entry[name]), mine[name], 1e-9 if name == "correlation" else 0.0):
            failures.append("%s: JSON %s is %r, expected %r" % (run, name, entry[name], mine[name]))
    check(entry["blocks_paired"] == len(blocks), "%s: JSON blocks_paired %r" % (run, entry["blocks_paired"]))
    check(entry["blocks_unpaired_original"] == passed["unpaired_original"] and
          entry["blocks_unpaired_quantized"] == passed["unpaired_quantized"], "%s: JSON unpaired blocks" % run)
    fraction = len(blocks) / (len(blocks) + passed["unpaired_original"] + passed["left_original"])
    check(same(json_number(entry["paired_fraction"]), fraction), "%s: JSON paired_fraction" % run)
    label_of = {id(cell): label for label, cells in blocks for cell in cells}
    for extreme, key in (("largest_absolute", "max_absolute_at"), ("largest_relative", "max_relative_at")):
        value, cell = mine[extreme]
        at = entry[key]
        check(at is not None and at["label"] == label_of[id(cell)] and
              (at["row"], at["column"], at["line"], at["quantized_line"]) == cell[:3] + cell[5:] and same(json_number(at["original"]), cell[3]) and same(json_number(at["quantized"]), cell[4]),
              "%s: JSON %s is %r, expected block %s cell %r" % (run, key, at, label_of[id(cell)], cell))
    block_figures = [(label, figures(cells)) for label, cells in blocks]
    nonfinite = [label for label, f in block_figures if f["nonfinite_quantized"]]
    check(entry["nonfinite_blocks"] == len(nonfinite) and
          entry["nonfinite_blocks_first"] == (nonfinite[0] if nonfinite else None),
          "%s: JSON nonfinite blocks %r, expected %r" % (run, entry["nonfinite_blocks"], nonfinite[:1]))
    for kind in ("relative_mean", "absolute_mean", "rmse"):
        finite = [(f[kind], label) for label, f in block_figures if math.isfinite(f[kind])]
        best = None
        for value, label in finite:  # the first of equal values
            if best is None or value > best[0]:
                best = (value, label)
        worst = entry["worst_blocks"][kind]
        check(worst is not None and worst["label"] == best[1] and same(json_number(worst["value"]), best[0]),
              "%s: JSON worst block by %s %r, expected %r" % (run, kind, worst, best))

    # The cells file: every cell of the chosen block, in order, each number
    # written as C's and Python's %.17g write it.
    chosen = [cells for label, cells in blocks if label == "0002.00"]
    expected_cells = [(run, "0002.00", str(c[0]), str(c[1])) + tuple(
        "%.17g" % v for v in (c[3], c[4], abs(c[3] - c[4]), relative_term(c[3], c[4]))) for cells in chosen for c in cells]
    found_cells = [tuple(r) for r in cells_rows if r[0] == run]
    check(found_cells == expected_cells,
          "%s: the cells of 0002.00 differ: %r against %r" % (run, found_cells[:2], expected_cells[:2]))
    return entry, block_figures


def check_gates(study, folder, run, entry, block_figures):
    """Each gate passes at the run's own value (as the JSON has it, checked
    above) and fails just past it, naming the first block whose own figure
    crossed the limit."""
    for name, above in (("rmse", True), ("correlation", False), ("max_absolute", True), ("bias", True)):
        value = json_number(entry[name])
        if not math.isfinite(value):
            continue
        for limit, fails in ((value, False), (math.nextafter(value, -math.inf if above else math.inf), True)):
            gate = "%s%s%.17g" % (name, ">" if above else "<", limit)
            done = subprocess.run(study + ["-q", "--allow-partial", "--json", "-", "--fail-if", gate, "original.log", run], cwd=folder,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, universal_newlines=True)
            check(done.returncode == (3 if fails else 0),
                  "%s: --fail-if %s gave exit status %d" % (run, gate, done.returncode))
            outcome = json.loads(done.stdout)["runs"][0]["gates"][0]
            check(outcome["failed"] == fails, "%s: --fail-if %s failed: %r" % (run, gate, outcome["failed"]))
            over = None
            for label, f in block_figures:
                crossed = not (f[name] <= limit) if above else not (f[name] >= limit)
                if crossed:
                    over = label
                    break
            found = outcome["first_block_over"]
            check((found and found["label"]) == over or (found is None and over is None),
                  "%s: --fail-if %s: first block over %r, expected %r" % (run, gate, found, over))


def main():
    build = os.path.abspath(sys.argv[1])
    study = sys.argv[2:] + [os.path.join(build, "gridcmp-study")]
    with tempfile.TemporaryDirectory() as folder:
        runs = write_logs(folder)
        done = subprocess.run(study + ["-q", "--table", "table.tsv", "--json", "study.json", "--cells", "0002.00",
                                       "cells.tsv", "original.log"] + runs, cwd=folder, stdout=subprocess.DEVNULL)
        # A run blew up and others passed over blocks, rows and values: 1.
        check(done.returncode == 1, "the study exited %d" % done.returncode)
        lines = open(os.path.join(folder, "table.tsv")).read().splitlines()
        header = {name: i for i, name in enumerate(lines[0].split("\t"))}
        table = [line.split("\t") for line in lines[1:]]
        document = json.load(open(os.path.join(folder, "study.json")))
        cells_lines = open(os.path.join(folder, "cells.tsv")).read().splitlines()
        check(cells_lines[0] == "run\tlabel\trow\tcolumn\toriginal\tquantized\tabsolute\trelative",
              "cells header: " + cells_lines[0])
        cells_rows = [line.split("\t") for line in cells_lines[1:]]
        for run in runs:
            entry, block_figures = check_run(folder, run, table, header, document, cells_rows)
            if run != "blowup.log":
                check_gates(study, folder, run, entry, block_figures)
    for failure in failures[:25]:
        print(failure)
    if failures:
        sys.exit(1)
    print("the study's figures agree with a separate computation on %d runs" % len(runs))


if __name__ == "__main__":
    main()
