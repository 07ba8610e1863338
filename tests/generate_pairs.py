#!/usr/bin/env python3
"""Writes generated pairs of grid logs, for comparing two builds of gridcmp
on them byte for byte (tests/builds_agree.sh).

    generate_pairs.py FOLDER COUNT [SEED]

Pair N is FOLDER/N.original.log and FOLDER/N.quantized.log. The pairs mix
what the reader's fast and plain paths must agree on: token forms (plain and
long decimals, exponents, signs, hex, inf and nan, numeric prefixes, lone
signs and bars, tabs and carriage returns inside tokens), blocks without a
partner at the start and later, logs that end inside or right after their
first block, quantized blocks shorter than the original's (with and without
a terminator), ragged and too-wide rows, time lines without a label, "---"
borders, and lines near the longest a line may be.
"""
import os
import random
import sys

LINE_LIMIT = 1 << 20  # a line may hold LINE_LIMIT - 1 characters


def token(rng):
    kind = rng.randrange(40) % 24  # plain decimals the most often, as in real logs
    if kind >= 16:
        kind = kind % 4
    v = (rng.random() - 0.5) * 10 ** rng.randint(-30, 30)
    if kind < 4:
        return "%.*f" % (rng.randint(0, 9), (rng.random() - 0.5) * 10 ** rng.randint(-2, 6))
    if kind < 7:
        return "%.*e" % (rng.randint(0, 18), v)
    if kind == 7:
        return "%.17g" % v
    if kind == 8:
        return rng.choice(["0", "-0", "+1.5", "1e", "1e+", ".5", "5.", "-.5e-3", "00012.50"])
    if kind == 9:
        return rng.choice(["inf", "-inf", "nan", "NaN", "infinity", "0x1.8p3", "0X1P-2", "0x"])
    if kind == 10:
        return rng.choice(["|", "-", "+", ".", "abc", "1.5x", "2\t3", "4\r", "1e400", "1e-400", "7e-320"])
    if kind == 11:
        return "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 40))) + "." + \
            "".join(rng.choice("0123456789") for _ in range(rng.randint(0, 30)))
    if kind == 12:
        return "%d" % rng.randint(-10 ** 6, 10 ** 6)
    if kind == 13:
        return "%.*f" % (rng.randint(1, 8), rng.random())
    return "%.*g" % (rng.randint(1, 17), v)


def row(rng, label, cells):
    blanks = lambda: " " * rng.choice([1, 1, 1, 2, 3])
    return blanks() * rng.randrange(2) + str(label) + "".join(blanks() + cell for cell in cells)


def rounded(rng, cell):
    """A quantized cell: mostly the original's value with fewer digits."""
    try:
        value = float(cell)
    except ValueError:
        return token(rng)
    if rng.random() < 0.2:
        return token(rng)
    return "%.*g" % (rng.randint(1, 8), value)


def block(rng, label, grid):
    lines = ["VistaGrid timeline paso %d t= %s" % (rng.randrange(100), label), "fila a b c", "==== = = ="]
    lines += [row(rng, r + 1, cells) for r, cells in enumerate(grid)]
    lines.append(rng.choice(["", "", "", " ", "   ", "+-----+", "---"]))
    if rng.random() < 0.2:
        lines.append("anything up to the next time line")
    return lines


def grid_of(rng, rows, width, ragged):
    return [[token(rng) for _ in range(max(0, width + (rng.randint(-2, 2) if ragged else 0)))]
            for _ in range(rows)]


def long_line(rng, length):
    head = "1 " + token(rng) + " "
    return head + " " * (length - len(head) - 1) + "7"


def make_pair(rng, count_hint):
    width = rng.choice([1, 2, 3, 5, 8, 17, 64, 399, 400, 401] if rng.random() < 0.1 else [1, 2, 3, 4, 6, 9])
    labels = ["%07.2f" % (k / 4) for k in range(rng.randint(1, 8))]
    if rng.random() < 0.2:
        labels = [str(k / 2) for k in range(len(labels))]  # natural widths: byte order is not numeric order
    ragged = rng.random() < 0.3
    original, quantized = [], []
    for label in labels:
        rows = rng.randint(0, 5) if rng.random() < 0.1 else rng.randint(1, 5)
        grid = grid_of(rng, rows, width, ragged)
        original.append(block(rng, label, grid))
        change = rng.random()
        if change < 0.06:
            continue  # no partner for this block
        quantized_grid = [[rounded(rng, cell) for cell in cells] for cells in grid]
        if rng.random() < 0.02 and quantized_grid:
            quantized_grid[rng.randrange(len(quantized_grid))].append("1")  # wider than the original's row
        if change < 0.1 and rows > 1:
            q = block(rng, label, quantized_grid[:rng.randint(1, rows - 1)])
            if rng.random() < 0.5:
                q = q[:3 + len(q) - 4]  # shorter, straight into the next time line
        elif change < 0.14:
            q = block(rng, label, quantized_grid + grid_of(rng, 1, width, False))  # longer
        else:
            q = block(rng, label, quantized_grid)
        if change > 0.94:
            quantized.append(block(rng, label + "5", grid_of(rng, 1, width, False)))  # a block of its own, later
        quantized.append(q)
    if rng.random() < 0.2:
        quantized.insert(0, block(rng, "-1", grid_of(rng, 1, width, False)))  # sorts first
    if rng.random() < 0.2:
        original.insert(0, block(rng, "-2", grid_of(rng, 1, width, False)))

    def flat(blocks):
        return [line for lines in blocks for line in lines]

    logs = [flat(original), flat(quantized)]
    for lines in logs:
        roll = rng.random()
        if roll < 0.05 and len(lines) > 2:
            del lines[rng.randint(2, min(6, len(lines))):]  # ends inside or right after its first block
        elif roll < 0.08 and len(lines) > 4:
            lines[rng.randrange(len(lines))] = "VistaGrid timeline t= x"  # a time line without a label
        elif roll < 0.1:
            lines.insert(0, rng.choice(["", " "]))
        elif roll < 0.12:
            lines[:] = [line + "\r" for line in lines]
        elif roll < 0.125 and len(lines) > 4:
            lines[rng.randint(3, len(lines) - 1)] = long_line(rng, LINE_LIMIT - rng.randint(0, 2) + 1)
    texts = []
    for lines in logs:
        text = "\n".join(lines)
        texts.append(text if rng.random() < 0.1 else text + "\n")
    return texts


def main():
    folder, count = sys.argv[1], int(sys.argv[2])
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 12)
    os.makedirs(folder, exist_ok=True)
    for n in range(count):
        original, quantized = make_pair(rng, count)
        for name, text in (("original", original), ("quantized", quantized)):
            with open(os.path.join(folder, "%d.%s.log" % (n, name)), "w", newline="") as out:
                out.write(text)


if __name__ == "__main__":
    main()
