#!/usr/bin/env bash
# gridcmp-plot draws the example report as a real PNG, skips and counts nan
# and inf values, and refuses a text that is not a report. Skipped without
# gnuplot.
set -eu
source=$(cd "$(dirname "$0")/.." && pwd)
plot=$source/tools/gridcmp-plot
command -v gnuplot >/dev/null || { echo "gnuplot is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$plot" -o "$work/example.png" "$source/examples/expected-report.txt" >/dev/null
# PNG signature, then the IHDR chunk: width and height as 32-bit big-endian.
[ "$(od -An -tx1 -N8 "$work/example.png" | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  { echo "not a PNG"; exit 1; }
[ "$(dd if="$work/example.png" bs=1 skip=12 count=4 2>/dev/null)" = IHDR ] || { echo "no IHDR"; exit 1; }
size=$(od -An -tu1 -j16 -N8 "$work/example.png" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" $5*16777216 + $6*65536 + $7*256 + $8 }')
[ "$size" = 1000x800 ] || { echo "dimensions $size, expected 1000x800"; exit 1; }
bytes=$(wc -c <"$work/example.png")
[ "$bytes" -gt 20000 ] || { echo "only $bytes bytes: an empty picture?"; exit 1; }

# Through standard input, with nan and inf in the report.
messages=$("$plot" -o "$work/zero.png" <"$source/tests/e2e/zero_quantized_values/expected.out" 2>&1 >/dev/null)
[ "$messages" = "gridcmp-plot: skipped 5 nan or inf values" ] || { echo "said: $messages"; exit 1; }
[ -s "$work/zero.png" ] || { echo "no picture for a report with nan"; exit 1; }

# Not a report: a clear message and a non-zero exit, no picture.
if "$plot" -o "$work/readme.png" "$source/README.md" 2>"$work/err"; then echo "accepted the README"; exit 1; fi
grep -q "is not a gridcmp report" "$work/err" || { cat "$work/err"; exit 1; }
[ ! -e "$work/readme.png" ] || { echo "wrote a picture of the README"; exit 1; }
