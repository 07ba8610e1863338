#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed gridcmp on
# the example pair: its report must be the example's expected report.
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
for installed in bin/gridcmp bin/gridcmp-plot share/man/man1/gridcmp.1; do
  [ -f "$prefix/$installed" ] || { echo "not installed: $installed"; exit 1; }
done
cd "$source"
status=0
"$@" "$prefix/bin/gridcmp" examples/original.log examples/quantized.log >"$prefix/report" || status=$?
[ "$status" = 1 ] || { echo "exit status $status, expected 1"; exit 1; }
cmp "$prefix/report" examples/expected-report.txt
