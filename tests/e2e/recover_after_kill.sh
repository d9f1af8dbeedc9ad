#!/usr/bin/env bash
# A drawing survives a kill: colour, wait for the copy to be kept, SIGKILL the program,
# start it again, answer "Yes" to the restore question, and find the same pixels on show as
# a changed drawing (quitting asks about it). Then "No" at a later start removes the copy.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"

exe=$(private_program "$exe")

start_xvfb 800x600
export ORBELLE_INSTANCE="orbelle-e2e-recover-$$"
export QT_QPA_PLATFORMTHEME=""
start_orbelle "$exe"
colour_a_region
sx=$SX; sy=$SY; cx=$CX; cy=$CY
before="$E2E_TMP/before.png"
import -silent -window root -crop "300x300+$((cx - 150))+$((cy - 150))" "$before"

# The copy is kept within about a second of the change.
for _ in $(seq 50); do [ -s "$E2E_TMP/prog/T/Orbelle-recovery.bmp" ] && break; sleep 0.1; done
[ -s "$E2E_TMP/prog/T/Orbelle-recovery.bmp" ] || fail "no recovery copy was written"
kill -KILL "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=""

# Start again: the restore question comes up over the main window; Enter answers "Yes".
start_orbelle "$exe"
sleep 1.5
xdotool key Return
sleep 1.5
after="$E2E_TMP/after.png"
import -silent -window root -crop "300x300+$((cx - 150))+$((cy - 150))" "$after"
diff=$(compare -metric AE "$before" "$after" null: 2>&1 || true)
[ -n "${E2E_SHOT:-}" ] && cp "$before" "$E2E_SHOT-before.png" && cp "$after" "$E2E_SHOT-after.png"
[ "$diff" = "0" ] || fail "the restored drawing differs from the coloured one in $diff pixels"
[ "$(pixel "$sx" "$sy")" = "128,255,255" ] || fail "the colour is not back"

# It is a changed drawing: the quit button asks about it ("No" lets the program end).
click $((618 + 8)) $((2 + 8))
sleep 1.5
xdotool key Escape
for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2>/dev/null && fail "Orbelle did not end after \"No\""
wait "$APP_PID" 2>/dev/null || true; APP_PID=""
[ -e "$E2E_TMP/prog/T/Orbelle-recovery.bmp" ] && fail "a clean end left the recovery copy"

# A copy answered with "No" is removed and not offered again.
mkdir -p "$E2E_TMP/prog/T"
convert -size 64x48 xc:red "BMP3:$E2E_TMP/prog/T/Orbelle-recovery.bmp"
start_orbelle "$exe"
sleep 1.5
xdotool key Escape
sleep 0.5
[ -e "$E2E_TMP/prog/T/Orbelle-recovery.bmp" ] && fail "\"No\" kept the recovery copy"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=""
