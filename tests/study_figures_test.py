#!/usr/bin/env python3
"""gridcmp-study's own figures against a separate computation.

Generates an original log and quantized logs with ragged rows, unpaired
blocks on both sides (at the start and later), quantized values of 0 and
quantized blocks longer than the original's, reads them here on their own
(a plain model of how blocks pair and end, not the program's code) and works
out every table row's running means, the summary's means over all cells and
its worst blocks, and the verdict of --max-relative and --max-absolute at a
limit equal to a run's mean (passes) and one just below it (fails).

    study_figures_test.py BUILD_DIR [EMULATOR...]
"""
import math
import os
import random
import subprocess
import sys
import tempfile


def fail(message):
    print(message)
    sys.exit(1)


# ---- the logs -------------------------------------------------------------

def time_line(label):
    return "VistaGrid timeline paso t = %s" % label


def write_logs(folder):
    rng = random.Random(7)
    blocks = []
    for k in range(40):
        label = "%07.2f" % (k / 4)
        rows = []
        for r in range(rng.randint(3, 7)):
            width = rng.choice([6, 6, 6, 4, 5])  # ragged rows in the original too
            rows.append([(rng.random() - 0.5) * 10 ** rng.randint(-4, 4) for _ in range(width)])
        blocks.append((label, rows))

    def render(path, entries):
        with open(path, "w") as out:
            for label, rows in entries:
                out.write(time_line(label) + "\nfila a b c d e f\n==== = = = = = =\n")
                for r, cells in enumerate(rows, 1):
                    out.write(str(r) + "".join(" " + text for text in cells) + "\n")
                out.write("\n")

    render(os.path.join(folder, "original.log"),
           [(label, [["%.17g" % v for v in row] for row in rows]) for label, rows in blocks])
    runs = {}
    # Rounded, some rows narrower than the original's.
    runs["narrow.log"] = [(label, [["%.3e" % v for v in row[:len(row) - (r % 3 == 2)]]
                                   for r, row in enumerate(rows)]) for label, rows in blocks]
    # Blocks missing, a block of its own at the start (it sorts first) and
    # later, values of 0.
    gappy = [("-000.25", [["1"] * 6])]
    for k, (label, rows) in enumerate(blocks):
        if k % 7 == 3:
            continue
        gappy.append((label, [["0" if rng.random() < 0.03 else "%.5g" % v for v in row] for row in rows]))
        if k % 9 == 4:
            gappy.append((label + "5", [["2"] * 6]))
    runs["gappy.log"] = gappy
    # A row more than the original's in some blocks.
    runs["longer.log"] = [(label, [["%.6g" % v for v in row] for row in rows] +
                           ([["9"] * 6] if k % 4 == 1 else []))
                          for k, (label, rows) in enumerate(blocks)]
    for name, entries in runs.items():
        render(os.path.join(folder, name), entries)
    return list(runs)


# ---- a plain model of the comparison -------------------------------------

class Log:
    def __init__(self, path):
        data = open(path, "rb").read()
        self.lines = data.split(b"\n")
        if data.endswith(b"\n"):
            self.lines.pop()
        self.next = 0
        self.ended = False
        self.line = b""
        self.label = b""

    def read(self):
        if self.next < len(self.lines):
            self.line = self.lines[self.next]
            self.next += 1
        else:
            self.line = b""
            self.ended = True

    def take_label(self):
        self.label = self.line.split()[5]
        for _ in range(3):
            self.read()

    def advance(self):
        while True:
            self.read()
            if self.ended or b"ine" in self.line:
                break
        if not self.ended:
            self.take_label()

    def values(self):
        return [float(token) for token in self.line.split(b" ") if token][1:]


def terminator(line):
    return not line.strip(b" ") or b"---" in line


def relative_term(s, q):
    if q == 0.0:
        return math.nan if s == 0.0 or math.isnan(s) else math.inf
    return abs(1.0 - s / q)


