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
#   bench/run.sh --map       gridcmp-study --cells and gridcmp-plot --map on a
#                            global grid of a quarter degree (1440 x 721
#                            cells) and four quantized runs
#   bench/run.sh --study [MB]  gridcmp-study beside gridcmp on one run (-j 1,
#                            -j 2, every output, --latitudes, --bits), three runs against one
#                            original, and one run from gzip and zstd logs
#                            beside the decompression alone, the tools of
#                            each section in turns; default 200.
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
  third=$dir/quantized-${mb}MB-$cells-seed$seed-third.log
  [ -s "$second" ] || cp "$quantized" "$second"
  [ -s "$third" ] || cp "$quantized" "$third"
  for log in "$original" "$quantized"; do
    [ -s "$log.gz" ] || gzip -c "$log" >"$log.gz"
    if command -v zstd >/dev/null && [ ! -s "$log.zst" ]; then zstd -q -c "$log" >"$log.zst"; fi
  done
  cat "$original" "$quantized" "$second" "$third" >/dev/null  # warm the page cache
  label=$(grep -m 1 ine "$original" | awk '{ print $6 }')
  export MEASURE_CPU=1
  row() { printf '%-46s %s\n' "$1" "$2"; }
  header() { printf '%-46s %9s  %9s  %10s  %9s\n' "$1" seconds MB/s "peak KB" "CPU s"; }
  ratio() { awk -v a="$1" -v b="$2" -v field="$3" 'BEGIN { split(a, x, " "); split(b, y, " "); printf "%.2f", x[field] / y[field] }'; }

  # Each section's tools take turns (one run of each, then again), so that
  # the machine slowing down for a while slows all of them alike.
  # section TITLE BYTES NAME COMMAND... [::: NAME COMMAND...]... fills
  # `figures`, one line per tool, in the order given.
  section() {
    local title=$1 word name=
    bytes=$2
    shift 2
    local names=() commands=()
    for word in "$@" :::; do
      if [ "$word" = ::: ]; then
        name=
      elif [ -z "$name" ]; then
        name=$word
        names+=("$name")
        [ ${#commands[@]} = 0 ] || commands+=(:::)
        commands+=(/dev/null)
      else
        commands+=("$word")
      fi
    done
    echo "$title, median of $runs runs taken in turns"
    header tool
    mapfile -t figures < <(python3 "$root/bench/measure.py" "$runs" "$bytes" "${commands[@]}")
    local i
    for i in "${!names[@]}"; do row "${names[$i]}" "${figures[$i]}"; done
  }
  study=$bin/gridcmp-study
  pair_bytes=$(( $(wc -c <"$original") + $(wc -c <"$quantized") ))
  before=()
  [ -n "${BEFORE_STUDY:-}" ] && before=(::: "$BEFORE_STUDY -j 1" "$BEFORE_STUDY" -q -j 1 "$original" "$quantized")
  section "one run: a ${mb} MB original and ${mb} MB quantized log" "$pair_bytes" \
    gridcmp "$bin/gridcmp" "$original" "$quantized" \
    ::: "gridcmp-study -j 1" "$study" -q -j 1 "$original" "$quantized" \
    ::: "gridcmp-study -j 2" "$study" -q -j 2 "$original" "$quantized" \
    ::: "... -j 2 with --table, --json, --cells $label" "$study" -q -j 2 --table "$dir/study.tsv" \
        --json "$dir/study.json" --cells "$label" "$dir/cells.tsv" "$original" "$quantized" \
    ::: "gridcmp-study -j 1 --latitudes -90:90" "$study" -q -j 1 --latitudes -90:90 "$original" "$quantized" \
    ::: "gridcmp-study -j 1 --bits" "$study" -q -j 1 --bits "$original" "$quantized" \
    "${before[@]}"
  echo "wall time of gridcmp-study -j 2 / gridcmp: $(ratio "${figures[2]}" "${figures[0]}" 1)"
  echo "wall time of gridcmp-study -j 1 --bits / without: $(ratio "${figures[5]}" "${figures[1]}" 1)"
  if [ -n "${BEFORE_STUDY:-}" ]; then
    echo "wall time of gridcmp-study -j 1 / the earlier one: $(ratio "${figures[1]}" "${figures[6]}" 1)"
    echo "wall time of gridcmp-study -j 1 --latitudes / the earlier one: $(ratio "${figures[4]}" "${figures[6]}" 1)"
  fi

  echo
  before=()
  [ -n "${BEFORE_STUDY:-}" ] && before=(::: "$BEFORE_STUDY -j 1" "$BEFORE_STUDY" -q -j 1 "$original" "$quantized" "$second" "$third")
  section "three runs against one original" $(( $(wc -c <"$original") + $(wc -c <"$quantized") * 3 )) \
    "gridcmp-study -j 1" "$study" -q -j 1 "$original" "$quantized" "$second" "$third" \
    ::: "gridcmp-study -j 2" "$study" -q -j 2 "$original" "$quantized" "$second" "$third" \
    "${before[@]}"
  [ -n "${BEFORE_STUDY:-}" ] && echo "CPU time of gridcmp-study -j 1 / the earlier one: $(ratio "${figures[0]}" "${figures[2]}" 4)"

  echo
  zstd_tools=()
  if [ -s "$original.zst" ]; then
    zstd_tools=(::: "zstd -dc of both" sh -c "zstd -q -dc '$original.zst' >/dev/null && zstd -q -dc '$quantized.zst' >/dev/null"
                ::: "gridcmp-study -j 2 from .zst" "$study" -q -j 2 "$original.zst" "$quantized.zst")
  fi
  section "one run from compressed logs (the same logs)" "$pair_bytes" \
    "gridcmp-study -j 2 from plain files" "$study" -q -j 2 "$original" "$quantized" \
    ::: "gzip -dc of both (the floor)" sh -c "gzip -dc '$original.gz' >/dev/null && gzip -dc '$quantized.gz' >/dev/null" \
    ::: "gridcmp-study -j 2 from .gz" "$study" -q -j 2 "$original.gz" "$quantized.gz" \
    "${zstd_tools[@]}"
  echo "wall time from .gz / gzip -dc alone: $(ratio "${figures[2]}" "${figures[1]}" 1)"
  [ -s "$original.zst" ] && echo "wall time from .zst / from plain files: $(ratio "${figures[4]}" "${figures[0]}" 1)"
  exit 0
fi

if [ "${1:-}" = --map ]; then
  # One block of a smooth field at full precision, and the field rounded to
  # fp32, fp16, bf16 and bf16 cut: 4.2 million cells to write and to draw.
  python=
  for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c 'import matplotlib' >/dev/null 2>&1; then python=$candidate; break; fi
  done
  [ -n "$python" ] || { echo "bench/run.sh --map needs python3 with matplotlib"; exit 1; }
  maps=$dir/map-1440x721
  logs=(original.log fp32.log fp16.log bf16.log bf16-truncated.log)
  mkdir -p "$maps"
  [ -s "$maps/bf16-truncated.log" ] || "$python" "$root/bench/makeGridLogs.py" "$maps"
  cd "$maps"
  cat "${logs[@]}" >/dev/null  # warm the page cache
  bytes=$(cat "${logs[@]}" | wc -c)
  echo "a 1440 x 721 grid, one block, four quantized runs ($bytes bytes of logs), median of $runs runs taken in turns"
  printf '%-46s %9s  %9s  %10s  %9s\n' tool seconds MB/s "peak KB" "CPU s"
  mapfile -t figures < <(MEASURE_CPU=1 python3 "$root/bench/measure.py" "$runs" "$bytes" \
    /dev/null "$bin/gridcmp-study" -q --cells 0000.00 cells.tsv "${logs[@]}" \
    ::: /dev/null "$root/tools/gridcmp-plot" --map cells.tsv -o map.png)
  printf '%-46s %s\n' "gridcmp-study --cells 0000.00 cells.tsv" "${figures[0]}" "gridcmp-plot --map cells.tsv" "${figures[1]}"
  echo "cells file: $(wc -c <cells.tsv) bytes; both together: $(awk -v a="${figures[0]}" -v b="${figures[1]}" \
    'BEGIN { split(a, x, " "); split(b, y, " "); printf "%.2f", x[1] + y[1] }') seconds"
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
