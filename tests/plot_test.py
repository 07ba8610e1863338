"""gridcmp-plot draws reports, study tables and cells files as PNGs of the
size it says, with what it says drawn in them: the runs' curves in their
colours, a mark where a run turns nan, a map whose worst run is bright; it
counts what it cannot draw, and says plainly what it cannot do.

    plot_test.py STUDY_TABLE STUDY_JSON VERSION  (run by python_with.sh matplotlib)

STUDY_TABLE and STUDY_JSON: gridcmp-study --bits of examples/study.
"""
import importlib.machinery
import json
import os
import subprocess
import types
import sys
import tempfile

import matplotlib
import matplotlib.image
import numpy

table, summary, version = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
source = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
plot = os.path.join(source, "tools", "gridcmp-plot")
work = tempfile.mkdtemp()
failed = []


def run(*arguments, stdin=None):
    done = subprocess.run([plot] + list(arguments), stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          universal_newlines=True, cwd=work)
    return done.returncode, done.stdout.strip(), done.stderr.strip()


def expect(condition, message):
    if not condition:
        failed.append(message)


def picture(name):
    pixels = matplotlib.image.imread(os.path.join(work, name))
    expect(pixels.shape[:2] == (800, 1000), "%s: %r pixels, not 1000 x 800" % (name, pixels.shape))
    return pixels[:, :, :3]


def has_colour(pixels, colour, tolerance=0.03):
    target = numpy.array(matplotlib.colors.to_rgb(colour))
    return numpy.count_nonzero(numpy.all(numpy.abs(pixels - target) < tolerance, axis=2))


def example(name):
    return os.path.join(source, name)


# One report: its block means and, on an axis of their own, its totals.
status, said, _ = run("-o", "report.png", example("examples/expected-report.txt"))
expect(said == "gridcmp-plot: wrote report.png (1 run, 4 blocks)", "said: " + said)
pixels = picture("report.png")
expect(has_colour(pixels, "C0") > 200 and has_colour(pixels, "C1") > 200, "report: a curve is missing")
expect(has_colour(pixels, "red") == 0, "report: marked nan where there is none")

# Through standard input, nan and inf: counted, and marked where they start.
with open(example("tests/e2e/zero_quantized_values/expected.out")) as report:
    status, said, err = run("-o", "zero.png", stdin=report)
expect(err.splitlines() == ["gridcmp-plot: skipped 5 nan or inf values",
                            "gridcmp-plot: 2 curves have gaps where quantized values are 0: marked where they start"],
       "said: " + err)
pixels = picture("zero.png")
expect(has_colour(pixels, "darkorange") > 20 and has_colour(pixels, "red") == 0,
       "zero: quantized values of 0 not marked as such, or marked as a run that broke")

# A table tells why a curve is not finite: the run turned nan, quantized
# values of 0, or the original; each in the legend from its own block.
loader = importlib.machinery.SourceFileLoader("gridcmp_plot", plot)
module = types.ModuleType(loader.name)
loader.exec_module(module)
# run, block_relative, block_absolute, zero_quantized, nonfinite_quantized, nonfinite_original
rows = [("blowup", "1.0", "0.5", 0, 0, 0), ("blowup", "inf", "0.5", 1, 0, 0), ("blowup", "nan", "nan", 0, 3, 0),
        ("zeros", "inf", "0.5", 2, 0, 0), ("zeros", "0.1", "0.5", 0, 0, 0),
        ("broken", "0.1", "0.5", 0, 0, 0), ("broken", "nan", "nan", 0, 0, 1)]
with open(os.path.join(work, "causes.tsv"), "w") as out:
    out.write("run\tblock\tlabel\tblock_relative\tblock_absolute\tzero_quantized\tnonfinite_quantized\t"
              "nonfinite_original\n")
    for block, row in enumerate(rows):
        out.write("%s\t%d\t%d.5\t%s\t%s\t%d\t%d\t%d\n" % ((row[0], block, block) + row[1:]))
runs = {run.name: run for run in module.read_table(open(os.path.join(work, "causes.tsv")).read())[0]}
starts = {name: module.nonfinite_starts(run, "block_relative", run.series["block_relative"])
          for name, run in runs.items()}
