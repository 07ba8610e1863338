#!/usr/bin/env python3
"""gridcmp-study --bits against numpy and exact fractions.

Writes an original log (a smooth field written %.17g and %.16e, white
noise, a constant block, one of one column, nan and inf, rows wider than
the runs', values below 2^-1022) and runs rounded as fp16 (%.4e), bf16
(%.3e), fp32 (%.8e, one token of 20 digits) and to 30 bits (%.17g); reads
the logs' text through logmodel and here, and works out every block's and
run's bitwise figures from their definitions alone. Counts and bits
exactly, informations to 1e-12 (relative, absolute below 1); keepbits may
move only where a cumulative sum lies within 1e-12 of the level. Also the
note on an original of few digits, --bits off, --information's errors.

    study_bits_test.py BUILD_DIR [EMULATOR...]
"""
import json
import math
import os
import re
import struct
import subprocess
import sys
import tempfile
from fractions import Fraction

try:
    import numpy as np
except ImportError:
    print("numpy is missing: the check of the study's bitwise information is skipped")
    sys.exit(77)

from logmodel import model, render

BITS = ["bit_pairs", "information_bits", "keepbits", "quantized_bits", "bits_margin", "information_kept"]
Z = 2.5758293035489004
RUNS = ["fp16.log", "bf16.log", "fp32.log", "bits30.log"]
failures = []


# ---- the logs -------------------------------------------------------------

def fields():
    """The original's blocks: 12 rows of 20 values but for the one-column block."""
    rng = np.random.default_rng(22)
    x, y = np.meshgrid(np.linspace(0, 3, 20), np.linspace(0, 2, 12))
    smooth = lambda k: 280 + 15 * np.sin(x + k) * np.cos(y) + 0.01 * rng.normal(size=x.shape)
    blocks = [smooth(0), 0.02 * np.sin(2 * x) * np.exp(-y), rng.normal(size=x.shape), np.full(x.shape, 1000.0),
              smooth(1)[:, :1], smooth(2), smooth(3), 3e-308 * np.sin(x + y), -smooth(4) / 1000]
    blocks[5][1, 3], blocks[5][4, 7], blocks[5][4, 8] = math.nan, math.inf, -math.inf
    return blocks


def mantissa_bits(x, p):
    """x rounded to p stored mantissa bits, ties to even (numpy, the way the runs are made)."""
    word = x.view(np.uint64)
    drop = np.uint64(52 - p)
    half = np.uint64(1) << (drop - np.uint64(1))
    return ((word + half - np.uint64(1) + ((word >> drop) & np.uint64(1))) >> drop << drop).view(np.float64)


def write_logs(folder):
    original = fields()
    label = lambda k: "%07.2f" % (k / 4)
    rows = lambda fs, form, width=20: [(label(k), [[form % v for v in row[:width]] for row in f]) for k, f in enumerate(fs)]
    entries = rows(original, "%.17g")
    for k in (1, 5):
        entries[k] = rows(original, "%.16e")[k]
    render(os.path.join(folder, "original.log"), entries)
    fp16 = [f.astype(np.float16).astype(np.float64) for f in original]
    coarse = rows(original[:1], "%.6f")
    render(os.path.join(folder, "coarse.log"), coarse)  # few digits: the note
    coarse[0][1][6] = ["%.17g" % v for v in original[0][6]]
    render(os.path.join(folder, "mixed.log"), coarse)  # one row of 17 digits: no note
    render(os.path.join(folder, "fp16_start.log"), rows(fp16[:1], "%.4e"))
    fp16[0][2, 3], fp16[2][5, 5] = math.nan, math.inf
    runs = {"fp16.log": (fp16, "%.4e"), "bf16.log": ([mantissa_bits(f, 7) for f in original], "%.3e"),  # bf16's 7 bits
            "fp32.log": ([f.astype(np.float32).astype(np.float64) for f in original], "%.8e"),
            "bits30.log": ([mantissa_bits(f, 30) for f in original], "%.17g")}
    for name, (run, form) in runs.items():
        entries = rows(run, form)
        for r in (1, 4):  # rows of block 6 narrower than the original's
            entries[6][1][r] = entries[6][1][r][:17]
        if name == "fp32.log":
            entries[8][1][3][4] = "%.19e" % run[8][3, 4]  # 20 digits ask for 52 bits
        render(os.path.join(folder, name), entries)


# ---- the figures, here ----------------------------------------------------

def bit_table(values):
    """The 64 bits of each value (rows), index 0 the sign, 1 E < 0, 2..11 |E|, 12..63 the mantissa."""
    word = np.asarray(values, np.float64).view(np.uint64)
    e = ((word >> np.uint64(52)) & np.uint64(0x7FF)).astype(np.int64) - 1023
    bits = np.zeros((len(word), 64), np.int64)
    bits[:, 0] = word >> np.uint64(63)
    bits[:, 1] = e < 0
    for i in range(10):
        bits[:, 2 + i] = (np.abs(e) >> (9 - i)) & 1
    for i in range(52):
        bits[:, 12 + i] = (word >> np.uint64(51 - i)) & np.uint64(1)
    return bits


