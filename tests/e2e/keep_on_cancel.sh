#!/usr/bin/env bash
# "Ja" to the change prompt, then Cancel in the save dialog: the user keeps the drawing.
# Through the real prompt and the real save dialog, for choosing another drawing in the
# list and for the quit button; the coloured drawing stays on show and Orbelle stays open.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"

exe=$(private_program "$exe")

start_xvfb 800x600
export ORBELLE_INSTANCE="orbelle-e2e-keep-$$"
export QT_QPA_PLATFORMTHEME=""
start_orbelle "$exe"
colour_a_region
sx=$SX; sy=$SY; cx=$CX; cy=$CY

# answer_yes_then_cancel: the prompt is modal and takes the keyboard; Enter is "Yes", then
# Escape closes the save dialog without saving.
answer_yes_then_cancel() {
  [ -n "${E2E_SHOT:-}" ] && import -window root "$E2E_SHOT-$(date +%s%N).png"
  sleep 1.5
  xdotool key Return
  local dialog
  dialog=$(wait_window "Save mandala") || fail "no save dialog after $1"
  sleep 0.5
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  xdotool key Escape
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "Save mandala" >/dev/null 2>&1 || break
    sleep 0.1
  done
  sleep 1
}

# Another drawing: the "Mandalas" tab, then the second line of the drawings list.
click 513 417
click $((493 + 5 + 40)) $((20 + 80 + 1 + 16 + 8))
answer_yes_then_cancel "choosing another drawing"
[ "$(pixel "$sx" "$sy")" = "128,255,255" ] || fail "another drawing replaced the kept one"

# The quit button.
click $((618 + 8)) $((2 + 8))
answer_yes_then_cancel "quit"
kill -0 "$APP_PID" 2>/dev/null || fail "Orbelle ended although the drawing was kept"
xdotool search --onlyvisible --name "Orbelle 2.0 release 5" >/dev/null || fail "the main window is gone"
[ "$(pixel "$sx" "$sy")" = "128,255,255" ] || fail "the drawing is gone after a kept quit"
[ -z "$(ls "$E2E_TMP/prog/User" 2>/dev/null)" ] || fail "something was saved"