expect(starts == {"blowup": [("zero q", 1), ("nan", 2)], "zeros": [("zero q", 0)], "broken": [("original nan", 1)]},
       "causes: %r" % starts)
status, said, err = run("-o", "causes.png", "causes.tsv")
expect(err.splitlines()[1:] == ["gridcmp-plot: 2 curves turn nan or inf: marked where they do",
                                "gridcmp-plot: 2 curves have gaps where quantized values are 0: marked where they start",
                                "gridcmp-plot: 2 curves are not finite where the original is: marked where it starts"],
       "causes said: " + err)

# A report and a table of three runs, on a log scale, options after the
# inputs: four runs in four colours.
status, said, _ = run(example("examples/expected-report.txt"), table, "--log", "-o", "study.png")
expect(said == "gridcmp-plot: wrote study.png (4 runs, 94 blocks)", "said: " + said)
pixels = picture("study.png")
expect(all(has_colour(pixels, "C%d" % i) > 100 for i in range(4)), "study: a run's curve is missing")

# Any column of the tables, by its name; a name that is none is said.
status, said, _ = run("--column", "correlation", "-o", "correlation.png", table)
expect(status == 0 and said.endswith("(3 runs, 90 blocks)"), "correlation: " + said)
picture("correlation.png")
status, _, err = run("--column", "corelation", table)
expect(status == 2 and "the tables have no column corelation" in err, "a wrong column: " + err)

# A table of nan only: drawn, counted, and no drawing library's own words.
lines = open(table).read().splitlines()
header = lines[0].split("\t")
with open(os.path.join(work, "nan.tsv"), "w") as nan:
    nan.write(lines[0] + "\n")
    for line in lines[1:4]:
        fields = line.split("\t")
        nan.write("\t".join(f if i < 6 else "nan" for i, f in enumerate(fields)) + "\n")
status, said, err = run("-o", "nan.png", "nan.tsv")
expect(status == 0 and all(line.startswith("gridcmp-plot: ") for line in err.splitlines()), "nan table: " + err)

# Labels that hold a tab: every block drawn, and said.
report = open(example("examples/expected-report.txt")).read().splitlines()[:11]
report += ["0\t\t0.5\t\t\t0.16666666\t\t0.16666666\t\t0.25000000\t\t0.25000000",
           "1\t\t1.5\t\t\t0.00000000\t\t0.16666666\t\t0.00000000\t\t0.25000000"]
with open(os.path.join(work, "tabs.report"), "w") as out:
    out.write("\n".join(report) + "\n")
status, said, err = run("-o", "tabs.png", "tabs.report")
expect(said == "gridcmp-plot: wrote tabs.png (1 run, 2 blocks)", "tabs: " + said)
expect(err == "gridcmp-plot: 2 block labels hold a tab: drawn by block counter", "tabs: " + err)

# Maps: a grid of 3 rows and 4 columns in two runs, "near" and "far"; the
# errors s - q of each cell worked out here.
cells = os.path.join(work, "cells.tsv")
errors = {}
with open(cells, "w") as out:
    out.write("run\tlabel\trow\tcolumn\toriginal\tquantized\tabsolute\trelative\n")
    for name, scale in (("near", 0.01), ("far", 1.0)):
        for row in range(1, 4):
            for column in range(1, 5):
                s, q = 10.0 * row + column, 10.0 * row + column - scale * (column - 1.5) * row
                errors[name, row, column] = s - q
                out.write("%s\t0014.50\t%d\t%d\t%.17g\t%.17g\t%.17g\t%.17g\n" % (name, row, column, s, q, abs(s - q),
                                                                             abs(1 - s / q)))
status, said, _ = run("--map", cells, "--log", "-o", "map.png")
expect(said == "gridcmp-plot: wrote map.png (2 maps)", "map: " + said)
expect(matplotlib.image.imread(os.path.join(work, "map.png")).shape[1] == 1000, "map: not 1000 pixels wide")


def panels(*arguments):
    """The images of the map drawn with these options, and their axes."""
    figure = module.map_figure(module.parse_arguments(["--map", cells] + list(arguments)))[0]
    return [(axis, axis.images[0]) for axis in figure.axes if axis.images]


