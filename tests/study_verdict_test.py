#!/usr/bin/env python3
"""gridcmp-study's verdicts against a separate computation.

One generated study per kind of broken or incomplete run: a run that turns
nan from one block, one that turns inf in another, exact zeros in a healthy
run (some where the original is 0 too), an overflow (one of |1-s/q| beside
zeros in other blocks), an unpaired block on
each side, a run cut short, narrower quantized rows; and an original that is
not finite, against finite runs. The logs are read here on their own
(logmodel.py); from that reading, the expected counts of each kind of cell,
the first non-finite cell, the extremes, and each run's exit status and
verdict under the default test, --allow-partial, --strict, both, and gates
that replace a default test, are held against the study's JSON summary.

    study_verdict_test.py BUILD_DIR [EMULATOR...]
"""
import json
import math
import os
import subprocess
import sys
import tempfile

from logmodel import figures, first_of_kind, json_number, kind, model, render, same

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


LABELS = ["%07.2f" % (k / 2) for k in range(12)]


def field(k, r, c):
    """The original run: a field through zero, exactly 0 at two cells."""
    return 0.0 if (k, r, c) in ((2, 2, 3), (5, 1, 4)) else math.sin(0.7 * k + 1.3 * r - 0.4 * c) * 8.0


def write_logs(folder):
    original = [(label, [[field(k, r, c) for c in range(6)] for r in range(4)]) for k, label in enumerate(LABELS)]
    rounded = [(label, [["%.4g" % v for v in row] for row in rows]) for label, rows in original]

    def changed(change):  # the rounded run, cell by cell through change(k, r, c, text)
        return [(label, [[change(k, r, c, text) for c, text in enumerate(row)] for r, row in enumerate(rows)])
                for k, (label, rows) in enumerate(rounded)]

    runs = {
        "rounded.log": rounded,
        "nan.log": changed(lambda k, r, c, t: "nan" if k >= 6 and (r, c) >= (1, 2) and c % 2 == 0 else t),
        "inf.log": changed(lambda k, r, c, t: "inf" if (k, r, c) == (3, 3, 0) else "-inf" if k == 8 and c == 5 else t),
        "zeros.log": changed(lambda k, r, c, t: "0" if (k, r, c) in ((1, 0, 1), (4, 3, 2)) else t),
        "overflow.log": changed(lambda k, r, c, t: "1e300" if (k, r, c) == (9, 1, 1) else t),
        # |1-s/q| past the largest double in a block without a 0, zeros in others
        "tiny.log": changed(lambda k, r, c, t: "1e-320" if (k, r, c) == (9, 1, 1) else "0" if (k, r, c) == (1, 0, 1)
                            else t),
        "unpaired.log": [entry for k, entry in enumerate(rounded) if k != 5] + [("0002.25", rounded[0][1])],
        "cut.log": rounded[:8],
        # nan in the last rows it wrote, inside a block it never finished
        "died.log": rounded[:7] + [(LABELS[7], [["nan", "1"] + row[2:] for row in rounded[7][1][:2]])],
        "narrow.log": [(label, [row[:5] if k in (2, 3) else row for row in rows])
                       for k, (label, rows) in enumerate(rounded)],
    }
    runs["unpaired.log"].sort()
    render(os.path.join(folder, "skipped.log"), rounded[:4] + rounded[5:])
    render(os.path.join(folder, "original.log"), [(l, [["%.17g" % v for v in row] for row in rows])
                                                  for l, rows in original])
    broken = [(l, [["nan" if (k, r, c) == (4, 2, 1) else "inf" if (k, r) == (7, 0) else "%.17g" % v
                    for c, v in enumerate(row)] for r, row in enumerate(rows)]) for k, (l, rows) in enumerate(original)]
    render(os.path.join(folder, "broken.log"), broken)
    for name, entries in runs.items():
        render(os.path.join(folder, name), entries)
    with open(os.path.join(folder, "died.log"), "r+") as died:  # no blank line after its last rows
        text = died.read()
        died.seek(0)
        died.write(text[:-1])
        died.truncate()
    return list(runs)


