#!/usr/bin/env bash
# Picks the second drawing of the first subject in the list, chooses the fill tool and
# fills a white region of the drawing by clicking it: the region turns the current colour.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"

start_xvfb 800x600
export ORBELLE_INSTANCE="orbelle-e2e-fill-$$"
start_orbelle "$exe"
# Window coordinates are design coordinates at 800x600 (no scaling); the page starts at y 20.
click $((451 + 16)) $((20 + 300 + 16))              # the paint entry
click $((493 + 5 + 40)) $((20 + 5 + 80 + 16 + 8))    # the second drawing in the list
click $((370 + 16)) $((20 + 410 + 16))               # the fill tool ("verf")
# A white pixel of the drawing near the middle of the round opening.
cx=$((X + 40 + 215)); cy=$((Y + 20 + 10 + 215))
spot=$(white_spot "$cx" "$cy") || fail "no white region found in the drawing"
set -- $spot
xdotool mousemove "$1" "$2" click 1
sleep 1
after=$(pixel "$1" "$2")
# The starting colour is HSV (180, 50 %, 100 %): red 128, green 255, blue 255.
[ "$after" = "128,255,255" ] || fail "region not filled: $after at $1,$2"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=""
