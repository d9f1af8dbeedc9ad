#!/usr/bin/env bash
# The real program on a screen with a scale factor of 2: the drawing, zoomed out below
# 100 %, is shown with device-pixel detail. Composed at logical size and doubled, every
# edge between black and white would fall on an even device column; drawn in device
# pixels, edges fall on odd columns about as often as on even ones.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"

start_xvfb 1600x1200
export ORBELLE_INSTANCE="orbelle-e2e-hidpi-$$" QT_SCALE_FACTOR=2
start_orbelle "$exe"
# click2 X Y: a click at a logical point of the window (screen pixels are twice as many).
click2() { xdotool mousemove $((X + 2 * $1)) $((Y + 2 * $2)) click 1; sleep 0.6; }
click2 $((451 + 16)) $((20 + 300 + 16))   # the paint entry
click2 85 75                              # the zoom-out tool
for _ in 1 2 3; do click2 255 245; done    # three steps out at the middle of the opening: 70 %
shot="$E2E_TMP/detail.png"
import -silent -window root "$shot" || fail "no screenshot"
[ -n "${E2E_SHOTS:-}" ] && cp "$shot" "$E2E_SHOTS/hidpi-detail.png"
# The middle of the round opening, 200 x 200 logical pixels, as black-or-white device pixels;
# the crop starts an even number of device pixels from the window's origin, so a column's
# parity in the crop is its parity in the window's logical grid.
x0=$((X + 2 * 155)); y0=$((Y + 2 * 145))
counts=$(convert "$shot" -crop "400x400+$x0+$y0" +repage -colorspace Gray -threshold 50% \
  -depth 8 gray:- | od -An -v -tu1 -w400 | awk '
  { for (x = 2; x <= NF; ++x) if ($x != $(x - 1)) { if ((x - 1) % 2) odd++; else even++ } }
  END { print odd + 0, even + 0 }')
set -- $counts
echo "edges at odd columns: $1, at even columns: $2"
[ $(($1 + $2)) -gt 200 ] || fail "too few edges: is the drawing shown?"
[ $((100 * $1 / ($1 + $2))) -ge 25 ] || fail "edges only on even device columns: $1 odd, $2 even"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=""
echo ok
