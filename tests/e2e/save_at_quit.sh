#!/usr/bin/env bash
# Colours a drawing, quits with the caption bar's quit button, answers "Yes" to the change
# prompt and saves into the user's folder through the real save dialog; then starts again,
# chooses the user's subject and finds the coloured drawing there.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"

# A private copy of the program folder, so the saved drawing lands in its own User/.
exe=$(private_program "$exe")

start_xvfb 800x600
export ORBELLE_INSTANCE="orbelle-e2e-save-$$"
export QT_QPA_PLATFORMTHEME=""
start_orbelle "$exe"
colour_a_region
sx=$SX; sy=$SY; cx=$CX; cy=$CY

click $((618 + 8)) $((2 + 8))                        # quit: the change prompt comes up
# The prompt is modal and takes the keyboard: Enter answers "Yes".
sleep 1.5
xdotool key Return
dialog=$(wait_window "Save mandala") || fail "no save dialog"
sleep 0.5
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool type --delay 20 "$E2E_TMP/prog/User/mine.bmp"
xdotool key Return
for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2>/dev/null && fail "Orbelle did not end after saving"
wait "$APP_PID" 2>/dev/null || true; APP_PID=""
[ "$(head -c 2 "$E2E_TMP/prog/User/mine.bmp" 2>/dev/null)" = "BM" ] || fail "nothing saved into User/"

# Start again: the user's subject is the last; its first drawing is the saved one.
"$exe" --lang 44 >>"$E2E_TMP/app.log" 2>&1 &
APP_PID=$!
win=$(wait_window "Orbelle 2.0 release 5") || fail "no main window at the second start"
eval "$(xdotool getwindowgeometry --shell "$win")"
sleep 0.5
click $((451 + 16)) $((20 + 300 + 16))
click $((493 + 5 + 60)) $((20 + 28 + 11))            # open the subject list
xdotool key End Return
sleep 1.5
[ "$(pixel "$sx" "$sy")" = "128,255,255" ] || fail "the saved drawing does not show its colour: $(pixel "$sx" "$sy")"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=""
