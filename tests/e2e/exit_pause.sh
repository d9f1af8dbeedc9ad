#!/usr/bin/env bash
# The two seconds at exit: the about box comes up centred on the screen while the main
# window is already gone; a click on its web link and a second start of the program in
# that time do nothing (the data is freed), and the program then ends cleanly.
# As a control, the same click on the box shown from the caption bar opens the site.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"

# A browser that only notes what it was asked to open.
mkdir -p "$E2E_TMP/bin"
cat >"$E2E_TMP/bin/xdg-open" <<EOS
#!/bin/sh
echo "\$*" >>"$E2E_TMP/opened"
EOS
chmod +x "$E2E_TMP/bin/xdg-open"
export PATH="$E2E_TMP/bin:$PATH" BROWSER="$E2E_TMP/bin/xdg-open"
unset DEFAULT_BROWSER

start_xvfb 800x600
export ORBELLE_INSTANCE="orbelle-e2e-pause-$$"
start_orbelle "$exe"
main_title="Orbelle 2.0 release 5"

# about_box: "id x y w h" of the visible 329 x 329 window, if any.
about_box() {
  local id
  for id in $(xdotool search --onlyvisible --name "Orbelle" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" | sed 's/^/B_/')"
    if [ "$B_WIDTH" = 329 ] && [ "$B_HEIGHT" = 329 ]; then
      echo "$id $B_X $B_Y $B_WIDTH $B_HEIGHT"; return 0
    fi
  done
  return 1
}
wait_about_box() {
  for _ in $(seq 40); do about_box && return 0; sleep 0.05; done
  return 1
}
# The maker's link in the box: its hot spot's centre.
link_click() { xdotool mousemove $(($2 + 107)) $(($3 + 289)) click 1; }

# Control: from the caption bar the link works.
click $((6 + 8)) $((2 + 8))
set -- $(wait_about_box) || fail "no about box from the caption bar"
centred() { [ "$1" -eq $(((800 - 329) / 2)) ] && [ "$2" -eq $(((600 - 329) / 2)) ]; }
centred "$2" "$3" || fail "about box at $2,$3, not centred"
link_click "$@"
for _ in $(seq 30); do [ -s "$E2E_TMP/opened" ] && break; sleep 0.1; done
grep -q "tessvale" "$E2E_TMP/opened" 2>/dev/null || fail "the link did not open from the caption bar"
rm -f "$E2E_TMP/opened"
# The main window came down for the browser: bring it back through a second start.
handover=0
timeout 10 "$exe" >>"$E2E_TMP/app.log" 2>&1 || handover=$?
[ "$handover" = 0 ] || fail "the second start did not hand over ($handover): $(tail -3 "$E2E_TMP/app.log")"
win=$(wait_window "$main_title") || fail "main window did not come back"
eval "$(xdotool getwindowgeometry --shell "$win")"
sleep 0.5

# Quit: the box shows for the pause.
started=$(date +%s%N)
xdotool mousemove $((X + 618 + 8)) $((Y + 2 + 8)) click 1
set -- $(wait_about_box) || fail "no about box at exit"
centred "$2" "$3" || fail "about box at exit at $2,$3, not centred"
xdotool search --onlyvisible --name "$main_title" >/dev/null 2>&1 && fail "main window still shown"
link_click "$@"
second_rc=0
timeout 10 "$exe" >>"$E2E_TMP/app.log" 2>&1 || second_rc=$?
# Until the box goes, the main window stays away.
while about_box >/dev/null; do
  xdotool search --onlyvisible --name "$main_title" >/dev/null 2>&1 &&
    fail "main window came back during the pause"
  sleep 0.1
done
for _ in $(seq 80); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$APP_PID" 2>/dev/null && fail "Orbelle did not end after the pause"
rc=0; wait "$APP_PID" || rc=$?; APP_PID=""
ended=$(date +%s%N)
[ "$rc" = 0 ] || fail "Orbelle ended with status $rc"
[ "$second_rc" = 0 ] || fail "the second start during the pause ended with $second_rc"
took=$(((ended - started) / 1000000))
[ "$took" -ge 1900 ] || fail "the program ended $took ms after quit: no two-second pause"
sleep 1
[ -s "$E2E_TMP/opened" ] && fail "a click during the pause opened: $(cat "$E2E_TMP/opened")"
# No second program took over after the first ended.
xdotool search --onlyvisible --name "$main_title" >/dev/null 2>&1 && fail "a main window is shown"
echo ok
