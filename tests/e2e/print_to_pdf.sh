#!/usr/bin/env bash
# Prints through the real print button on a system without a printer: the printer dialog
# offers printing to a PDF file, the user types a file name and confirms, and the page holds
# the picture centred at 80 % of the width. The picture's corners are made visible first by
# filling the white ring around the drawing, which reaches them.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"
command -v pdftoppm >/dev/null || { echo "no pdftoppm: skipped"; exit 0; }

export HOME="$E2E_TMP/home" CUPS_SERVER=/nonexistent/cups.sock
mkdir -p "$HOME"
start_xvfb 800x600
export ORBELLE_INSTANCE="orbelle-e2e-print-$$"
start_orbelle "$exe"
click $((451 + 16)) $((20 + 300 + 16))   # the paint entry: the first drawing is shown
click 85 75                              # the zoom-out tool
for _ in 1 2 3; do click 255 245; done   # three steps out: the whole drawing in the opening

# Along the middle row, from the left edge of the opening inwards: the black outside the
# picture's ellipse, then the white ring around the drawing.
row=$(import -silent -window root -crop "215x1+$((X + 40))+$((Y + 20 + 10 + 215))" -depth 8 txt:- |
  sed -n '2,$p' | sed -E 's/^([0-9]+),.*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4/')
ring=$(echo "$row" | awk '
  $2 + $3 + $4 < 30 { black = 1; next }
  black && $2 == 255 && $3 == 255 && $4 == 255 { print $1 + 2; exit }')
[ -n "$ring" ] || fail "no white ring around the drawing on the middle row"
click $((370 + 16)) $((20 + 410 + 16))   # the fill tool
click $((40 + ring)) $((20 + 10 + 215))

# Ctrl+P opens the printer dialog; cancelled, nothing is printed.
xdotool key ctrl+p
wait_window "Print" >/dev/null || fail "Ctrl+P opened no printer dialog"
xdotool key Escape
sleep 0.6
[ -z "$(xdotool search --onlyvisible --name '^Print' 2>/dev/null)" ] || fail "the dialog stayed"
[ ! -e "$HOME/Mandala.pdf" ] || fail "a cancelled dialog printed"
# The button, confirmed with a file of the user's choosing.
click $((440 + 16)) $((20 + 80 + 16))
dialog=$(wait_window "Print") || fail "the print button opened no printer dialog"
pdf="$E2E_TMP/chosen.pdf"
[ -n "$dialog" ]
xdotool key alt+f ctrl+a
xdotool type --delay 15 "$pdf"
xdotool key Return
for _ in $(seq 50); do [ -s "$pdf" ] && break; sleep 0.2; done
[ -s "$pdf" ] || fail "nothing printed to $pdf"
sleep 0.5

# The filled colour (128, 255, 255) marks the picture's box on the page at 72 dpi.
pdftoppm -r 72 -png -singlefile "$pdf" "$E2E_TMP/page"
[ -n "${E2E_SHOTS:-}" ] && cp "$E2E_TMP/page.png" "$E2E_SHOTS/printed-page.png"
pw=$(identify -format '%w' "$E2E_TMP/page.png") ph=$(identify -format '%h' "$E2E_TMP/page.png")
box=$(convert "$E2E_TMP/page.png" -fill black -fuzz 12% +opaque 'rgb(128,255,255)' \
  -fill white -opaque 'rgb(128,255,255)' -format '%@' info:)
# WxH+X+Y of the filled pixels.
[[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || fail "no picture on the page ($box)"
bw=${BASH_REMATCH[1]} bh=${BASH_REMATCH[2]} bx=${BASH_REMATCH[3]} by=${BASH_REMATCH[4]}
echo "page ${pw}x${ph}, picture ${bw}x${bh} at $bx,$by"
# Square drawing, width-bound: 80 % of the printable width (the page less small margins).
[ $((100 * bw / pw)) -ge 70 ] && [ $((100 * bw / pw)) -le 80 ] || fail "width $bw of $pw"
[ $((bw - bh)) -le 2 ] && [ $((bh - bw)) -le 2 ] || fail "not square: ${bw}x${bh}"
cx=$((2 * bx + bw)) cy=$((2 * by + bh))
[ $((cx - pw)) -le 6 ] && [ $((pw - cx)) -le 6 ] || fail "not centred across: $bx of $pw"
[ $((cy - ph)) -le 6 ] && [ $((ph - cy)) -le 6 ] || fail "not centred down: $by of $ph"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=""
echo ok