def expected_reasons(blocks, passed, f, first_nan, original_first, options):
    """Why the run fails, as the model sees it: (verdict, exit status). original_first: the run's own first
    nan or inf of the original, else the study's."""
    gates = " ".join(options)
    reasons = []
    if original_first and "nonfinite_original" not in gates:
        label, cell = original_first
        reasons.append(("original %s from %s" % ("nan" if math.isnan(cell[3]) else "inf", label), 1))
    if first_nan and "nonfinite_quantized" not in gates:
        label, cell = first_nan
        reasons.append(("%s from %s" % ("nan" if math.isnan(cell[4]) else "inf", label), 1))
    finite = f["nonfinite_cells"] == 0
    # A block whose relative mean is not finite though it has no quantized 0 overflowed.
    relative = [figures(cells) for _, cells in blocks]
    relative = any(b["zero_quantized"] == 0 and not math.isfinite(b["relative_mean"]) for b in relative)
    if finite and (relative or not all(math.isfinite(f[name]) for name in ("rmse", "bias", "absolute_mean"))):
        reasons.append(("overflow", 1))
    # A gate replaces the test of what its figure counts.
    replaced = {"unpaired_original": ("paired_fraction", "blocks_unpaired_original"),
                "unpaired_quantized": ("blocks_unpaired_quantized",),
                "left_original": ("paired_fraction", "blocks_left"), "left_quantized": ("blocks_left",),
                "wider_rows": (), "longer_blocks": ()}
    if "--allow-partial" not in options and any(
            passed[what] and not any(figure in gates for figure in figures) for what, figures in replaced.items()):
        reasons.append(("partial", 1))
    for gate in options:
        name = gate.split("<")[0].split(">")[0]
        if gate.startswith(name) and name in f:
            value, limit = f[name], float(gate[len(name) + 1:])
            if not (value <= limit if ">" in gate else value >= limit):
                reasons.append(("gate " + name, 3))
    return reasons


def status_of(reasons):
    statuses = {status for _, status in reasons}
    return 2 if 2 in statuses else 1 if 1 in statuses else 3 if 3 in statuses else 0


def check_cell(run, what, at, expected):
    if expected is None:
        check(at is None, "%s: %s is %r, expected none" % (run, what, at))
        return
    label, cell = expected
    found = at and (at["label"], at["row"], at["column"], at["line"], at["quantized_line"])
    check(found == (label,) + cell[:3] + cell[5:], "%s: %s is %r, expected %r" % (run, what, found, expected))


def check_first_block_over(where, gate, blocks):
    """The first block whose own figure crossed the gate's limit; a nan
    crosses where nan or inf cells made it so."""
    name, limit, above = gate["figure"], gate["limit"], gate["fails_if"] == ">"
    over = None
    for label, cells in blocks:
        value = figures(cells).get(name)
        if value is None:
            return  # a figure of the run only
        crossed = not (value <= limit) if above else not (value >= limit)
        if crossed and (not math.isnan(value) or figures(cells)["nonfinite_cells"]):
            over = label
            break
    found = gate["first_block_over"] and gate["first_block_over"]["label"]
    check(found == over, "%s: %s first block over %r, expected %r" % (where, name, found, over))


def study(command, folder, original, runs, options):
    done = subprocess.run(command + ["-q", "--json", "-"] + options + [original] + runs, cwd=folder,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, universal_newlines=True)
    return done.returncode, json.loads(done.stdout)


