#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# into build-fuzz/ and runs each in turn, at the lowest priority, for [seconds] (default 600).
# Usage: scripts/fuzz.sh [seconds] [target...]
# Crashes land in build-fuzz/crashes/; each becomes a regression input under tests/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
secs="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(textdb archive tarn pcx bitmap scroll http reply server markup)

PKGS=(clang libclang-rt-14-dev imagemagick)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

out="$here/build-fuzz"
cmake -S "$here/tests/fuzz/project" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
nice -n 19 ninja -C "$out" -j2 >/dev/null

# Seeds: our writers, and ImageMagick for PCX and RLE bitmaps (a leading byte picks the
# decode depth of the bitmap target).
export ASAN_OPTIONS=detect_leaks=0
seeds="$out/seeds"
rm -rf "$seeds"
"$out/fuzz_seeds" "$seeds" "$here"
mkdir -p "$seeds/pcx"
for opts in "-colors 2" "-colors 16" "-colors 256" "-type TrueColor"; do
  name=$(echo "$opts" | tr -dc 'a-zA-Z0-9')
  # shellcheck disable=SC2086
  convert -size 24x9 gradient:red-blue $opts "$seeds/pcx/$name.pcx"
done
for opts in "-colors 16 -compress RLE BMP3" "-colors 256 -compress RLE BMP3" "-colors 256 BMP3"; do
  name=$(echo "$opts" | tr -dc 'a-zA-Z0-9')
  # shellcheck disable=SC2086
  convert -size 20x11 plasma:fractal -seed 7 ${opts% *} "${opts##* }:$seeds/$name.tmp"
  { printf '\003'; cat "$seeds/$name.tmp"; } >"$seeds/bitmap/$name.bmp"
  rm "$seeds/$name.tmp"
done
for f in "$seeds"/pcx/*.pcx; do
  { printf '\003'; cat "$f"; } >"$seeds/bitmap/$(basename "$f")"
done

mkdir -p "$out/crashes"
for t in "${targets[@]}"; do
  corpus="$out/corpus/$t"
  mkdir -p "$corpus"
  cp -n "$seeds/$t"/* "$corpus/" 2>/dev/null || true
  echo "== $t: ${secs}s"
  nice -n 19 "$out/fuzz_$t" -max_total_time="$secs" -timeout=20 -rss_limit_mb=2560 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$out/crashes/$t-" "$corpus" \
    >"$out/$t.log" 2>&1 || echo "!! $t stopped: see $out/$t.log"
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$out/$t.log" || true
done
ls "$out/crashes"