def model(original_path, quantized_path):
    """Every compared block, in order: its label, its sums and cells, and the
    sums since the start (added cell by cell, as the block's are)."""
    original, quantized = Log(original_path), Log(quantized_path)
    for log in (original, quantized):
        log.read()
        log.take_label()
    blocks = []
    relative = absolute = 0.0
    total_relative = total_absolute = 0.0
    cells = 0

    def catch_up():
        (original if original.label < quantized.label else quantized).advance()

    if original.label != quantized.label:
        catch_up()
    while not original.ended and not quantized.ended:
        if original.label != quantized.label:
            catch_up()
            continue
        s, q = original.values(), quantized.values()
        assert len(s) >= len(q) and not terminator(quantized.line), "the generated logs must not stop the run"
        for i in range(len(q)):
            relative += relative_term(s[i], q[i])
            absolute += abs(s[i] - q[i])
            total_relative += relative_term(s[i], q[i])
            total_absolute += abs(s[i] - q[i])
        cells += len(q)
        original.read()
        quantized.read()
        if terminator(original.line):
            blocks.append((original.label.decode(), relative, absolute, cells, total_relative, total_absolute))
            relative = absolute = 0.0
            cells = 0
            original.advance()
            quantized.advance()
    return blocks


# ---- the study against the model ------------------------------------------

def same(a, b):
    return (math.isnan(a) and math.isnan(b)) or a == b


def main():
    build = os.path.abspath(sys.argv[1])
    emulator = sys.argv[2:]
    study = emulator + [os.path.join(build, "gridcmp-study")]
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        runs = write_logs(folder)
        done = subprocess.run(study + ["-q", "--table", "table.tsv", "original.log"] + runs, cwd=folder,
                              stdout=subprocess.PIPE, universal_newlines=True)
        if done.returncode != 0:
            fail("the study exited %d" % done.returncode)
        table = [line.split("\t") for line in open(os.path.join(folder, "table.tsv")).read().splitlines()]
        header = table[0]
        column = {name: header.index(name) for name in ("run", "label", "running_relative", "running_absolute")}
        summary = {line.split()[0]: line for line in done.stdout.splitlines()[1:]}

        for run in runs:
            blocks = model(os.path.join(folder, "original.log"), os.path.join(folder, run))
            rows = [row for row in table[1:] if row[column["run"]] == run]
            if len(rows) != len(blocks):
                failures.append("%s: %d table rows, %d blocks compared here" % (run, len(rows), len(blocks)))
                continue
            total_cells = 0
            worst = {}
            for row, (label, relative, absolute, cells, total_relative, total_absolute) in zip(rows, blocks):
                total_cells += cells
                expected = (total_relative / total_cells, total_absolute / total_cells)
                found = (float(row[column["running_relative"]]), float(row[column["running_absolute"]]))
                if row[column["label"]] != label or not all(map(same, expected, found)):
                    failures.append("%s, block %s: running means %r, expected %r" % (run, label, found, expected))
                for kind, mean in (("relative", relative / cells), ("absolute", absolute / cells)):
                    if math.isfinite(mean) and (kind not in worst or mean > worst[kind][0]):
                        worst[kind] = (mean, label)
            relative_mean = total_relative / total_cells
            absolute_mean = total_absolute / total_cells
            line = summary.get(run, "")
            for text in ("%.6e" % relative_mean,
                         "%.6e" % absolute_mean,
                         "%.6e at %s" % (worst["relative"][0], worst["relative"][1]),
                         "%.6e at %s" % (worst["absolute"][0], worst["absolute"][1])):
                if (" " + text + " ") not in line:
                    failures.append("%s: the summary lacks %r: %s" % (run, text, line))

            # The gate, at the run's own mean and just below it.
            for option, mean in (("--max-relative", relative_mean), ("--max-absolute", absolute_mean)):
                if not math.isfinite(mean):
                    limits = [(1e300, 3)]  # nan and inf are above any limit
                else:
                    limits = [(mean, 0), (math.nextafter(mean, 0.0), 3)]
                for limit, status in limits:
                    got = subprocess.run(study + ["-q", option, "%.17g" % limit, "original.log", run], cwd=folder,
                                         stdout=subprocess.DEVNULL).returncode
                    if got != status:
                        failures.append("%s: %s %.17g gave exit status %d, expected %d" % (run, option, limit, got,
                                                                                           status))
    for failure in failures[:20]:
        print(failure)
    if failures:
        sys.exit(1)
    print("the study's figures agree with a separate computation on %d runs" % len(runs))


if __name__ == "__main__":
    main()
