"""A plain model of how gridcmp-study reads two grid logs, written apart from
the program's code: how blocks pair and end, which cells are compared, and
what each cell counts as. The checks of the study's figures and verdicts
hold the program against it.
"""
import math


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
    """Every compared block, in order: its label and cells (row, column,
    original line, s, q, quantized line); and what the pairing passed over:
    blocks of each log without a partner, blocks left in each log (in the
    one that had not ended), original rows wider than the quantized ones,
    quantized blocks longer than the original's; and the block a log ended
    inside, with the cells compared in it (None when there is none)."""
    original, quantized = Log(original_path), Log(quantized_path)
    for log in (original, quantized):
        log.read()
        log.take_label()
    blocks = []
    cells = []
    rows = 0
    passed = {"unpaired_original": 0, "unpaired_quantized": 0, "left_original": 0, "left_quantized": 0,
              "wider_rows": 0, "longer_blocks": 0}

    def catch_up():
        behind = original if original.label < quantized.label else quantized
        passed["unpaired_original" if behind is original else "unpaired_quantized"] += 1
        behind.advance()

    if original.label != quantized.label:
        catch_up()
    while not original.ended and not quantized.ended:
        if original.label != quantized.label:
            catch_up()
            continue
        s, q = original.values(), quantized.values()
        assert len(s) >= len(q) and not terminator(quantized.line), "the generated logs must not stop the run"
        passed["wider_rows"] += len(s) > len(q)
        rows += 1
        cells += [(rows, i + 1, original.next, s[i], q[i], quantized.next) for i in range(len(q))]
        original.read()
        quantized.read()
        if terminator(original.line):
            passed["longer_blocks"] += not terminator(quantized.line)
            blocks.append((original.label.decode(), cells))
            cells, rows = [], 0
            original.advance()
            quantized.advance()
    passed["unfinished"] = (original.label.decode(), cells) if cells else None
    for log, left in ((original, "left_original"), (quantized, "left_quantized")):  # the log that had not ended
        while not log.ended:
            passed[left] += 1
            log.advance()
    return blocks, passed


def kind(s, q):
    """What a cell counts as: the original broken, the run broken, a
    quantized 0, or nothing."""
    if not math.isfinite(s):
        return "nonfinite_original"
    if not math.isfinite(q):
        return "nonfinite_quantized"
    return "zero_quantized" if q == 0.0 else None


def largest(errors):
    """The largest error and its first place, nan above every number (as
    numpy.max ranks it); None when there are none."""
    best = None
    for error, cell in errors:
        if best is None or (not math.isnan(best[0]) and (math.isnan(error) or error > best[0])):
            best = (error, cell)
    return best


def figures(cells):
    """The figures of some cells, as the study defines them."""
    n = len(cells)
    relative = absolute = difference = squared = original = quantized = 0.0
    low = high = math.nan
    counts = {"zero_quantized": 0, "nonfinite_quantized": 0, "nonfinite_original": 0}
    for cell in cells:
        s, q = cell[3], cell[4]
        relative += relative_term(s, q)
        absolute += abs(s - q)
        difference += s - q
        squared += (s - q) * (s - q)
        original += s
        quantized += q
        if not math.isnan(s):
            low = s if math.isnan(low) or s < low else low
            high = s if math.isnan(high) or s > high else high
        if kind(s, q):
            counts[kind(s, q)] += 1
    largest_absolute = largest((abs(c[3] - c[4]), c) for c in cells)
    largest_relative = largest((relative_term(c[3], c[4]) if math.isfinite(c[3]) and math.isfinite(c[4])
                                else math.nan, c) for c in cells if c[4] != 0.0)
    rmse = math.sqrt(squared / n) if n else math.nan
    span = high - low
    nonfinite = counts["nonfinite_quantized"] + counts["nonfinite_original"]
    result = {
        "cells_compared": n, "relative_mean": relative / n, "absolute_mean": absolute / n,
        "bias": difference / n, "rmse": rmse, "nrmse": math.nan if span == 0 else rmse / span,
        "original_mean": original / n, "quantized_mean": quantized / n, "nonfinite_cells": nonfinite,
        "max_absolute": largest_absolute[0] if largest_absolute else math.nan,
        "max_relative": largest_relative[0] if largest_relative else math.nan,
        "largest_absolute": largest_absolute, "largest_relative": largest_relative,
    }
    result.update(counts)
    ms = original / n
    mq = quantized / n
    if nonfinite:
        result["correlation"] = math.nan
    else:
        vs = math.fsum((c[3] - ms) * (c[3] - ms) for c in cells)
        vq = math.fsum((c[4] - mq) * (c[4] - mq) for c in cells)
        cv = math.fsum((c[3] - ms) * (c[4] - mq) for c in cells)
        moments = (vs, vq, cv)
        result["correlation"] = (math.nan if vs == 0 or vq == 0 or not all(map(math.isfinite, moments))
                                 else max(-1.0, min(1.0, cv / math.sqrt(vs * vq))))
    return result


def first_of_kind(blocks, wanted):
    """The first cell of a kind over the blocks, and its block's label; None."""
    for label, cells in blocks:
        for cell in cells:
            if kind(cell[3], cell[4]) == wanted:
                return label, cell
    return None


def same(a, b, tolerance=0.0):
    a, b = float(a), float(b)
    if math.isnan(a) or math.isnan(b):
        return math.isnan(a) and math.isnan(b)
    if tolerance:
        return abs(a - b) <= tolerance * max(1.0, abs(a))
    return a == b


def json_number(value):
    """A figure as the JSON summary has it: nan is null (None); json reads
    the infinities, 1e999 and -1e999, as such."""
    return math.nan if value is None else value


def render(path, entries):
    """Writes a log of (label, rows of cell texts) blocks."""
    with open(path, "w") as out:
        for label, rows in entries:
            out.write("VistaGrid timeline paso t = %s\nfila a b c d e f\n==== = = = = = =\n" % label)
            for r, cells in enumerate(rows, 1):
                out.write(str(r) + "".join(" " + text for text in cells) + "\n")
            out.write("\n")
