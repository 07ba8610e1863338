#!/usr/bin/env bash
# Runs a binary (gridcmp or gridcmp-study) on one end-to-end case and compares
# its whole standard output, its standard error and its exit status with the
# case's expected files.
#
#   run_e2e_case.sh CASE_DIR [EMULATOR...] BINARY
#
# EMULATOR (such as qemu-s390x) runs a binary built for another machine.
#
# A case is a folder holding:
#   args             the command line after the program name, read by bash
#                    (so "<(cat a.log)" gives a pipe); may be empty
#   expected.out     the exact standard output
#   expected.err     optional: the exact standard error (without it, there
#                    must be none)
#   expected.status  the exact exit status
#   make_inputs.sh   optional: writes inputs too large or odd to keep in git
#                    (GRIDCMP_SOURCE_DIR names the source tree)
#   after.sh         optional: checks made after the run (the files it left,
#                    or did not), which must succeed
#   needs            optional: compressed formats the program must read
#                    ("gzip zstd"), as its --version lists them; without
#                    them the case is skipped (exit status 77)
#   any input files the args name
# The run happens in a scratch copy of the folder, so names echo as written,
# with TMPDIR an empty folder of its own (tmp/ in the copy).
set -u
case_dir=$1
shift
run=("$@")
export GRIDCMP_SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$case_dir/." "$work/"
cd "$work" || exit 2
if [ -f needs ]; then
  readable=$("${run[@]}" --version | sed -n 's/^compressed logs: //p')
  for format in $(cat needs); do
    case ", $readable," in
      *", $format,"*) ;;
      *) echo "this build reads no $format logs: skipped"; exit 77 ;;
    esac
  done
fi
mkdir tmp && export TMPDIR=$work/tmp
if [ -f make_inputs.sh ]; then bash make_inputs.sh || { echo "make_inputs.sh failed"; exit 2; }; fi

args=$(cat args)
eval "\"\${run[@]}\" $args" >actual.out 2>actual.err </dev/null
status=$?

ok=1
if ! cmp -s expected.out actual.out; then
  echo "standard output differs from expected.out:"
  cat -vet expected.out >expected.shown
  cat -vet actual.out >actual.shown
  diff expected.shown actual.shown | head -n 40
  ok=0
fi
if [ "$status" != "$(cat expected.status)" ]; then
  echo "exit status $status, expected $(cat expected.status)"
  ok=0
fi
if [ -f expected.err ]; then
  if ! cmp -s expected.err actual.err; then
    echo "standard error differs from expected.err:"
    diff expected.err actual.err | head -n 40
    ok=0
  fi
elif [ -s actual.err ]; then
  echo "unexpected standard error:"
  head -n 20 actual.err
  ok=0
fi
if [ -f after.sh ] && ! bash after.sh; then
  echo "after.sh failed"
  ok=0
fi
[ $ok = 1 ]
