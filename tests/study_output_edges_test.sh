#!/usr/bin/env bash
# gridcmp-study at the edges of its outputs: a summary that cannot be
# written, standard output full or a pipe without a reader, outputs that are
# standard error, another user's file replaced by root, names too long, a
# rename that fails at the end. Each case says what it expects: the exit
# status, what standard error says, and that no earlier output was replaced.
#
#   study_output_edges_test.sh BUILD_DIR [EMULATOR...]
set -u
build=$(cd "$1" && pwd)
shift
study=("$@" "$build/gridcmp-study")
examples=$(cd "$(dirname "$0")/../examples/study" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
cp "$examples/original.log" "$examples/fp16.log" .
failed=0
fail() { echo "$*"; failed=1; }
expect_status() {  # CASE EXPECTED ACTUAL
  [ "$3" = "$2" ] || fail "$1: exit status $3, expected $2"
}
kept() {  # CASE FILE: FILE still holds "earlier", and no temporary file is left
  [ "$(cat "$2")" = earlier ] || fail "$1: $2 was replaced"
  ! ls -a | grep -q -e partial -e kept || fail "$1: left $(ls -a | grep -e partial -e kept)"
}

# The summary goes to standard error when an output takes standard output;
# a summary that cannot be written there is exit status 2, replacing nothing.
echo earlier >t.tsv
"${study[@]}" --table t.tsv --json - original.log fp16.log 2>&- >j.out
expect_status "summary to a closed standard error" 2 $?
kept "summary to a closed standard error" t.tsv
grep -q '"exit_status": 2' j.out || fail "summary to a closed standard error: the JSON does not say exit status 2"
"${study[@]}" --table - --json t.tsv original.log fp16.log 2>/dev/full >/dev/null
expect_status "summary to a full standard error" 2 $?
kept "summary to a full standard error" t.tsv

# Standard output full under the table: one message, with its reason.
"${study[@]}" --table - original.log fp16.log >/dev/full 2>err
expect_status "the table to a full standard output" 2 $?
[ "$(grep -c 'cannot write' err)" = 1 ] && grep -q "cannot write the table to standard output: No space left on device" err ||
  fail "the table to a full standard output: $(cat err)"

# A pipe without a reader: a message and exit status 2, not SIGPIPE.
if command -v python3 >/dev/null; then
  python3 -c '
import os, subprocess, sys
reader, writer = os.pipe()
os.close(reader)
sys.exit(subprocess.call(sys.argv[1:], stdout=writer) % 256)' "${study[@]}" original.log fp16.log 2>err
  expect_status "a pipe without a reader" 2 $?
  grep -q "cannot write to standard output: Broken pipe" err || fail "a pipe without a reader: $(cat err)"
fi

# An output that is standard error (by name, or the file it was sent to) is
# written there, not replaced: the messages after it follow it in the file.
head -n 100 fp16.log >cut.log
for name in /dev/stderr e.txt; do
  "${study[@]}" --table "$name" original.log cut.log >out 2>e.txt
  expect_status "the table to standard error as $name" 1 $?
  [ "$(head -n 1 e.txt | cut -f 1-2)" = "$(printf 'run\tblock')" ] && [ "$(grep -c '^cut.log' e.txt)" = 6 ] &&
    grep -q '^gridcmp-study: cut.log: cut.log ended first' e.txt && grep -q '^cut.log ' out ||
    fail "the table to standard error as $name: $(head -n 2 e.txt; tail -n 1 e.txt)"
done

# /dev/null as an output while standard error is closed (and held by
# /dev/null for reading) is /dev/null, not standard error.
"${study[@]}" -q --table /dev/null original.log fp16.log >out 2>&-
expect_status "the table to /dev/null, standard error closed" 0 $?

# Root replacing another user's output keeps its owner, group and mode; a
# user replacing root's file in a folder of their own does so though the
# system protects hard links to it (no second name to put it back by).
if [ "$(id -u)" = 0 ]; then
  echo earlier >owned.tsv && chown 65534:65534 owned.tsv && chmod 600 owned.tsv
  "${study[@]}" --table owned.tsv original.log fp16.log >out 2>err
  [ "$(stat -c '%u:%g %a' owned.tsv)" = "65534:65534 600" ] && [ "$(cat owned.tsv)" != earlier ] ||
    fail "another user's table replaced by root: $(stat -c '%u:%g %a' owned.tsv)"
  if command -v setpriv >/dev/null && [ "$(cat /proc/sys/fs/protected_hardlinks 2>/dev/null)" = 1 ]; then
    mkdir theirs && cp original.log fp16.log theirs/ && echo earlier >theirs/t.tsv
    chown -R 65534 theirs && chown 0 theirs/t.tsv && chmod 644 theirs/t.tsv && chmod o+rx "$work"
    (cd theirs && setpriv --reuid=65534 --regid=65534 --clear-groups "${study[@]}" -q --table t.tsv original.log \
      fp16.log >/dev/null 2>../err)
    expect_status "root's table replaced in a user's folder" 0 $?
    [ "$(cat theirs/t.tsv)" != earlier ] || fail "root's table replaced in a user's folder: $(cat err)"
  fi
fi

# A name longer than its folder allows is refused before anything is
# compared, not by the last rename after the table was replaced.
long=$(printf 'j%.0s' {1..256})
echo earlier >t.tsv
"${study[@]}" --table t.tsv --json "$long" original.log fp16.log >out 2>err
expect_status "a JSON name of 256 bytes" 2 $?
kept "a JSON name of 256 bytes" t.tsv
grep -q "File name too long" err || fail "a JSON name of 256 bytes: $(cat err)"
[ ! -s out ] || fail "a JSON name of 256 bytes: compared all the same"

# The JSON's folder removed while the study runs: its rename fails, and the
# table renamed before it is put back, as is the cells file made new.
echo earlier >t.tsv
mkdir gone
echo earlier >gone/j.json
mkfifo feed
"${study[@]}" --table t.tsv --cells 0014.50 c.tsv --json gone/j.json original.log feed >out 2>err &
exec 3>feed
until ls -a gone | grep -q partial; do sleep 0.05; done
rm -r gone
cat fp16.log >&3
exec 3>&-
wait $!
expect_status "a folder removed meanwhile" 2 $?
kept "a folder removed meanwhile" t.tsv
[ ! -e c.tsv ] || fail "a folder removed meanwhile: the new cells file stays"
grep -q "cannot write the JSON summary gone/j.json: No such file or directory" err || fail "a folder removed meanwhile: $(cat err)"

exit $failed
