#!/usr/bin/env bash
# Benchmarks gridcmp on a generated pair of grid logs and prints figures:
# median wall time over several runs, input MB/s (both files counted) and peak
# resident memory, beside `cat` of both files (the reading floor), a plain
# memchr + std::from_chars reader, the straightforward getline + strtok + atof
# reader, and an awk script computing the same means, on three kinds of pair
# (see CELLS); then the micro-benchmarks of the row parser and formatDecimal10.
#
#   bench/run.sh [MB]        logs of MB megabytes each (default 20; 500 for large)
#   bench/run.sh --memory    peak memory on a 1 MB pair beside a 1 GB pair
#   bench/run.sh --study [MB]  gridcmp-study beside gridcmp on one run, with
#                            every output; then two runs one after the other
#                            (-j 1) against side by side (-j 2); default 200.
#                            BEFORE_STUDY=path/to/gridcmp-study times an
#                            earlier one beside it
#
# Environment: RUNS (default 5), BENCH_DIR (default /tmp/gridcmp-bench), SEED,
# CELLS (the pairs to time, by default all three: field, a smooth simulated
# field in short decimals; random, every cell's sign and magnitude drawn anew;
# full, the field at full precision against its fp32 rounding), BEFORE (another
# gridcmp binary, such as a build of an older commit, timed in turns with this
# one).
# Needs cmake, a C++17 compiler and python3; Google Benchmark (libbenchmark-dev)
# for the micro-benchmarks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-5}
dir=${BENCH_DIR:-/tmp/gridcmp-bench}
seed=${SEED:-1}
cells=${CELLS:-field}
mkdir -p "$dir"

cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DGRIDCMP_BENCH=ON -DGRIDCMP_TESTS=OFF >/dev/null
cmake --build "$root/build-bench" -j2 >/dev/null
bin=$root/build-bench

# Writes the pair for a size once; later runs reuse it.
make_pair() {
  local mb=$1
  original=$dir/original-${mb}MB-$cells-seed$seed.log
  quantized=$dir/quantized-${mb}MB-$cells-seed$seed.log
  if [ ! -s "$original" ] || [ ! -s "$quantized" ]; then
    echo "generating a pair of ${mb} MB logs in $dir ..."
    "$bin/bench/makeLogs" "$original" "$quantized" "$mb" "$seed" "$cells"
  fi
}

# Median of $runs runs: prints "seconds MB/s peak-KB".
measure() {
  local out=$1; shift
  python3 "$root/bench/measure.py" "$runs" "$bytes" "$out" "$@"
}

if [ "${1:-}" = --study ]; then
  mb=${2:-200}
  make_pair "$mb"
  second=$dir/quantized-${mb}MB-$cells-seed$seed-second.log
  [ -s "$second" ] || cp "$quantized" "$second"
  cat "$original" "$quantized" "$second" >/dev/null  # warm the page cache
  label=$(grep -m 1 ine "$original" | awk '{ print $6 }')
  bytes=$(( $(wc -c <"$original") + $(wc -c <"$quantized") ))
  echo "one run of a ${mb} MB original and ${mb} MB quantized log, median of $runs runs"
  printf '%-44s %9s  %9s  %10s\n' tool seconds MB/s "peak KB"
  printf '%-44s %s\n' "gridcmp" "$(measure /dev/null "$bin/gridcmp" "$original" "$quantized")"
  every=$(measure /dev/null "$bin/gridcmp-study" -q -j 1 "$original" "$quantized")
  printf '%-44s %s\n' "gridcmp-study -j 1 (every figure)" "$every"
  printf '%-44s %s\n' "... with --table, --json and --cells $label" \
    "$(measure /dev/null "$bin/gridcmp-study" -q -j 1 --table "$dir/study.tsv" --json "$dir/study.json" \
         --cells "$label" "$dir/cells.tsv" "$original" "$quantized")"
  # BEFORE_STUDY=path/to/an/earlier/gridcmp-study times it beside this one.
  if [ -n "${BEFORE_STUDY:-}" ]; then
    before=$(measure /dev/null "$BEFORE_STUDY" -q -j 1 "$original" "$quantized")
    printf '%-44s %s\n' "$BEFORE_STUDY -j 1" "$before"
    awk -v now="$every" -v then="$before" 'BEGIN {
      split(now, a, " "); split(then, b, " ")
      printf "this study / the earlier one: %.2f\n", a[1] / b[1]
    }'
  fi
  bytes=$(( 2 * $(wc -c <"$original") + $(wc -c <"$quantized") + $(wc -c <"$second") ))
  echo
  echo "two runs of it, median of $runs runs"
  printf '%-44s %9s  %9s  %10s\n' "gridcmp-study" seconds MB/s "peak KB"
  one=$(measure /dev/null "$bin/gridcmp-study" -q -j 1 "$original" "$quantized" "$second")
  two=$(measure /dev/null "$bin/gridcmp-study" -q -j 2 "$original" "$quantized" "$second")
  printf '%-44s %s\n' "-j 1 (one run after the other)" "$one" "-j 2 (side by side)" "$two"
  awk -v one="$one" -v two="$two" 'BEGIN {
    split(one, a, " "); split(two, b, " ")
    printf "wall time side by side / one after the other: %.2f\n", b[1] / a[1]
  }'
  exit 0
