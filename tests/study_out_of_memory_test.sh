#!/usr/bin/env bash
# A study short of memory, or of the threads it needs (under ulimit -v, where
# a thread's stack counts too), ends with a message and exit status 2, never
# a signal: no earlier output replaced, no temporary file left. With enough,
# it ends as it does without a limit. One run and two, -j 1 and -j 2, from
# too little to enough.
#
#   study_out_of_memory_test.sh BUILD_DIR [EMULATOR...]
set -u
build=$(cd "$1" && pwd)
shift
study=$build/gridcmp-study
if [ $# -gt 0 ]; then
  echo "an emulator's own memory counts under ulimit -v: skipped"
  exit 77
fi
# The sanitizers reserve terabytes of address space at start.
if grep -q -a -e __asan_init -e __tsan_init -e __msan_init "$study"; then
  echo "a sanitizer's reserved memory counts under ulimit -v: skipped"
  exit 77
fi
examples=$(cd "$(dirname "$0")/../examples/study" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir tmp
export TMPDIR=$work/tmp
outputs=(table.tsv cells.tsv study.json)
failed=0
statuses=

for logs in "fp16.log" "fp16.log bf16.log"; do
  study_of() {  # PREFIX [OPTION...]: the outputs named PREFIXtable.tsv ...
    "$study" "${@:2}" --table "$1"table.tsv --cells 0014.50 "$1"cells.tsv --json "$1"study.json \
      "$examples/original.log" $(for log in $logs; do echo "$examples/$log"; done)
  }
  study_of whole- >whole-out 2>whole-err
  whole=$?
  for jobs in 1 2; do
    # Finely just above where the loader starts the study (below, exit
    # status 127 and nothing said), where too little was left even to throw
    # std::bad_alloc in; then from too little to enough.
    fine=
    [ "$logs" = fp16.log ] && fine=$(seq 4000 20 9000)
    for kb in $fine $(seq 8000 8000 72000); do
      case="$logs, -j $jobs, ulimit -v $kb"
      for output in "${outputs[@]}"; do echo earlier >"$output"; done
      (ulimit -v "$kb" && study_of "" -j "$jobs") >out 2>err
      status=$?
      [ "$status" = 127 ] && [ ! -s out ] && continue
      statuses="$statuses $status"
      if [ "$status" = 2 ]; then
        [ -s err ] || { echo "$case: exit status 2 without a message"; failed=1; }
        for output in "${outputs[@]}"; do
          [ "$(cat "$output")" = earlier ] || { echo "$case: exit status 2, and $output was replaced"; failed=1; }
        done
      elif [ "$status" = "$whole" ]; then
        # As without a limit: the same summary, messages and outputs.
        for file in out err "${outputs[@]}"; do
          cmp -s "$file" "whole-$file" || { echo "$case: $file differs from the study's without a limit"; failed=1; }
        done
      else
        echo "$case: exit status $status (without a limit: $whole)"
        head -n 5 err
        failed=1
      fi
      if ls -a | grep -q -e partial -e kept; then
        echo "$case: left $(ls -a | grep -e partial -e kept)"
        failed=1
        rm -f -- *partial* .*partial*
      fi
      if [ -n "$(ls -A tmp)" ]; then echo "$case: left files in TMPDIR"; failed=1; rm -f tmp/*; fi
    done
  done
done
# The limits must reach from too little to enough, or the test tests nothing.
case " $statuses " in *" 2 "*) ;; *) echo "no limit was too little:$statuses"; failed=1 ;; esac
case " $statuses " in *" 0 "*) ;; *) echo "no limit was enough:$statuses"; failed=1 ;; esac
exit $failed