def pair_counts(rows):
    """Counts of 00, 01, 10, 11 at each position over each row's adjacent finite pairs."""
    counts = np.zeros((4, 64), np.int64)
    for tokens in rows:
        values = np.array([float(t) for t in tokens])
        both = np.isfinite(values[:-1]) & np.isfinite(values[1:])
        bits = bit_table(values)
        first, second = bits[:-1][both], bits[1:][both]
        for x in (0, 1):
            for y in (0, 1):
                counts[2 * x + y] += np.sum((first == x) & (second == y), axis=0)
    return counts


def plogp(p):
    return p * math.log2(p) if p > 0 else 0.0


def information(counts):
    """Each position's mutual information between left and right bits, 0 at or below chance."""
    n = int(counts[:, 0].sum())
    if n == 0:
        return [0.0] * 64
    p = counts / n
    left, right = (p[0] + p[1], p[2] + p[3]), (p[0] + p[2], p[1] + p[3])
    with np.errstate(all="ignore"):
        m = sum(np.where(p[2 * x + y] > 0, p[2 * x + y] * np.log2(p[2 * x + y] / (left[x] * right[y])), 0.0)
                for x in (0, 1) for y in (0, 1))
    p1 = min(1.0, 0.5 + Z / (2 * math.sqrt(n)))
    chance = 1 + plogp(p1) + plogp(1 - p1)
    return [float(v) if v > chance else 0.0 for v in m]


def keepbits(info, level):
    """The keepbits the level asks for, as a range: wider only where a sum lies within 1e-12 of the level."""
    sums, total = [], 0.0
    for v in info:
        total += v
        sums.append(total)
    if total == 0:
        return range(0, 1)
    first = lambda limit: next(k for k in range(53) if sums[11 + k] >= min(limit, total))
    return range(first(level * total * (1 - 1e-12)), first(level * total * (1 + 1e-12)) + 1)


def decimal(token):
    """A plain decimal token's exact value, the power of ten of its last digit and its significant digits."""
    m = re.fullmatch(r"([+-]?)(\d*)(?:\.(\d*))?(?:[eE]([+-]?\d+))?", token)
    if not m or not (m.group(2) or m.group(3)):
        return None
    digits, u = m.group(2) + (m.group(3) or ""), int(m.group(4) or 0) - len(m.group(3) or "")
    return (-1 if m.group(1) == "-" else 1) * int(digits) * Fraction(10) ** u, u, len(digits.lstrip("0"))


def rounded(x, p):
    """x with its mantissa field rounded to the top p bits, ties to even, carrying into the exponent."""
    word = struct.unpack("<Q", struct.pack("<d", x))[0]
    sign, rest, drop = word >> 63, word & (2 ** 63 - 1), 52 - p
    kept, dropped, half = rest >> drop, rest & ((1 << drop) - 1), (1 << drop) >> 1
    rest = (kept + (drop > 0 and (dropped > half or (dropped == half and kept & 1)))) << drop
    if rest >> 52 == 0x7FF:
        return None
    value = Fraction(struct.unpack("<d", struct.pack("<Q", rest))[0])
    return -value if sign else value


def quantized_bits(rows):
    """The fewest mantissa bits that keep every finite non-zero value within half its token's last digit."""
    values = [(float(t), decimal(t)) for tokens in rows for t in tokens if math.isfinite(float(t)) and float(t) != 0]
    if not values:
        return 0
    fits = lambda x, exact, p: (p == 52 if exact is None or exact[2] > 19 else
                                rounded(x, p) is not None and abs(rounded(x, p) - exact[0]) * 2 <= Fraction(10) ** exact[1])
    return next((p for p in range(53) if all(fits(x, exact, p) for x, exact in values)), 52)


def figures(original, quantized, bits, level):
    """The six figures (and the 64 informations) from pair counts and quantized_bits."""
    info, kept = information(original), information(quantized)
    total = math.fsum(info)
    keep = keepbits(info, level)
    return {"bit_pairs": int(original[:, 0].sum()), "information_bits": total, "keepbits": keep,
            "quantized_bits": bits, "bits_margin": range(bits - keep[-1], bits - keep[0] + 1),
            "information_kept": math.fsum(kept) / total if total else math.nan, "bit_information": info}


# ---- the study against them -------------------------------------------------

def agrees(got, want):
    try:
        got = math.nan if got is None else float(got)
    except ValueError:
        return False
    if isinstance(want, range):
        return got in want
    if got == want or (math.isnan(got) and math.isnan(want)):
        return True
    return abs(got - want) <= 1e-12 * max(1.0, abs(want))


