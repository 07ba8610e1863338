#!/usr/bin/env python3
"""gridcmp-study's figures of shape and weight against numpy.

Writes a latitude-longitude-like original log (12 blocks of 9 rows x 16
columns, some rows narrower, a constant block, values of 0, a field that
crosses zero) and runs rounded as fp16 and bf16, one with a nan, an inf and
cells of opposite signs; reads them through logmodel, not the program's
code; runs the study plain, with --tolerance, --row-weights and --latitudes;
and works out every block's and run's psnr, std_ratio, quantiles of |s-q|,
digits, error autocorrelations, over_tolerance and weighted figures.

Precision: weighted means with --row-weights, summed in the study's order
(each row's cells in column order, then w * row sum row after row, over the
chain of w * n), and the unweighted ones, to the last bit, counts exactly;
where cos or log10 enter and for pooled moments (correlation, std_ratio,
autocorrelations) to 1e-12 relative (absolute below 1); quantiles within a
relative 2^-10 of the value at rank (n*P + 999) // 1000, and 0, nan and inf
exactly. What no weight changes stays the plain study's, byte for byte.
Also a block with more rows than the weights file, gates, usage errors.

    study_weighted_figures_test.py BUILD_DIR [EMULATOR...]
"""
import json
import math
import os
import subprocess
import sys
import tempfile

try:
    import numpy as np
except ImportError:
    print("numpy is missing: the check of the new study figures is skipped")
    sys.exit(77)

from logmodel import figures as plain_figures, model, render

NEW = ["psnr", "std_ratio", "absolute_p50", "absolute_p90", "absolute_p99", "absolute_p999", "digits_mean",
       "digits_min", "error_autocorrelation_row", "error_autocorrelation_column"]
OLD = ["bias", "rmse", "nrmse", "original_mean", "quantized_mean"]  # summed in the log's order without weights
CHAINED = OLD + ["absolute_mean_weighted", "relative_mean_weighted"]  # to the bit with --row-weights
WEIGHTED = OLD + ["correlation", "psnr", "std_ratio", "digits_mean"]
WEIGHTS = [0.0, 0.5, 0.75, 1.0, 1.25, 1.0, 0.75, 0.5, 0.3]  # row 1 weighs nothing
FILE_WEIGHTS = {"option": "--row-weights", "file": "weights.txt", "values": WEIGHTS}
failures = []


# ---- the logs -------------------------------------------------------------

def field(k, rows=9):
    rng = np.random.default_rng(k)
    lat, lon = np.radians(np.linspace(-80, 80, rows))[:, None], np.radians(np.arange(16) * 22.5)[None, :]
    s = 250 + 40 * np.cos(lat) + 8 * np.sin(lon + 0.3 * k) + rng.normal(0, 0.5, (rows, 16))
    if k == 2:
        s[0, :4] = 0.0  # values of 0 in both logs
    if k == 3:
        s = np.round(4 * s) / 4  # fp16 keeps every value: no error at all
    if k == 5:
        s = np.full((rows, 16), 2.0)  # a constant block
    if k == 8:
        s = 10 * np.sin(lon + k) * np.cos(lat) + rng.normal(0, 0.1, (rows, 16))  # crosses zero
        s[4] *= 1e-7  # fp16 rounds some to 0
    return s


def bf16(x):
    bits = np.asarray(x, np.float32).view(np.uint32)
    bits = (bits + np.uint32(0x7FFF) + ((bits >> 16) & 1)) & np.uint32(0xFFFF0000)
    return bits.view(np.float32).astype(np.float64)


def write_log(path, fields):
    ragged = lambda k, r: 16 - (k % 3 == 1) * {3: 2, 6: 1}.get(r, 0)  # rows narrower in both logs
    render(path, [("%07.2f" % (k / 4), [["%.17g" % v for v in row[:ragged(k, r)]] for r, row in enumerate(f)])
                  for k, f in enumerate(fields)])


