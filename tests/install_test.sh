#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs
# on the example pair: gridcmp's report must be the example's expected report.
#
#   install_test.sh BUILD_DIR [EMULATOR...]
#
# EMULATOR (such as qemu-s390x) runs a binary built for another machine.
set -eu
build=$1
shift
source=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for installed in bin/gridcmp bin/gridcmp-study bin/gridcmp-plot share/man/man1/gridcmp.1 \
                 share/man/man1/gridcmp-study.1 share/man/man1/gridcmp-plot.1; do
  [ -f "$prefix/$installed" ] || { echo "not installed: $installed"; exit 1; }
done
cd "$source"
status=0
"$@" "$prefix/bin/gridcmp" examples/original.log examples/quantized.log >"$prefix/report" || status=$?
[ "$status" = 1 ] || { echo "exit status $status, expected 1"; exit 1; }
cmp "$prefix/report" examples/expected-report.txt
"$@" "$prefix/bin/gridcmp-study" -q --allow-partial examples/original.log examples/quantized.log >/dev/null ||
  { echo "the installed gridcmp-study failed on the example pair"; exit 1; }
