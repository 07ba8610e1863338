#!/usr/bin/env bash
# A study whose runs have all stopped ends at once, even where a log comes
# through a pipe whose writer keeps it open: it does not wait for the writer.
# The writer gives its log, then holds the pipe open until the test lets it go
# (after the study has returned; 30 s at most), and notes that it closes
# before it does: a study that waited for the close finds the note there when
# it returns. A study whose quantized log ended first still reads the
# original on, there to its end, to count the blocks left.
#
#   study_runs_stopped_test.sh BUILD_DIR [EMULATOR...]
set -u
build=$(cd "$1" && pwd)
shift
study=("$@" "$build/gridcmp-study")
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0

blocks() {
  for k in $(seq "$1" "$2"); do
    printf 'VistaGrid timeline paso t = %d.0\nh\nh\n1 1 2 3\n2 4 5 6\n\n' "$k"
  done
}
blocks 0 2 >original.log
printf 'no time line here\n1 1 2 3\n' >untimed.log  # a run that stops at the start
{ blocks 0 0; printf 'VistaGrid timeline\nh\nh\n'; } >faulty.log  # ... on a time line without a label

# Starts a writer of FILE into held.pipe that holds it open until released.
start_writer() {
  rm -f held.pipe release.pipe closing
  mkfifo held.pipe release.pipe
  (
    exec 3<>release.pipe
    cat "$1"
    read -r -t 30 _ <&3
    cat "${2:-/dev/null}"
    : >closing
  ) >held.pipe &
  writer=$!
}
release_writer() {
  exec 4<>release.pipe
  echo >&4
  exec 4>&-
  wait "$writer"
}

# stops_at_once NAME RUNS FILE ARGS...: a study of ARGS, its standard input
# the held pipe that gives FILE, whose RUNS runs all stop.
stops_at_once() {
  local name=$1 runs=$2
  start_writer "$3"
  shift 3
  "${study[@]}" "$@" <held.pipe >out 2>err
  local status=$?
  if [ -e closing ]; then echo "$name: the study ended only once the writer closed its pipe"; failed=1; fi
  release_writer
  [ "$status" = 1 ] || { echo "$name: exit status $status, not 1"; cat err; failed=1; }
  [ "$(grep -c ' stopped$' out)" = "$runs" ] || { echo "$name: not every run stopped:"; cat out; failed=1; }
}

stops_at_once "original through a pipe" 2 original.log /dev/stdin untimed.log faulty.log
stops_at_once "original through a pipe, -j 1" 2 original.log -j 1 /dev/stdin untimed.log faulty.log
stops_at_once "original through a pipe, -j 4" 3 original.log -j 4 /dev/stdin untimed.log faulty.log untimed.log
stops_at_once "original through a pipe, one run, -j 2" 1 original.log -j 2 /dev/stdin faulty.log
stops_at_once "quantized through a pipe, converted on its own thread" 1 original.log -j 4 faulty.log /dev/stdin
stops_at_once "quantized through a pipe, -j 1" 1 original.log -j 1 faulty.log /dev/stdin
readable=$("${study[@]}" --version | sed -n 's/^compressed logs: //p')
if [[ $readable == *gzip* ]] && command -v gzip >/dev/null; then
  gzip -c original.log >original.log.gz
  stops_at_once "gzip original through a pipe" 2 original.log.gz /dev/stdin untimed.log faulty.log
  stops_at_once "gzip original through a pipe, -j 1" 2 original.log.gz -j 1 /dev/stdin untimed.log faulty.log
fi
if [[ $readable == *zstd* ]] && command -v zstd >/dev/null; then
  zstd -q -c original.log >original.log.zst
  stops_at_once "zstd original through a pipe, -j 4" 2 original.log.zst -j 4 /dev/stdin untimed.log faulty.log
fi

# The quantized log ends first: the original's blocks written after the
# writer is let go are counted. (The pause only gives the study time to get
# there first; what it counts does not depend on it.)
blocks 0 1 >first.log
blocks 2 4 >rest.log
for jobs in 1 4; do
  start_writer first.log rest.log
  "${study[@]}" -j "$jobs" /dev/stdin first.log first.log <held.pipe >out 2>err &
  reader=$!
  sleep 1
  release_writer
  wait "$reader"
  [ "$(grep -c 'quantized ended first; original had 3 more blocks' out)" = 2 ] ||
    { echo "-j $jobs: the blocks left of the original were not all counted:"; cat out err; failed=1; }
done
exit $failed
