#!/usr/bin/env bash
# gridcmp-plot draws reports and study tables as real PNGs, one run or
# several, skips and counts what cannot be drawn, and refuses a text that is
# neither. Skipped without gnuplot.
#
#   plot_test.sh STUDY_TABLE VERSION
# STUDY_TABLE: a gridcmp-study table of the example study; VERSION: the
# project's version.
set -eu
table=$1
version=$2
source=$(cd "$(dirname "$0")/.." && pwd)
plot=$source/tools/gridcmp-plot
command -v gnuplot >/dev/null || { echo "gnuplot is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A PNG of 1000 x 800 pixels with something drawn in it.
check_picture() {
  # PNG signature, then the IHDR chunk: width and height as 32-bit big-endian.
  [ "$(od -An -tx1 -N8 "$1" | tr -d ' \n')" = 89504e470d0a1a0a ] || { echo "$1: not a PNG"; exit 1; }
  [ "$(dd if="$1" bs=1 skip=12 count=4 2>/dev/null)" = IHDR ] || { echo "$1: no IHDR"; exit 1; }
  size=$(od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$size" = 1000x800 ] || { echo "$1: dimensions $size, expected 1000x800"; exit 1; }
  bytes=$(wc -c <"$1")
  [ "$bytes" -gt 20000 ] || { echo "$1: only $bytes bytes: an empty picture?"; exit 1; }
}

# One report.
said=$("$plot" -o "$work/example.png" "$source/examples/expected-report.txt")
[ "$said" = "gridcmp-plot: wrote $work/example.png (1 run, 4 blocks)" ] || { echo "said: $said"; exit 1; }
check_picture "$work/example.png"

# Through standard input, with nan and inf in the report.
messages=$("$plot" -o "$work/zero.png" <"$source/tests/e2e/zero_quantized_values/expected.out" 2>&1 >/dev/null)
[ "$messages" = "gridcmp-plot: skipped 5 nan or inf values" ] || { echo "said: $messages"; exit 1; }
check_picture "$work/zero.png"

# Labels that hold a tab (the report prints them as they are): every block
# drawn, and said.
{
  sed -n '1,11p' "$source/examples/expected-report.txt"
  printf '0\t\t0.5\t\t\t0.16666666\t\t0.16666666\t\t0.25000000\t\t0.25000000\n'
  printf '1\t\t1.5\t\t\t0.00000000\t\t0.16666666\t\t0.00000000\t\t0.25000000\n'
} >"$work/tabs.report"
said=$("$plot" -o "$work/tabs.png" "$work/tabs.report" 2>"$work/err")
[ "$said" = "gridcmp-plot: wrote $work/tabs.png (1 run, 2 blocks)" ] || { echo "said: $said"; exit 1; }
[ "$(cat "$work/err")" = "gridcmp-plot: 2 block labels hold a tab: drawn by block counter" ] || { cat "$work/err"; exit 1; }

# A report and a table of three runs, the options after the inputs, on a log
# scale: four runs.
said=$("$plot" "$source/examples/expected-report.txt" "$table" --log -o "$work/study.png")
[ "$said" = "gridcmp-plot: wrote $work/study.png (4 runs, 94 blocks)" ] || { echo "said: $said"; exit 1; }
check_picture "$work/study.png"

# Neither a report nor a table: a clear message and a non-zero exit, no picture.
if "$plot" -o "$work/readme.png" "$source/README.md" 2>"$work/err"; then echo "accepted the README"; exit 1; fi
grep -q "is neither a gridcmp report nor a gridcmp-study table" "$work/err" || { cat "$work/err"; exit 1; }
[ ! -e "$work/readme.png" ] || { echo "wrote a picture of the README"; exit 1; }

[ "$("$plot" --version)" = "gridcmp-plot $version" ] || { echo "gridcmp-plot's version is not the project's $version"; exit 1; }
