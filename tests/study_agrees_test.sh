#!/usr/bin/env bash
# gridcmp-study's figures are gridcmp's: for every end-to-end pair, and for a
# study of generated runs, the blocks of the study's table, rendered as gridcmp
# renders them, must be gridcmp's result lines byte for byte.
#
#   study_agrees_test.sh BUILD_DIR [EMULATOR...]
set -u
build=$1
shift
run=("$@")
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# Result lines: a counter, two tabs, then the rest (the heading's lines and
# the messages never start so).
result_lines() { grep -a -E "^[0-9][0-9.e+]*$(printf '\t\t')" || true; }

# agree ORIGINAL QUANTIZED TABLE NAME: the table's rows of QUANTIZED against
# gridcmp. Where gridcmp stopped at its own limits (400 values in a row, lines
# of 1048575 characters), which the study's are wider than, its lines are the
# first of the study's.
agree() {
  "${run[@]}" "$build/gridcmp" "$1" "$2" >"$work/gridcmp.out"
  result_lines <"$work/gridcmp.out" >"$work/gridcmp.lines"
  "${run[@]}" "$build/tests/tableToReport" "$2" <"$3" >"$work/study.lines"
  if grep -a -q -E '^(Fila de mas de 400 valores|Linea de mas de 1048575 caracteres) en ' "$work/gridcmp.out"; then
    head -n "$(wc -l <"$work/gridcmp.lines")" "$work/study.lines" >"$work/study.first"
    mv "$work/study.first" "$work/study.lines"
  fi
  if ! cmp -s "$work/gridcmp.lines" "$work/study.lines"; then
    echo "$4: the study's figures differ from gridcmp's for $2:"
    diff "$work/gridcmp.lines" "$work/study.lines" | head -n 10
    return 1
  fi
}

# Every end-to-end case of gridcmp whose arguments are two files.
for case_dir in "$source"/tests/e2e/*/; do
  name=$(basename "$case_dir")
  # A million blocks: too slow to go through the table under an emulator.
  if [ "$name" = counter_past_a_million ] && [ ${#run[@]} -gt 0 ]; then continue; fi
  rm -rf "$work/case" && cp -R "$case_dir" "$work/case"
  (
    cd "$work/case" || exit 1
    if [ -f make_inputs.sh ]; then GRIDCMP_SOURCE_DIR=$source bash make_inputs.sh >/dev/null 2>&1; fi
    set -- $(cat args)
    [ $# -eq 2 ] && [ -f "$1" ] && [ -f "$2" ] || exit 3
    "${run[@]}" "$build/gridcmp-study" -q --table table.tsv "$1" "$2" >/dev/null
    [ -f table.tsv ] || { echo "$name: no table"; exit 1; }
  )
  case $? in
    3) continue ;;
    0) (cd "$work/case" && set -- $(cat args) && agree "$1" "$2" table.tsv "$name") || failed=1 ;;
    *) failed=1 ;;
  esac
done

# A study of generated runs, compared at the same time: an original of random
# values, a quantized run rounded to a few digits, one with blocks missing and
# quantized zeros, one whose rows are shorter than the original's.
cd "$work" || exit 1
awk -v seed=11 'BEGIN {
  srand(seed)
  for (k = 0; k < 60; k++) {
    t = sprintf("%07.2f", k / 4)
    print "VistaGrid timeline paso " k " t= " t > "original.log"
    print "fila a b c d e f" > "original.log"; print "==== = = = = = =" > "original.log"
    print "VistaGrid timeline paso " k " t= " t > "rounded.log"
    print "fila a b c d e f" > "rounded.log"; print "==== = = = = = =" > "rounded.log"
    if (k % 7 != 3) {
      print "VistaGrid timeline paso " k " t= " t > "gappy.log"
      print "fila a b c d e f" > "gappy.log"; print "==== = = = = = =" > "gappy.log"
    }
    print "VistaGrid timeline paso " k " t= " t > "narrow.log"
    print "fila a b c d" > "narrow.log"; print "==== = = = =" > "narrow.log"
    for (r = 1; r <= 9; r++) {
      o = r; q = r; g = r; n = r
      for (c = 1; c <= 6; c++) {
        v = (rand() - 0.5) * 10 ^ int(rand() * 8 - 4)
        o = o " " sprintf("%.17g", v)
        q = q " " sprintf("%.3e", v)
        g = g " " (rand() < 0.02 ? "0" : sprintf("%.5g", v))
        if (c <= 4) n = n " " sprintf("%.6f", v)
      }
      print o > "original.log"; print q > "rounded.log"; print n > "narrow.log"
      if (k % 7 != 3) print g > "gappy.log"
    }
    print "" > "original.log"; print "" > "rounded.log"; print "" > "narrow.log"
    if (k % 7 != 3) print "" > "gappy.log"
  }
}'
"${run[@]}" "$build/gridcmp-study" -q -j 3 --table study.tsv original.log rounded.log gappy.log narrow.log >/dev/null
for quantized in rounded.log gappy.log narrow.log; do
  agree original.log "$quantized" study.tsv generated || failed=1
done
[ "$(wc -l <study.tsv)" -gt 100 ] || { echo "generated study: too few rows in the table"; failed=1; }
# However many threads the study takes (one, the original's beside the runs,
# every log's on a thread of its own), the table is the same, byte for byte.
for jobs in 1 2 9; do
  "${run[@]}" "$build/gridcmp-study" -q -j $jobs --table "study-$jobs.tsv" original.log rounded.log gappy.log narrow.log >/dev/null
  cmp -s study.tsv "study-$jobs.tsv" || { echo "generated study: -j $jobs gives another table than -j 3"; failed=1; }
done
exit $failed
