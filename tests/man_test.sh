#!/usr/bin/env bash
# The man page renders without a single warning. Skipped without groff.
set -eu
page=$(cd "$(dirname "$0")/.." && pwd)/doc/gridcmp.1
command -v groff >/dev/null || { echo "groff is not installed"; exit 77; }
warnings=$(groff -man -Tutf8 -ww "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
