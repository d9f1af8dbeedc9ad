#!/usr/bin/env bash
# A real start on an X display: what the first frame does not show (the music and its media
# back end, the archive's directory and the text database, the printer list) still happens,
# and only once the window has been painted. The program's start-up stages, switched on by
# ORBELLE_STARTUP_STAGES, say what ran when.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"

start_xvfb 1024x768
export ORBELLE_INSTANCE="orbelle-e2e-$$"
unset QT_QPA_PLATFORM
ORBELLE_STARTUP_STAGES=1 timeout 60 "$exe" --lang 44 --quit-after-paint >"$E2E_TMP/out.log" 2>"$E2E_TMP/err.log" ||
  fail "the program failed: $(cat "$E2E_TMP/err.log")"

# "stage <name> <begin> <end>": the begin of a stage by name.
begin() { awk -v n="$1" '$1 == "stage" { name = $2; for (i = 3; i <= NF - 2; ++i) name = name " " $i;
  if (name == n) { print $(NF - 1); exit } }' "$E2E_TMP/out.log"; }

paint=$(begin "first frame")
[ -n "$paint" ] || fail "no first frame: $(cat "$E2E_TMP/out.log")"
grep -q '^peak-rss-kb [0-9]' "$E2E_TMP/out.log" || fail "no peak RSS reported"
for stage in "music and media back end" "archive directory and text database" "printer list"; do
  at=$(begin "$stage")
  [ -n "$at" ] || fail "'$stage' never ran"
  [ "$at" -ge "$paint" ] || fail "'$stage' ran before the first frame was painted"
done
# Everything the window itself needs is done before it is painted.
for stage in "main window construction" "backgrounds" "language file"; do
  at=$(begin "$stage")
  [ -n "$at" ] && [ "$at" -lt "$paint" ] || fail "'$stage' missing or after the first frame"
done
echo "ok"
