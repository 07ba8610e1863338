#!/usr/bin/env bash
# gridcmp-plot draws what it is given: runs through tests/plot_test.py, with
# the first python3 that has matplotlib (which the plot itself needs, and
# the test uses to look at the pictures). Skipped without one.
#
#   plot_test.sh STUDY_TABLE VERSION
for python in python3 /usr/bin/python3; do
  if command -v "$python" >/dev/null 2>&1 && "$python" -c 'import matplotlib' >/dev/null 2>&1; then
    exec "$python" "$(dirname "$0")/plot_test.py" "$@"
  fi
done
echo "no python3 with matplotlib: the plot is not tested"
exit 77