def check_study(study, folder, level, options):
    """Runs the study with --bits and holds every block's row and every run's JSON against the figures here."""
    done = subprocess.run(study + ["-q", "--allow-partial", "--bits", "--table", "bits.tsv", "--json", "bits.json"]
                          + options + ["original.log"] + RUNS, cwd=folder, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    if done.returncode not in (0, 1):
        failures.append("%s: exit status %d" % (options, done.returncode))
        return
    lines = open(os.path.join(folder, "bits.tsv")).read().splitlines()
    header = lines[0].split("\t")
    table = [dict(zip(header, line.split("\t"))) for line in lines[1:]]
    document = json.load(open(os.path.join(folder, "bits.json")))
    if header[-6:] != BITS or document.get("bits") != {"level": level}:
        failures.append("%s: last columns %s, JSON bits %s" % (options, header[-6:], document.get("bits")))
        return
    text = {name: open(os.path.join(folder, name)).read().split("\n") for name in ["original.log"] + RUNS}
    for run in RUNS:
        blocks, _ = model(os.path.join(folder, "original.log"), os.path.join(folder, run))
        rows = [row for row in table if row["run"] == run]
        entry = next((r for r in document["runs"] if r["name"] == run), {})
        if len(rows) != len(blocks):
            failures.append("%s %s: %d table rows, %d blocks here" % (options, run, len(rows), len(blocks)))
            continue
        sums, negative, most = np.zeros((2, 4, 64), np.int64), None, 0
        for (label, cells), row in zip(blocks, rows):
            # The block's rows, whole: the original's by its line (c[2]), the run's by its own (c[5]).
            tokens = [[text[name][n - 1].split()[1:] for n in dict.fromkeys(c[k] for c in cells)]
                      for name, k in (("original.log", 2), (run, 5))]
            counts = np.array([pair_counts(tokens[0]), pair_counts(tokens[1])])
            sums += counts
            bits = quantized_bits(tokens[1])
            most = max(most, bits)
            want = figures(counts[0], counts[1], bits, level)
            if negative is None and want["bits_margin"][-1] < 0:
                negative = label
            for name in BITS:
                if row["label"] != label or not agrees(row.get(name), want[name]):
                    failures.append("%s %s, block %s: %s is %s, expected %s" % (options, run, label, name, row.get(name),
                                                                                want[name]))
        want = figures(sums[0], sums[1], most, level)
        got = entry.get("bit_information") or []
        for name in BITS:
            if not agrees(entry.get(name, "missing"), want[name]):
                failures.append("%s %s, JSON: %s is %s, expected %s" % (options, run, name, entry.get(name), want[name]))
        if len(got) != 64 or not all(agrees(g, w) for g, w in zip(got, want["bit_information"])):
            failures.append("%s %s, JSON: bit_information %s, expected %s" % (options, run, got, want["bit_information"]))
        if entry.get("bits_margin_negative_first", "missing") != negative:
            failures.append("%s %s: bits_margin_negative_first %s, expected %s"
                            % (options, run, entry.get("bits_margin_negative_first", "missing"), negative))


def main():
    study = sys.argv[2:] + [os.path.join(os.path.abspath(sys.argv[1]), "gridcmp-study")]
    with tempfile.TemporaryDirectory() as folder:
        write_logs(folder)
        check_study(study, folder, 0.99, [])
        check_study(study, folder, 0.9, ["--information", "0.9"])

        # Without --bits, no column and "bits": null; the note on few digits only for such an original.
        done = subprocess.run(study + ["-q", "--table", "-", "--json", "plain.json", "original.log", "fp32.log"],
                              cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, universal_newlines=True)
        header = done.stdout.splitlines()[0].split("\t") if done.stdout else BITS
        if set(header) & set(BITS) or json.load(open(os.path.join(folder, "plain.json"))).get("bits", "missing") is not None:
            failures.append("without --bits: bitwise columns or JSON bits")
        for original, note in (("coarse.log", True), ("mixed.log", False)):
            done = subprocess.run(study + ["--bits", "--table", "note.tsv", original, "fp16_start.log"], cwd=folder,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, universal_newlines=True)
            if any(re.search(r"\b17\b", line) for line in done.stderr.splitlines()) != note:
                failures.append("%s: note on 17 digits %s, stderr %r" % (original, "missing" if note else "written", done.stderr))

        for level in ("0", "1.5", "nan"):
            done = subprocess.run(study + ["-q", "--bits", "--information", level, "original.log", "fp32.log"],
                                  cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if done.returncode != 2:
                failures.append("--information %r: exit %d, expected 2" % (level, done.returncode))
    for failure in failures[:40]:
        print(failure)
    print("%d disagreements" % len(failures) if failures else "the study's bitwise information agrees with numpy")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