def write_logs(folder):
    original = [field(k) for k in range(12)]
    fp16 = [f.astype(np.float16).astype(np.float64) for f in original]
    broken = [f.copy() for f in fp16]
    broken[4][1, 2], broken[7][4, 5] = math.nan, math.inf
    broken[8][2, :3] = -original[8][2, :3]  # opposite signs
    broken[9][0, 3] = math.nan  # in row 1, which --row-weights weighs 0
    # Errors of the values' last bits, far smaller than the values' sums' rounding.
    rng = np.random.default_rng(3)
    last_bits = [np.where(rng.random(f.shape) < 0.7, np.nextafter(f, np.where(rng.random(f.shape) < 0.5, -np.inf, np.inf)), f)
                 for f in original]
    for name, fields in (("original.log", original), ("fp16.log", fp16), ("bf16.log", [bf16(f) for f in original]),
                         ("broken.log", broken), ("last_bits.log", last_bits),
                         ("frozen.log", [np.full(f.shape, 0.1) for f in original])):  # no spread, sums not exact
        write_log(os.path.join(folder, name), fields)
    # Block 1 outgrows the weights, block 2 has errors below 2^-1022 in most cells, block 3 one row.
    tall = [field(0), field(1, 10), field(2), field(3, 1)]
    tall[2][:6] *= 1e-320
    write_log(os.path.join(folder, "tall.log"), tall)
    write_log(os.path.join(folder, "tall_bf16.log"), [bf16(f) for f in tall])
    with open(os.path.join(folder, "weights.txt"), "w") as out:
        out.write("".join(" %r \n" % w for w in WEIGHTS))
    # Blocks of one row, of which the weights leave none a weight.
    write_log(os.path.join(folder, "one_row.log"), [field(k, 1) for k in range(3)])
    write_log(os.path.join(folder, "one_row_bf16.log"), [bf16(field(k, 1)) for k in range(3)])
    open(os.path.join(folder, "zero_first.txt"), "w").write("0\n1\n")
    # The same weights times 2^1020: w * x would pass the largest double.
    open(os.path.join(folder, "huge.txt"), "w").write("".join("%r\n" % math.ldexp(w, 1020) for w in WEIGHTS))
    return ["fp16.log", "bf16.log", "broken.log", "last_bits.log", "frozen.log"]


# ---- the figures, here ----------------------------------------------------

def row_weight(weights, rows, r):
    """Row r's weight (from 1) in a block of `rows` compared rows."""
    if weights is None:
        return 1.0
    if weights["option"] == "--latitudes":
        first, last = weights["first"], weights["last"]
        lat = first if rows == 1 else first + ((last - first) * (r - 1)) / (rows - 1)
        return math.cos(lat * math.pi / 180.0)
    return weights["values"][r - 1] if r <= len(weights["values"]) else math.nan  # missing rows weigh nan


def rows_of(cells, weights):
    """A block's rows: (row, weight, s, q), cells in column order."""
    numbers = sorted({c[0] for c in cells})
    return [(r, row_weight(weights, len(numbers), r), np.array([c[3] for c in cells if c[0] == r]),
             np.array([c[4] for c in cells if c[0] == r])) for r in numbers]


def chain_mean(rows, x):
    """Each row's plain sum in column order, then sum(w * row sum) / sum(w * n), as the study sums."""
    total = weight = 0.0
    at = 0
    for _, w, s, _ in rows:
        row_sum = 0.0
        for value in x[at:at + len(s)].tolist():
            row_sum += value
        total += w * row_sum
        weight += w * len(s)
        at += len(s)
    return np.float64(total) / weight


def moments(x, y, w):
    """The weighted second moments of x and y and their co-moment, each about its own weighted mean (a
    member of one value has no spread)."""
    mean = lambda v: v[0] if len(v) and np.all(v == v[0]) else np.sum(w * v) / np.sum(w)
    dx, dy = x - mean(x), y - mean(y)
    return np.sum(w * dx * dx), np.sum(w * dy * dy), np.sum(w * dx * dy)


