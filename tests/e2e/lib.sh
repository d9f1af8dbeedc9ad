# Shared helpers of the end-to-end tests: a private X server and a few probes.
set -euo pipefail
E2E_TMP=$(mktemp -d)
XVFB_PID=""
APP_PID=""

APP_FOLDER="$(dirname "${1:-/nonexistent/x}")"  # the program folder the test was given

cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  # A program ended by a signal keeps its drawing for the next start to offer; the next
  # test must not meet it.
  if [ -n "$APP_FOLDER" ]; then
    [ -n "$APP_PID" ] && wait "$APP_PID" 2>/dev/null || true
    rm -f "$APP_FOLDER/T/Orbelle-recovery.bmp" "$APP_FOLDER/T/Orbelle-recovery.txt"
  fi
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$E2E_TMP"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# start_xvfb WxH: a private display; sets DISPLAY.
start_xvfb() {
  local fd_file="$E2E_TMP/display"
  exec 9>"$fd_file"
  Xvfb -displayfd 9 -screen 0 "${1}x24" -nolisten tcp -noreset >"$E2E_TMP/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  [ -s "$fd_file" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$fd_file")"
}

# wait_window NAME: prints the window id once a window with that name is mapped.
wait_window() {
  for _ in $(seq 150); do
    local id
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

# pixel X Y: the colour at a screen position as "r,g,b".
pixel() {
  import -silent -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 2p | sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}

# white_spot CX CY: prints "x y" of a white pixel near the screen point (a region to fill).
white_spot() {
  local cx=$1 cy=$2 d p
  for d in 0 8 16 24 32 40 48 56 64 72 80; do
    for p in "$((cx + d)) $cy" "$cx $((cy + d))" "$((cx - d)) $cy" "$cx $((cy - d))"; do
      # shellcheck disable=SC2086
      if [ "$(pixel $p)" = "255,255,255" ]; then echo "$p"; return 0; fi
    done
  done
  return 1
}

# start_orbelle EXE [OPTION...]: starts the program (in English unless an option says
# otherwise) and waits for its main window; sets APP_PID and the window's X and Y.
start_orbelle() {
  unset QT_QPA_PLATFORM
  APP_FOLDER="$(dirname "$1")"
  "$1" --lang 44 "${@:2}" >>"$E2E_TMP/app.log" 2>&1 &
  APP_PID=$!
  local win
  win=$(wait_window "Orbelle 2.0 release 5") || fail "no main window"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  sleep 0.5
}

# click X Y: a click at a point of the window (design coordinates at 800x600).
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.6; }

# private_program EXE: a copy of the program folder of the test's own (no User/, no T/), so
# what the test saves or leaves behind stays there; prints the copied executable.
private_program() {
  cp -r "$(dirname "$1")" "$E2E_TMP/prog"
  rm -rf "$E2E_TMP/prog/User" "$E2E_TMP/prog/T"
  echo "$E2E_TMP/prog/$(basename "$1")"
}

# colour_a_region: from page Main, enters the paint page, chooses the fill tool and fills a
# white region near the middle of the drawing; sets SX and SY to the filled point, and CX
# and CY to the middle of the painting area.
colour_a_region() {
  click $((451 + 16)) $((20 + 300 + 16))              # the paint entry
  click $((370 + 16)) $((20 + 410 + 16))               # the fill tool
  CX=$((X + 40 + 215)); CY=$((Y + 20 + 10 + 215))
  local spot
  spot=$(white_spot "$CX" "$CY") || fail "no white region found in the drawing"
  # shellcheck disable=SC2086
  set -- $spot
  SX=$1; SY=$2
  xdotool mousemove "$SX" "$SY" click 1
  sleep 1
  [ "$(pixel "$SX" "$SY")" = "128,255,255" ] || fail "region not filled"
}
