#!/usr/bin/env bash
# Starts the real program in Dutch and in English on screens of 800x600, 1024x768 and
# 1280x1024 and looks at what a user sees on page Main: both menu pictures are drawn (light,
# many-coloured drawings, where a caption or an empty label shows the dark page behind it),
# and no label of any page has a text wider than the label. Screenshots stay in $E2E_SHOTS when it is set.
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"
exe="$1"
shots="${E2E_SHOTS:-$E2E_TMP/shots}"
mkdir -p "$shots"

# colours FILE W H X Y: the number of distinct colours in a region of a picture.
colours() {
  convert "$1" -crop "${2}x${3}+${4}+${5}" +repage -unique-colors -format '%w' info:
}
# light FILE W H X Y: the share of the region's pixels lighter than mid-grey, in percent.
light() {
  convert "$1" -crop "${2}x${3}+${4}+${5}" +repage -colorspace Gray -threshold 50% \
    -format '%[fx:int(100*mean)]' info:
}

for size in 800x600 1024x768 1280x1024; do
  for lang in 31 44; do
    start_xvfb "$size"
    export ORBELLE_INSTANCE="orbelle-e2e-layout-$$-$size-$lang"
    report="$E2E_TMP/report-$size-$lang.txt"
    start_orbelle "$exe" --lang "$lang" --layout-report "$report"
    for _ in $(seq 100); do [ -s "$report" ] && break; sleep 0.1; done
    [ -s "$report" ] || fail "$size $lang: no layout report"
    grep -q '^end$' "$report" || fail "$size $lang: layout report incomplete"
    shot="$shots/main-$size-$lang.png"
    import -silent -window root "$shot" || fail "$size $lang: no screenshot"

    if grep '^cut ' "$report" >&2; then fail "$size $lang: texts wider than their labels"; fi
    if grep '^tabcut ' "$report" >&2; then fail "$size $lang: tab labels touch their tabs' edges"; fi
    [ "$(grep -c '^tab PaintTabSet ' "$report")" = 3 ] || fail "$size $lang: the three side-page tabs were not measured"
    [ "$(grep -c '^text ' "$report")" -gt 20 ] || fail "$size $lang: too few labels measured"

    for name in MainHistoryImg MainPaintImg; do
      # picture NAME VISIBLE X Y W H
      line=$(grep "^picture $name " "$report") || fail "$size $lang: $name shows no picture"
      set -- $line
      [ "$3" = 1 ] || fail "$size $lang: $name is not visible"
      n=$(colours "$shot" "$6" "$7" "$4" "$5")
      [ "$n" -ge 16 ] || fail "$size $lang: $name has $n colours on the screen"
      n=$(light "$shot" "$6" "$7" "$4" "$5")
      [ "$n" -ge 30 ] || fail "$size $lang: $name is $n % light: no picture on the screen"
    done
    # The page's pictures are in the window, the window on the screen.
    set -- $(grep '^window ' "$report")
    [ "$2" -le "${size%x*}" ] && [ "$3" -le "${size#*x}" ] || fail "$size $lang: window $2x$3"

    kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=""
    kill "$XVFB_PID"; wait "$XVFB_PID" 2>/dev/null || true; XVFB_PID=""
    echo "ok $size $lang"
  done
done
