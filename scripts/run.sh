#!/usr/bin/env bash
# Set-up (packages, build) and start Orbelle. Without a display the program writes its
# pages as PNG files instead.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
prog="$here/build/Orbelle/Orbelle"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  out="$here/build/screenshots"
  echo "No display found: Orbelle renders its pages and a colouring demo as PNG files"
  echo "into $out instead of opening a window."
  QT_QPA_PLATFORM=offscreen "$prog" --lang 44 --screenshot "$out" --demo "$out/demo" "$@"
else
  exec "$prog" "$@"
fi
