#!/usr/bin/env bash
# The README's recipes run as they stand, in a plain POSIX sh: every ```sh
# block of its Recipes section is run with sh -e in a folder holding the logs
# they name, and must succeed without a word of trouble; one that reads
# report.txt (where a label holds a tab) prints a line for every block.
#
#   recipes_test.sh BUILD_DIR [EMULATOR...]
set -u
build=$1
shift
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The programs, by name, as a user's PATH has them.
mkdir "$work/bin"
for program in gridcmp gridcmp-study; do
  printf '#!/bin/sh\nexec %s "%s" "$@"\n' "$*" "$build/$program" >"$work/bin/$program"
  chmod +x "$work/bin/$program"
done
ln -s "$source/tools/gridcmp-plot" "$work/bin/gridcmp-plot"
PATH=$work/bin:$PATH

# The logs the recipes name.
mkdir "$work/logs"
# The example pair without the quantized block the original lacks: a complete
# pair, which a study passes.
cp "$source/examples/original.log" "$work/logs/"
sed '8,14d' "$source/examples/quantized.log" >"$work/logs/quantized.log"
gzip -c "$work/logs/original.log" >"$work/logs/original.log.gz"
gzip -c "$work/logs/quantized.log" >"$work/logs/quantized.log.gz"
sed 's/$/\r/' "$source/examples/quantized.log" >"$work/logs/windows.log"
cp "$source/tests/study/missing_block_natural_width_labels/original.log" "$work/logs/natural-original.log"
cp "$source/tests/study/missing_block_natural_width_labels/quantized.log" "$work/logs/natural-quantized.log"
printf '%s %s\n' original.log quantized.log original.log original.log >"$work/logs/pairs.txt"
# A report of the pair whose second label holds a tab, which awk splits too.
sed 's/t= 0\.5000$/t= 0.5\t000/' "$work/logs/original.log" >"$work/tabbed-original.log"
sed 's/t= 0\.5000$/t= 0.5\t000/' "$work/logs/quantized.log" >"$work/tabbed-quantized.log"
gridcmp "$work/tabbed-original.log" "$work/tabbed-quantized.log" >"$work/logs/report.txt"
blocks=$(grep -c "^[0-9][0-9]*$(printf '\t\t')" "$work/logs/report.txt")
grep -q "$(printf '\t\t0.5\t000\t\t')" "$work/logs/report.txt" || { echo "no label with a tab in report.txt"; exit 1; }

# Each ```sh block of the Recipes section, into recipe-1.sh, recipe-2.sh ...
awk -v dir="$work" '
  /^## / { inside = ($0 == "## Recipes") }
  inside && /^```sh$/ { n++; file = dir "/recipe-" n ".sh"; next }
  inside && /^```$/ { file = ""; next }
  file { print > file }' "$source/README.md"

ran=0
failed=0
for recipe in "$work"/recipe-*.sh; do
  name=$(basename "$recipe" .sh)
  if grep -q '^parallel ' "$recipe" && ! command -v parallel >/dev/null; then
    echo "$name: skipped, GNU parallel is not installed"
    continue
  fi
  if grep -q 'gridcmp-study [^|]*\.gz' "$recipe" && ! gridcmp-study --version | grep -q '^compressed logs: .*gzip'; then
    echo "$name: skipped, this build of gridcmp-study reads no gzip logs"
    continue
  fi
  rm -rf "$work/run" && cp -R "$work/logs" "$work/run"
  if ! (cd "$work/run" && sh -e "$recipe" >"$work/out" 2>"$work/err"); then
    echo "$name failed:"; cat "$recipe"; cat "$work/out" "$work/err"; failed=1
  elif grep -E -q 'cannot|stopped|byte order|carriage-return|^sh:' "$work/err"; then
    echo "$name said:"; cat "$work/err"; failed=1
  fi
  # What the recipes make must hold what gridcmp makes of the same logs.
  for report in "$work"/run/*.report "$work"/run/report.txt; do
    [ -f "$report" ] || continue
    [ -n "$(grep -a -E "^[0-9]+$(printf '\t\t')" "$report")" ] || { echo "$name: no result lines in $(basename "$report")"; failed=1; }
  done
  if [ -f "$work/run/unix.log" ] && ! cmp -s "$work/run/unix.log" "$source/examples/quantized.log"; then
    echo "$name: unix.log is not the log without its carriage returns"; failed=1
  fi
  if grep -q "' report.txt$" "$recipe" && [ "$(wc -l <"$work/out")" -ne "$blocks" ]; then
    echo "$name: $(wc -l <"$work/out") lines for the $blocks blocks of report.txt"; failed=1
  fi
  ran=$((ran + 1))
done
[ "$ran" -ge 5 ] || { echo "only $ran recipes found in the README"; failed=1; }
exit $failed