def pearson(x, y, w):
    """Weighted Pearson's r; nan with no cell, no spread or a value not finite."""
    if len(x) == 0 or not (np.all(np.isfinite(x)) and np.all(np.isfinite(y))):
        return math.nan
    xx, yy, xy = moments(x, y, w)
    return min(1.0, max(-1.0, xy / math.sqrt(xx * yy))) if xx > 0 and yy > 0 and math.isfinite(xy) else math.nan


def figures(blocks, tolerance):
    """The figures of some blocks' rows (one block, or every block of a run)."""
    rows = [row for block in blocks for row in block]
    s, q = np.concatenate([r[2] for r in rows]), np.concatenate([r[3] for r in rows])
    w = np.concatenate([np.full(len(r[2]), r[1]) for r in rows])
    e, n = s - q, len(s)
    a = np.abs(e)
    span = np.nanmax(s) - np.nanmin(s)
    result = {}
    with np.errstate(all="ignore"):
        relative = np.where(q == 0, np.where((s == 0) | np.isnan(s), math.nan, math.inf), np.abs(1 - s / q))
        digits = np.where(s == q, 17.0, -np.log10(a / np.maximum(np.abs(s), np.abs(q))))
        mse = chain_mean(rows, e * e)
        xx, qq, _ = moments(s, q, w)
        result.update(bias=chain_mean(rows, e), rmse=np.sqrt(mse), nrmse=math.nan if span == 0 else np.sqrt(mse) / span,
                      original_mean=chain_mean(rows, s), quantized_mean=chain_mean(rows, q),
                      correlation=pearson(s, q, w), psnr=20 * np.log10(span) - 10 * np.log10(mse),
                      std_ratio=np.sqrt(qq) / np.sqrt(xx), digits_mean=chain_mean(rows, digits),
                      digits_min=digits.min(), absolute_mean_weighted=chain_mean(rows, a),
                      relative_mean_weighted=chain_mean(rows, relative))
    ordered = np.sort(a)  # nan last
    for p in (500, 900, 990, 999):
        result["absolute_p%d" % (p // 10 if p < 999 else p)] = ordered[(n * p + 999) // 1000 - 1]
    along, down = ([], []), ([], [])
    for block in blocks:
        errors = [r[2] - r[3] for r in block]
        for k, row in enumerate(errors):
            along[0].extend(row[:-1])
            along[1].extend(row[1:])
            if k + 1 < len(errors):
                width = min(len(row), len(errors[k + 1]))
                down[0].extend(row[:width])
                down[1].extend(errors[k + 1][:width])
    for name, (x, y) in (("row", along), ("column", down)):
        result["error_autocorrelation_" + name] = pearson(np.array(x), np.array(y), np.ones(len(x)))
    if tolerance is not None:
        over = int(np.sum((a > tolerance) | np.isnan(a)))
        result.update(over_tolerance=over, over_tolerance_fraction=over / n)
    return result


# ---- the study against them -------------------------------------------------

def agrees(name, got, want, bitwise):
    got, want = float(got), float(want)
    if got == want or (math.isnan(got) and math.isnan(want)):
        return True
    if name.startswith("absolute_p"):
        bound = 2.0 ** -10 * abs(want) if abs(want) >= 2.0 ** -1022 else 2.0 ** -1031
        return want != 0 and math.isfinite(want) and abs(got - want) <= bound
    return not bitwise and abs(got - want) <= 1e-12 * max(1.0, abs(want))


def check_study(study, folder, runs, options, weights, tolerance, status, original="original.log"):
    """Runs the study (expecting exit status `status`) and holds each block's row and each run's JSON
    figures against the figures here; weights: None or the JSON "weights" object the options make."""
    done = subprocess.run(study + ["-q", "--table", "-", "--json", "study.json"] + options + [original] + runs,
                          cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, universal_newlines=True)
    if done.returncode != status:
        failures.append("%s %s: exit status %d, expected %d" % (options, runs, done.returncode, status))
    if done.returncode == 2:
        return [], {}
    lines = done.stdout.splitlines()
    header = lines[0].split("\t")
    table = [dict(zip(header, line.split("\t"))) for line in lines[1:]]
    document = json.load(open(os.path.join(folder, "study.json")))
    optional = CHAINED[5:] * bool(weights) + ["over_tolerance", "over_tolerance_fraction"] * (tolerance is not None)
    last = header.index("nonfinite_original") + 1
    if header[last:last + len(NEW)] != NEW or sorted(header[last + len(NEW):]) != sorted(optional):
        failures.append("%s: new columns %r" % (options, header[last:]))
    if document["weights"] != weights or document["tolerance"] != tolerance:
        failures.append("%s: JSON weights %r, tolerance %r" % (options, document["weights"], document["tolerance"]))
    names = OLD + ["correlation"] + NEW + optional
    exact = {"over_tolerance", "over_tolerance_fraction"}.union(
        OLD if weights is None else CHAINED if weights["option"] == "--row-weights" else ())
    for run in runs:
        blocks, _ = model(os.path.join(folder, original), os.path.join(folder, run))
        rows = [row for row in table if row["run"] == run]
        entry = next(r for r in document["runs"] if r["name"] == run)
        unasked = set(entry) & set(CHAINED[5:] + ["over_tolerance", "over_tolerance_fraction"]) - set(optional)
        if len(rows) != len(blocks) or unasked:
            failures.append("%s %s: %d table rows, %d blocks here; %s" % (options, run, len(rows), len(blocks), unasked))
            continue
        grouped = [rows_of(cells, weights) for _, cells in blocks]
        places = [("block " + label, row, [grouped[b]], cells) for b, ((label, cells), row) in enumerate(zip(blocks, rows))]
        places += [("JSON", entry, grouped, [c for _, cells in blocks for c in cells])]
        for where, found, mine, cells in places:
            expected = figures(mine, tolerance)
            if weights is None:
                expected.update({name: plain_figures(cells)[name] for name in OLD})
            for name in names:
                value = found.get(name, "missing")
                if value == "missing" or not agrees(name, math.nan if value is None else value, expected[name],
                                                    name in exact):
                    failures.append("%s %s, %s: %s is %s, expected %r" % (options, run, where, name, value, expected[name]))
    return table, document


def main():
    study = sys.argv[2:] + [os.path.join(os.path.abspath(sys.argv[1]), "gridcmp-study")]
    with tempfile.TemporaryDirectory() as folder:
        runs = write_logs(folder)
        plain, _ = check_study(study, folder, runs, [], None, None, 1)  # broken.log turned nan: exit status 1
        for options, weights, tolerance in ((["--tolerance", "0.0625"], None, 0.0625),
                                            (["--row-weights", "weights.txt"], FILE_WEIGHTS, None),
                                            (["--latitudes", "-90:90", "--tolerance", "0"],
                                             {"option": "--latitudes", "first": -90, "last": 90}, 0)):
            table, _ = check_study(study, folder, runs, options, weights, tolerance, 1)
            if options[0] == "--row-weights":  # only ratios of weights count: huge ones give the same figures
                done = subprocess.run(study + ["-q", "--table", "-", "--row-weights", "huge.txt", "original.log"] + runs,
                                      cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                      universal_newlines=True)
                if done.stdout.splitlines()[1:] != ["\t".join(row.values()) for row in table]:
                    failures.append("--row-weights times 2^1020: figures differ from the weights'")
            for row, before in zip(table, plain):  # what no weight changes stays as the plain study wrote it
                changed = [name for name in before if name not in WEIGHTED and row[name] != before[name]]
                if changed:
                    failures.append("%s: %s %s changed %s" % (options, row["run"], row["label"], changed[:3]))

        # A block with more rows than the weights file: its weighted figures nan, the run fails.
        _, document = check_study(study, folder, ["tall_bf16.log"], ["--row-weights", "weights.txt"], FILE_WEIGHTS,
                                  None, 1, "tall.log")
        if "rows_beyond_weights" not in [d["kind"] for r in document.get("runs", []) for d in r["diagnostics"]]:
            failures.append("no rows_beyond_weights diagnostic")
        check_study(study, folder, ["tall_bf16.log"], ["--latitudes", "75:-30"],
                    {"option": "--latitudes", "first": 75, "last": -30}, None, 0, "tall.log")
        # The last row's latitude rounds past 90: it weighs cos(90 degrees), not nan.
        check_study(study, folder, ["tall_bf16.log"], ["--latitudes", "-87.7669:90"],
                    {"option": "--latitudes", "first": -87.7669, "last": 90}, None, 0, "tall.log")
        # No row with a weight: weighted figures nan, said as such (not as an overflow), and the run fails.
        _, document = check_study(study, folder, ["one_row_bf16.log"], ["--row-weights", "zero_first.txt"],
                                  {"option": "--row-weights", "file": "zero_first.txt", "values": [0.0, 1.0]}, None, 1,
                                  "one_row.log")
        kinds = [d["kind"] for r in document.get("runs", []) for d in r["diagnostics"] if d["exit_status"]]
        if kinds != ["no_weight"]:
            failures.append("weights of 0 for every row: failing diagnostics %s, expected no_weight alone" % kinds)

        # Gates on the new figures pass at the run's value and fail just past it.
        options = ["--row-weights", "weights.txt", "--tolerance", "0.0625"]
        _, document = check_study(study, folder, ["bf16.log"], options, FILE_WEIGHTS, 0.0625, 0)
        entry = document["runs"][0] if document else {}
        for name, sign in (("psnr", "<"), ("digits_min", "<"), ("absolute_p99", ">"), ("std_ratio", "<"),
                           ("absolute_mean_weighted", ">"), ("over_tolerance_fraction", ">")) if entry else ():
            for limit, status in ((entry[name], 0), (math.nextafter(entry[name], math.inf if sign == "<" else -math.inf), 3)):
                gate = "%s%s%.17g" % (name, sign, limit)
                done = subprocess.run(study + ["-q", "--fail-if", gate] + options + ["original.log", "bf16.log"],
                                      cwd=folder, stdout=subprocess.DEVNULL)
                if done.returncode != status:
                    failures.append("--fail-if %s: exit %d, expected %d" % (gate, done.returncode, status))

        # Usage errors: exit status 2.
        usage = []
        for name, text in (("negative", "1\n-0.5\n"), ("nan", "1\nnan\n"), ("inf", "inf\n1\n"), ("zeros", "0\n 0 \n"),
                           ("empty", ""), ("junk", "1\n1x\n")):
            open(os.path.join(folder, name + ".txt"), "w").write(text)
            usage.append(["--row-weights", name + ".txt"])
        usage += [["--latitudes", text] for text in ("-91:90", "0:90.5", "nan:0", "10", "a:b", "10:20:30", "")]
        usage += [["--latitudes", "-90:90", "--row-weights", "weights.txt"], ["--tolerance", "-1"], ["--tolerance", "inf"],
                  ["--fail-if", "over_tolerance>3"], ["--fail-if", "over_tolerance_fraction>0.1"],
                  ["--fail-if", "absolute_mean_weighted>1"], ["--tolerance", "1", "--fail-if", "relative_mean_weighted>1"]]
        for options in usage:
            done = subprocess.run(study + ["-q"] + options + ["original.log", "bf16.log"], cwd=folder,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if done.returncode != 2:
                failures.append("%s: exit %d, expected 2" % (options, done.returncode))
    for failure in failures[:40]:
        print(failure)
    print("%d disagreements" % len(failures) if failures else "the new study figures agree with numpy")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
