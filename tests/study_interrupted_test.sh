#!/usr/bin/env bash
# A study that is interrupted leaves nothing behind: no partial table where
# one was asked for (an earlier table stays as it was), no temporary file
# beside it, none in $TMPDIR. It is stopped by Ctrl-C (SIGINT), by kill
# (SIGTERM) and by a closed pipe, while it waits for the rest of a quantized
# log coming through a FIFO.
#
#   study_interrupted_test.sh BUILD_DIR [EMULATOR...]
set -u
set -m  # background jobs keep SIGINT, as at a terminal
build=$(cd "$1" && pwd)
shift
study=("$@" "$build/gridcmp-study")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir tmp
export TMPDIR=$work/tmp
failed=0

for k in 0 1 2 3; do
  printf 'VistaGrid timeline paso t = %d.0\nh\nh\n1 1 2 3\n2 4 5 6\n\n' "$k"
done >original.log
head -n 6 original.log >first-block.log

nothing_left() {
  if [ "$(cat table.tsv)" != earlier ]; then echo "$1: the earlier table was changed"; failed=1; fi
  if ls -a | grep -q partial; then echo "$1: left a partial table: $(ls -a | grep partial)"; failed=1; fi
  if [ -n "$(ls -A tmp)" ]; then echo "$1: left files in TMPDIR: $(ls -A tmp)"; failed=1; fi
}

for signal in INT TERM; do
  echo earlier >table.tsv
  rm -f quantized.pipe && mkfifo quantized.pipe
  "${study[@]}" --table table.tsv original.log quantized.pipe >/dev/null 2>&1 &
  pid=$!
  exec 3<>quantized.pipe  # read-write: never waits, whatever the study did
  cat first-block.log >&3
  sleep 1  # the study has compared the first block and waits for more
  kill -s "$signal" "$pid"
  wait "$pid"
  status=$?
  exec 3>&-
  [ "$status" -gt 128 ] || { echo "SIG$signal: exit status $status, not a death by the signal"; failed=1; }
  nothing_left "SIG$signal"
done

# A closed pipe: the table goes to standard output, which a reader stops
# reading at once.
echo earlier >table.tsv
for k in $(seq 4 3000); do
  printf 'VistaGrid timeline paso t = %d.0\nh\nh\n1 1 2 3\n2 4 5 6\n\n' "$k"
done >>original.log
"${study[@]}" --table - original.log original.log original.log 2>/dev/null | head -c 1 >/dev/null
nothing_left "closed pipe"

# And a study that completes renames its table into place.
"${study[@]}" -q --table table.tsv original.log original.log >/dev/null
[ "$(head -c 4 table.tsv)" = run$'\t' ] || { echo "the completed study did not write its table"; failed=1; }
if ls -a | grep -q partial; then echo "the completed study left a partial table"; failed=1; fi
exit $failed
