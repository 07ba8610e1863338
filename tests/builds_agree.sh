#!/usr/bin/env bash
# Two builds of gridcmp (for instance the default one, with its fast paths,
# and one with GRIDCMP_SIMD=OFF) give the same bytes on generated log pairs:
# gridcmp's whole output and exit status on every pair, gridcmp-study's
# table, summary, diagnostics and exit status on every tenth.
#
#   builds_agree.sh BUILD_A BUILD_B [PAIRS [SEED]]
#
# Needs python3 (tests/generate_pairs.py writes the pairs). The builds'
# programs may be given an emulator in RUN_A and RUN_B (such as qemu-s390x).
set -u
a=$(cd "$1" && pwd)
b=$(cd "$2" && pwd)
pairs=${3:-3000}
seed=${4:-12}
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$source/tests/generate_pairs.py" "$work/pairs" "$pairs" "$seed" || exit 2
cd "$work/pairs" || exit 2

# Each build's outputs, pair after pair, in one file: compared once at the end.
run_all() {
  local build=$1 run=$2 n
  for ((n = 0; n < pairs; n++)); do
    echo "== pair $n: gridcmp"
    $run "$build/gridcmp" $n.original.log $n.quantized.log
    echo "exit status $?"
    if [ $((n % 10)) = 0 ]; then
      echo "== pair $n: gridcmp-study"
      $run "$build/gridcmp-study" --table - $n.original.log $n.quantized.log 2>&1
      echo "exit status $?"
    fi
  done
}
run_all "$a" "${RUN_A:-}" >"$work/a.all"
run_all "$b" "${RUN_B:-}" >"$work/b.all"
if cmp -s "$work/a.all" "$work/b.all"; then
  echo "$pairs generated pairs: every byte the same from $1 and $2"
  exit 0
fi
echo "generated pairs whose output differs between $1 and $2:"
diff "$work/a.all" "$work/b.all" | head -n 40
exit 1