def check_study(command, folder, original, runs, option_sets):
    path = lambda name: os.path.join(folder, name)
    read = {run: model(path(original), path(run)) for run in runs}
    original_first = None  # the original's first nan or inf, over every run
    for run in runs:
        blocks, passed = read[run]
        found = first_of_kind(blocks + ([passed["unfinished"]] if passed["unfinished"] else []), "nonfinite_original")
        if found and (original_first is None or found[1][2] < original_first[1][2]):
            original_first = found
    for options in option_sets:
        status, document = study(command, folder, original, runs, options)
        statuses = []
        for run, entry in zip(runs, document["runs"]):
            blocks, passed = read[run]
            f = figures([cell for _, cells in blocks for cell in cells])
            unfinished = [passed["unfinished"]] if passed["unfinished"] else []
            first_nan = first_of_kind(blocks + unfinished, "nonfinite_quantized")
            where = "%s %s" % (run, " ".join(options))
            for name in ("zero_quantized", "nonfinite_quantized", "nonfinite_original", "max_absolute",
                         "max_relative"):
                check(same(json_number(entry[name]), f[name]), "%s: %s is %r, expected %r" % (
                    where, name, entry[name], f[name]))
            check(entry["nonfinite_blocks"] == sum(1 for _, cells in blocks
                                                   if any(kind(c[3], c[4]) == "nonfinite_quantized" for c in cells)),
                  "%s: nonfinite_blocks %r" % (where, entry["nonfinite_blocks"]))
            check_cell(where, "nonfinite_quantized_at", entry["nonfinite_quantized_at"], first_nan)
            check_cell(where, "nonfinite_original_at", entry["nonfinite_original_at"],
                       first_of_kind(blocks + unfinished, "nonfinite_original"))
            check_cell(where, "max_absolute_at", entry["max_absolute_at"], next(
                ((label, c) for label, cells in blocks for c in cells if c is f["largest_absolute"][1]), None))
            own = first_of_kind(blocks + unfinished, "nonfinite_original")
            reasons = expected_reasons(blocks, passed, f, first_nan, own or original_first, options)
            found = [(reason["verdict"], reason["exit_status"]) for reason in entry["reasons"]]
            check(found == reasons, "%s: reasons %r, expected %r" % (where, found, reasons))
            check(entry["verdict"] == (reasons[0][0] if reasons else "pass"), "%s: verdict %r" % (where, entry["verdict"]))
            for gate in entry["gates"]:
                check_first_block_over(where, gate, blocks)
            for said in entry["diagnostics"]:  # a gate's nan from the original says so
                if said["kind"] == "gate_failed" and own and " nan fails" in said["message"]:
                    check("because the original is not finite from '%s'" % own[0] in said["message"],
                          "%s: %s" % (where, said["message"]))
            statuses.append(status_of(reasons))
        check(status == status_of([(None, s) for s in statuses]),
              "%s %s: exit status %d, the runs' %r" % (original, " ".join(options), status, statuses))
        check((original_first is None) == all(d["kind"] != "nonfinite_original" for d in document["diagnostics"]),
              "%s: the original's nan or inf said %r" % (original, [d["kind"] for d in document["diagnostics"]]))


def main():
    build = os.path.abspath(sys.argv[1])
    command = sys.argv[2:] + [os.path.join(build, "gridcmp-study")]
    option_sets = [[], ["--allow-partial"], ["--strict"], ["--strict", "--allow-partial"],
                   ["--allow-partial", "--fail-if", "max_absolute>1", "--fail-if", "max_relative>1e6"],
                   ["--fail-if", "nonfinite_quantized>1e9", "--fail-if", "paired_fraction<0.5"]]
    with tempfile.TemporaryDirectory() as folder:
        runs = write_logs(folder)
        check_study(command, folder, "original.log", runs, option_sets)
        # Each run alone: its own exit status.
        for run in runs:
            status, document = study(command, folder, "original.log", [run], [])
            check(status == status_of([(None, r["exit_status"]) for r in document["runs"][0]["reasons"]]),
                  "%s alone: exit status %d" % (run, status))
        # skipped.log never meets the original's first nan: its verdict names the inf it met.
        check_study(command, folder, "broken.log", ["rounded.log", "zeros.log", "nan.log", "skipped.log"],
                    [[], ["--strict"], ["--fail-if", "nonfinite_original>1e9"],
                     ["--allow-partial", "--fail-if", "max_absolute>1", "--fail-if", "rmse>1"]])
    for failure in failures[:25]:
        print(failure)
    if failures:
        sys.exit(1)
    print("the study's verdicts agree with a separate computation on %d runs" % len(runs))


if __name__ == "__main__":
    main()
