#!/usr/bin/env bash
# gridcmp-study reads `-` as standard input, the original or one run's log:
# through a pipe or a file given with `<`, compressed or not, with one run or
# several, -j 1 or 2. Its figures are those read from the file itself: the
# summary and the table are compared byte for byte with a study of the files
# (whose own figures study_figures checks), the run from `-` named alike.
# Unnamed, such a run is `stdin`, and so is the original in the JSON summary
# and the diagnostics. Standard input given twice, under any name, or while
# closed, is a usage error (exit status 2) naming both arguments.
#
#   study_standard_input_test.sh BUILD_DIR [EMULATOR...]
set -u
build=$(cd "$1" && pwd)
shift
study=("$@" "$build/gridcmp-study")
examples=$(cd "$(dirname "$0")/../examples/study" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
cp "$examples"/original.log "$examples"/fp32.log "$examples"/fp16.log .
failed=0

# The figures of the files, for every case below.
"${study[@]}" -q --table files.tsv original.log --name fp32 fp32.log --name fp16 fp16.log >files.out
"${study[@]}" -q --table files1.tsv original.log --name fp16 fp16.log >files1.out

# same NAME EXPECTED_OUT EXPECTED_TABLE: the summary (out) and the table
# (table.tsv) of the study just run are those of the files.
same() {
  cmp -s out "$2" || { echo "$1: the summary differs from the files':"; diff "$2" out | head; failed=1; }
  cmp -s table.tsv "$3" || { echo "$1: the table differs from the files'"; failed=1; }
}

for jobs in 1 2; do
  cat original.log | "${study[@]}" -q -j $jobs --table table.tsv - --name fp32 fp32.log --name fp16 fp16.log >out
  same "original piped, two runs, -j $jobs" files.out files.tsv
  cat original.log | "${study[@]}" -q -j $jobs --table table.tsv - --name fp16 fp16.log >out
  same "original piped, one run, -j $jobs" files1.out files1.tsv
  cat fp16.log | "${study[@]}" -q -j $jobs --table table.tsv original.log --name fp32 fp32.log --name fp16 - >out
  same "second run piped, -j $jobs" files.out files.tsv
  "${study[@]}" -q -j $jobs --table table.tsv original.log --name fp16 - <fp16.log >out
  same "run from a file on standard input, -j $jobs" files1.out files1.tsv
done
"${study[@]}" -q --table - original.log --name fp32 fp32.log --name fp16 - <fp16.log >table.tsv 2>out
same "the table to standard output" files.out files.tsv

readable=$("${study[@]}" --version | sed -n 's/^compressed logs: //p')
if [[ $readable == *gzip* ]] && command -v gzip >/dev/null; then
  gzip -c original.log | "${study[@]}" -q --table table.tsv - --name fp32 fp32.log --name fp16 fp16.log >out
  same "gzip original piped" files.out files.tsv
  gzip -c fp16.log | "${study[@]}" -q -j 1 --table table.tsv original.log --name fp16 - >out
  same "gzip run piped, -j 1" files1.out files1.tsv
fi
if [[ $readable == *zstd* ]] && command -v zstd >/dev/null; then
  zstd -q -c original.log >original.log.zst
  "${study[@]}" -q -j 2 --table table.tsv - --name fp32 fp32.log --name fp16 fp16.log <original.log.zst >out
  same "zstd original from a file on standard input, -j 2" files.out files.tsv
fi

# Named stdin: the run in the summary, the original in the JSON summary and
# in the diagnostics (a last line without a newline).
"${study[@]}" -q original.log - <fp16.log >out
[ "$(awk 'NR == 2 { print $1 }' out)" = stdin ] || { echo "a run from - is not named stdin:"; cat out; failed=1; }
head -c -2 original.log | "${study[@]}" --json out.json - fp16.log >/dev/null 2>err
grep -q '^  "original": "stdin",$' out.json && grep -q '^      "original": "stdin",$' out.json ||
  { echo "the original from - is not stdin in the JSON summary"; failed=1; }
grep -q '^gridcmp-study: stdin ends without a newline at line ' err ||
  { echo "the original from - is not stdin in the diagnostics:"; cat err; failed=1; }

# refused A B ARGUMENTS...: a usage error that names the arguments A and B,
# with nothing on standard output and no table made.
refused() {
  local a=$1 b=$2 status
  shift 2
  "${study[@]}" --table refused.tsv "$@" >out 2>err
  status=$?
  [ "$status" = 2 ] || { echo "$*: exit status $status, not 2"; failed=1; }
  grep -qF "gridcmp-study: $a and $b " err || { echo "$*: not said:"; cat err; failed=1; }
  [ ! -s out ] && [ ! -e refused.tsv ] || { echo "$*: wrote something"; failed=1; }
}
refused - - original.log - - <fp16.log
cat fp16.log | refused /dev/stdin - /dev/stdin fp32.log -
cat fp16.log | refused /dev/stdin /dev/stdin original.log /dev/stdin /dev/stdin
refused - /dev/fd/0 - fp32.log /dev/fd/0 <original.log
refused - original.log - original.log <original.log
for name in - /dev/stdin /proc/self/fd/0; do
  "${study[@]}" original.log "$name" <&- >out 2>err
  status=$?
  [ "$status" = 2 ] && grep -qF "gridcmp-study: $name is standard input, which is closed" err ||
    { echo "$name with standard input closed: exit status $status"; cat err; failed=1; }
done
exit $failed
