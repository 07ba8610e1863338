#!/usr/bin/env bash
# Runs the gridcmp binary on one end-to-end case and compares its whole standard
# output and its exit status with the case's expected files.
#
# A case is a folder holding:
#   args             the command line after the program name, read by bash
#                    (so "<(cat a.log)" gives a pipe); may be empty
#   expected.out     the exact standard output
#   expected.status  the exact exit status
#   make_inputs.sh   optional: writes inputs too large or odd to keep in git
#                    (GRIDCMP_SOURCE_DIR names the source tree)
#   any input files the args name
# The run happens in a scratch copy of the folder, so names echo as written.
set -u
bin=$1
case_dir=$2
export GRIDCMP_SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$case_dir/." "$work/"
cd "$work" || exit 2
if [ -f make_inputs.sh ]; then bash make_inputs.sh || { echo "make_inputs.sh failed"; exit 2; }; fi

args=$(cat args)
eval "\"\$bin\" $args" >actual.out 2>actual.err </dev/null
status=$?

ok=1
if ! cmp -s expected.out actual.out; then
  echo "standard output differs from expected.out:"
  diff <(cat -A expected.out) <(cat -A actual.out) | head -n 40
  ok=0
fi
if [ "$status" != "$(cat expected.status)" ]; then
  echo "exit status $status, expected $(cat expected.status)"
  ok=0
fi
if [ -s actual.err ]; then
  echo "unexpected standard error:"
  head -n 20 actual.err
  ok=0
fi
[ $ok = 1 ]
