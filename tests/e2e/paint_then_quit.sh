#!/usr/bin/env bash
# Starts Orbelle on an 800x600 X display, picks the language in the intro window, enters the paint page by its menu button,
# then quits with the caption bar's quit button: the window and the process are gone.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"

start_xvfb 800x600
export ORBELLE_INSTANCE="orbelle-e2e-$$"
unset QT_QPA_PLATFORM
"$exe" >"$E2E_TMP/app.log" 2>&1 &
APP_PID=$!

# The intro window asks for the language first: choose "English".
intro=$(wait_window "^Orbelle$") || fail "no intro window"
eval "$(xdotool getwindowgeometry --shell "$intro")"
sleep 0.3
xdotool mousemove $((X + 145 + 60)) $((Y + 255 + 10)) click 1
sleep 0.5
xdotool key Down Return
win=$(wait_window "Orbelle 2.0 release 5") || fail "no main window after the intro"
eval "$(xdotool getwindowgeometry --shell "$win")"   # X, Y, WIDTH, HEIGHT
[ "$WIDTH" = 640 ] && [ "$HEIGHT" = 480 ] || fail "window is ${WIDTH}x${HEIGHT}, not 640x480"
sleep 0.5

# The centre of the painting area, before and after entering the paint page.
cx=$((X + 40 + 215)); cy=$((Y + 20 + 10 + 215))
before=$(pixel $cx $cy)
xdotool mousemove $((X + 451 + 16)) $((Y + 20 + 300 + 16)) click 1
sleep 1
after=$(pixel $cx $cy)
# The painting area shows the first drawing (black lines on white) or, without one, black.
case "$after" in 0,0,0|255,255,255) ;; *) fail "paint page not shown (centre pixel $before -> $after)" ;; esac
[ "$before" != "$after" ] || fail "the page did not change"

# Quit by the caption bar's x button.
xdotool mousemove $((X + 618 + 8)) $((Y + 2 + 8)) click 1
for _ in $(seq 100); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$APP_PID" 2>/dev/null; then fail "process still running after quit"; fi
wait "$APP_PID" || fail "exit code $?"
APP_PID=""
if xdotool search --onlyvisible --name "Orbelle 2.0 release 5" >/dev/null 2>&1; then
  fail "window still there"
fi