def row_height(axis, y):
    return axis.transData.transform((1.0, y))[1]


largest = {name: max(abs(e) for (run, _, _), e in errors.items() if run == name) for name in ("near", "far")}
smallest = min(abs(e) for e in errors.values())
# By default: row 1 at the top, square cells, one scale for both panels,
# up to the largest |s - q| of all.
for axis, image in panels():
    expect(row_height(axis, 1) > row_height(axis, 3) and axis.get_aspect() == 1.0,
           "map: row 1 is not at the top, or cells not square")
    expect((image.norm.vmin, image.norm.vmax) == (smallest, largest["far"]), "map: not one shared scale")
# --origin lower: row 1 at the bottom; --aspect auto: stretched.
for axis, image in panels("--origin", "lower", "--aspect", "auto"):
    expect(row_height(axis, 1) < row_height(axis, 3) and axis.get_aspect() == "auto",
           "--origin lower: row 1 is not at the bottom, or the cells not stretched")
# --signed --scale panel: s - q, each panel on its own scale centred at 0.
for (axis, image), name in zip(panels("--signed", "--scale", "panel"), ("near", "far")):
    expect((image.norm.vmin, image.norm.vmax) == (-largest[name], largest[name]), "--signed: %s's scale" % name)
    expect(list(image.get_array()[0]) == [errors[name, 1, column] for column in range(1, 5)],
           "--signed: %s's row 1 is not s - q" % name)
# Degrees: rows 90, 0 and -90, columns 0 to 270 by 90, each cell a square
# 90 degrees wide, north at the top.
for axis, image in panels("--latitudes", "90:-90", "--longitudes", "0:270"):
    expect(axis.get_ylim() == (-135.0, 135.0) and axis.get_xlim() == (-45.0, 315.0) and axis.get_aspect() == 1.0,
           "degrees: limits %r %r" % (axis.get_ylim(), axis.get_xlim()))
    expect(axis.get_ylabel() == "latitude" and axis.yaxis.get_major_formatter()(45, 0) == "45\u00b0",
           "degrees: axis %r" % axis.get_ylabel())
expect([(g["run"], g["label"], g["values"].shape) for g in module.read_cells(cells, "absolute")]
       == [("near", "0014.50", (3, 4)), ("far", "0014.50", (3, 4))], "map: the grids read")
for arguments in (["--latitudes", "100:0"], ["--longitudes", "0:0"], ["--origin", "sideways"], ["--signed", "--log"]):
    status, _, err = run("--map", cells, *arguments)
    expect(status == 2 and err.count("\n") == 0, "%s: %d %s" % (arguments, status, err))
status, _, err = run("--signed", table)
expect(status == 2 and "goes with --map" in err, "--signed without --map: " + err)

# quantized_mean with the original's mean beside it, from whichever run
# compared each block; psnr's inf (an exact block) left out and said.
with open(os.path.join(work, "means.tsv"), "w") as out:
    out.write("run\tblock\tlabel\toriginal_mean\tquantized_mean\tpsnr\tnonfinite_quantized\tnonfinite_original\n")
    out.write("a\t0\t0.5\t1.0\t1.5\tinf\t0\t0\nb\t0\t0.5\t1.0\t1.25\t40\t0\t0\n"
              "b\t1\t1.0\t2.0\t2.25\t41\t0\t0\n")
runs, columns = module.read_inputs([os.path.join(work, "means.tsv")])
options = module.parse_arguments(["--column", "quantized_mean"])
lines = {line.get_label(): list(line.get_ydata()) for line in module.curves_figure(runs, columns, options)[0].axes[0].lines}
expect(lines.get("original (original_mean)") == [1.0, 2.0], "quantized_mean: the original's curve %r" % lines)
status, said, err = run("--column", "psnr", "-o", "psnr.png", os.path.join(work, "means.tsv"))
expect(status == 0 and err == "gridcmp-plot: skipped 1 nan or inf values", "psnr: " + err)

