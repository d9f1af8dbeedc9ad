#!/usr/bin/env bash
# Set-up (packages, build) and start Orbelle. Without a display the program writes its
# pages as PNG files instead.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
prog="$here/build/Orbelle/Orbelle"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  out="$here/build/screenshots"
  echo "No display found: writing Orbelle's pages as PNG files to $out"
  QT_QPA_PLATFORM=offscreen "$prog" --screenshot "$out" "$@"
  ls -1 "$out"
else
  exec "$prog" "$@"
fi