fi

if [ "${1:-}" = --memory ]; then
  make_pair 1; small_o=$original; small_q=$quantized
  make_pair 1000; large_o=$original; large_q=$quantized
  bytes=1 runs=1
  small=$(measure /dev/null "$bin/gridcmp" "$small_o" "$small_q")
  large=$(measure /dev/null "$bin/gridcmp" "$large_o" "$large_q")
  small=${small##* } large=${large##* }
  echo "peak resident memory of gridcmp:"
  printf '  1 MB pair: %s KB    1 GB pair: %s KB    difference: %s KB\n' "$small" "$large" "$((large - small))"
  exit 0
fi

mb=${1:-20}
for cells in ${CELLS:-field random full}; do
  make_pair "$mb"
  bytes=$(( $(wc -c <"$original") + $(wc -c <"$quantized") ))
  cat "$original" "$quantized" >/dev/null  # warm the page cache
  names=("cat (reading floor)" "gridcmp")
  commands=(/dev/null cat "$original" "$quantized" ::: "$dir/gridcmp.out" "$bin/gridcmp" "$original" "$quantized")
  if [ -n "${BEFORE:-}" ]; then
    names+=("gridcmp before ($(basename "$BEFORE"))")
    commands+=(::: "$dir/before.out" "$BEFORE" "$original" "$quantized")
  fi
  from_chars=${#names[@]}
  names+=("memchr + from_chars (baseline)" "getline + strtok + atof (baseline)")
  commands+=(::: "$dir/fromchars.out" "$bin/bench/fromCharsReader" "$original" "$quantized"
             ::: "$dir/baseline.out" "$bin/bench/getlineReader" "$original" "$quantized")
  if command -v awk >/dev/null; then
    awk_name=$(awk -W version 2>/dev/null </dev/null | head -n 1 | cut -d' ' -f1)
    names+=("awk script (${awk_name:-awk})")
    commands+=(::: /dev/null awk -v quantized="$quantized" -f "$root/bench/means.awk" "$original")
  fi

  echo "$cells pair: $original + $quantized ($bytes bytes), median of $runs runs taken in turns"
  printf '%-34s %9s  %9s  %10s\n' tool seconds MB/s "peak KB"
  mapfile -t figures < <(python3 "$root/bench/measure.py" "$runs" "$bytes" "${commands[@]}")
  for i in "${!names[@]}"; do printf '%-34s %s\n' "${names[$i]}" "${figures[$i]}"; done
  ratio() { awk -v a="${figures[$1]}" -v b="${figures[$2]}" 'BEGIN { split(a, x, " "); split(b, y, " "); printf "%.2f", y[1] / x[1] }'; }
  line="gridcmp is $(ratio 1 "$from_chars")x as fast as memchr + from_chars"
  [ -n "${BEFORE:-}" ] && line="$line, $(ratio 1 2)x as fast as before"
  echo "$line"
  for out in fromchars baseline ${BEFORE:+before}; do
    if cmp -s "$dir/gridcmp.out" "$dir/$out.out"; then
      echo "gridcmp's report is byte-identical to $out's"
    else
      echo "gridcmp's report DIFFERS from $out's"
    fi
  done
  echo
done

if [ -x "$bin/bench/microbench" ]; then
  echo
  "$bin/bench/microbench" --benchmark_min_time=0.5
fi
