#!/usr/bin/env bash
# gridcmp at two edges of what it is given:
# - a log through a pipe is read as its lines come: every result line is out
#   while the pipe's writer still holds it open (a model watched as it runs);
# - under a memory limit it never aborts: exit status 1, nothing on standard
#   error, and standard output the whole report or the lines it had written
#   followed by "Memoria insuficiente". (Skipped under the sanitizers, which
#   reserve far more address space than any limit here.)
#
#   gridcmp_pipes_and_memory_test.sh BUILD_DIR [EMULATOR...]
set -u
build=$(cd "$1" && pwd)
shift
gridcmp=("$@" "$build/gridcmp")
examples=$(cd "$(dirname "$0")/../examples" && pwd)
work=$(mktemp -d)
trap 'exec 3>&-; rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0

full=$("${gridcmp[@]}" "$examples/original.log" "$examples/quantized.log")
results=$(grep -c '^[0-9]' <<<"$full")

# The writer sends the whole log, then holds the pipe open until told.
mkfifo release
( cat "$examples/original.log"; cat release >/dev/null ) | "${gridcmp[@]}" /dev/stdin "$examples/quantized.log" >out &
exec 3>release
for ((i = 0; i < 600; i++)); do
  [ "$(grep -c '^[0-9]' out)" = "$results" ] && break
  sleep 0.1
done
if [ "$(grep -c '^[0-9]' out)" != "$results" ]; then
  echo "pipe: $(grep -c '^[0-9]' out) of $results result lines out while the writer held the pipe"
  failed=1
fi
exec 3>&-
wait

if [ -n "${1:-}" ] || grep -qa '__asan_init\|__tsan_init\|__ubsan_handle' "$build/gridcmp"; then
  echo "memory limits: skipped (an emulator or a sanitizer build)"
else
  # Below about 6 MB the system's loader fails before gridcmp starts (exit
  # status 127, nothing on standard output); just above that, finely, where
  # too little was left even to throw std::bad_alloc in.
  ends=
  for kb in $(seq 4000 20 9000) $(seq 10000 1000 26000); do
    out=$( (ulimit -v "$kb"; "${gridcmp[@]}" "$examples/original.log" "$examples/quantized.log") 2>err)
    status=$?
    [ "$status" = 127 ] && [ -z "$out" ] && continue
    [ "$out" = "$full" ] && ends="$ends whole" || ends="$ends short"
    if [ "$status" != 1 ] || [ -s err ]; then
      echo "ulimit -v $kb: exit status $status, standard error: $(head -c 200 err)"
      failed=1
    elif [ "$out" != "$full" ] && { [ "$(tail -n 1 <<<"$out")" != "Memoria insuficiente" ] ||
                                    [ "${full#"$(head -n -1 <<<"$out")"}" = "$full" ]; }; then
      echo "ulimit -v $kb: not the report, nor a part of it and the message:"
      echo "$out" | tail -n 3
      failed=1
    fi
  done
  # The limits must reach from too little to enough, or the test tests nothing.
  case "$ends" in *short*whole*) ;; *) echo "memory limits: not from too little to enough:$ends"; failed=1 ;; esac
fi
exit $failed