# The bits: the example's runs carry the mantissa bits of their formats,
# each a line after its last bit in the run's colour; the keepbits line
# stands where the bars drawn first reach the level of their sum.
WIDTHS = {"fp32.log": 23, "fp16.log": 10, "bf16.log": 7}
status, said, _ = run("--bits", summary, "-o", "bits.png")
expect(status == 0 and said.startswith("gridcmp-plot: wrote bits.png (3 runs, keepbits "), "bits: " + said)
picture("bits.png")
figure = module.bits_figure(module.parse_arguments(["--bits", summary]))[0]
axis = figure.axes[0]
heights = [bar.get_height() for bar in axis.containers[0]]
level = json.load(open(summary))["bits"]["level"]
keep = next(k for k in range(53) if sum(heights[:12 + k]) >= level * sum(heights))
rgba = matplotlib.colors.to_rgba
lines = {line.get_label(): (line.get_xdata()[0], rgba(line.get_color())) for line in axis.lines}
expected = {"%s: %d mantissa bits" % (name, bits): (12 + bits - 0.5, rgba("C%d" % i))
            for i, (name, bits) in enumerate(WIDTHS.items())}
expected["keepbits (99 %%): %d" % keep] = (12 + keep - 0.5, rgba("black"))
expect(len(heights) == 64 and lines == expected, "bits: lines %r, not %r" % (lines, expected))
# Runs that paired other blocks: the first run's keepbits, and said so.
with open(os.path.join(work, "differ.json"), "w") as out:
    study = json.load(open(summary))
    study["runs"][1]["keepbits"] += 3
    json.dump(study, out)
figure = module.bits_figure(module.parse_arguments(["--bits", os.path.join(work, "differ.json")]))[0]
expect("keepbits (99 %%): %d\n(fp32.log's blocks: the runs' differ)" % keep
       in [line.get_label() for line in figure.axes[0].lines], "differing keepbits not said")
# A summary of a study without --bits: a usage error, no picture.
with open(os.path.join(work, "nobits.json"), "w") as out:
    study = json.load(open(summary))
    study["bits"] = None
    json.dump(study, out)
status, _, err = run("--bits", "nobits.json", "-o", "nobits.png")
expect(status == 2 and err == "gridcmp-plot: nobits.json has no bit figures: it was written without gridcmp-study "
       "--bits" and not os.path.exists(os.path.join(work, "nobits.png")), "no bits: %d %s" % (status, err))
# --column keepbits: the original's keepbits once, in black (the table's,
# the same in every run), each run's quantized_bits dashed in its colour.
runs, columns = module.read_inputs([table])
axis = module.curves_figure(runs, columns, module.parse_arguments(["--column", "keepbits"]))[0].axes[0]
dashed = {line.get_label(): (set(line.get_ydata()), len(line.get_ydata()), rgba(line.get_color()))
          for line in axis.lines if line.get_linestyle() == "--" and line.get_label() != "original (keepbits)"}
expect(dashed == {"%s quantized_bits" % name: ({bits}, 30, rgba("C%d" % i)) for i, (name, bits) in enumerate(WIDTHS.items())},
       "keepbits: the runs' quantized_bits %r" % dashed)
with open(table) as rows:
    header = rows.readline().rstrip("\n").split("\t")
    kept = {}
    for line in rows:
        fields = dict(zip(header, line.rstrip("\n").split("\t")))
        kept.setdefault(fields["run"], []).append(float(fields["keepbits"]))
original = [line for line in axis.lines if line.get_label() == "original (keepbits)"]
expect(len(original) == 1 and list(original[0].get_ydata()) == next(iter(kept.values()))
       and rgba(original[0].get_color()) == rgba("black") and len(set(map(tuple, kept.values()))) == 1,
       "keepbits: the original's curve %r" % [(line.get_label(), list(line.get_ydata())) for line in original])

# Neither a report nor a table: a plain message, no picture.
status, _, err = run("-o", "readme.png", example("README.md"))
expect(status == 1 and "is neither a gridcmp report nor a gridcmp-study table" in err, "README: " + err)
expect(not os.path.exists(os.path.join(work, "readme.png")), "wrote a picture of the README")

status, said, _ = run("--version")
expect(said == "gridcmp-plot " + version, "gridcmp-plot's version is not the project's " + version)

for failure in failed:
    print(failure)
sys.exit(1 if failed else 0)
