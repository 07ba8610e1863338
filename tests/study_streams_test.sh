#!/usr/bin/env bash
# gridcmp-study at the edges of its standard streams: a summary that cannot
# be written, standard output full or a pipe without a reader, outputs that
# are standard error. Each case says what it expects: the exit status, what
# standard error says, and that no earlier output was replaced.
#
#   study_streams_test.sh BUILD_DIR [EMULATOR...]
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
  ! ls -a | grep -q partial || fail "$1: left $(ls -a | grep partial)"
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

exit $failed
