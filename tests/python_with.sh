#!/usr/bin/env bash
# Runs a python test with the first python3 that has MODULE, which the test
# needs (the Debian one may have it where the first on PATH does not).
# Skipped without one.
#
#   python_with.sh MODULE TEST.py [ARGUMENT...]
module=$1
shift
for python in python3 /usr/bin/python3; do
  if command -v "$python" >/dev/null 2>&1 && "$python" -c "import $module" >/dev/null 2>&1; then
    exec "$python" "$@"
  fi
done
echo "no python3 with $module: $(basename "$1") is skipped"
exit 77
