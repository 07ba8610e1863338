#!/usr/bin/env bash
# The man pages render without a single warning. Skipped without groff.
set -eu
doc=$(cd "$(dirname "$0")/.." && pwd)/doc
command -v groff >/dev/null || { echo "groff is not installed"; exit 77; }
for page in "$doc"/*.1; do
  warnings=$(groff -man -Tutf8 -ww "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings"; exit 1; }
done
