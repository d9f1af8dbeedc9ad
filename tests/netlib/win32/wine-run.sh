#!/usr/bin/env bash
# Runs a 32-bit Windows program under wine in the prefix $WINEPREFIX, making the prefix
# on first use. The prefix's graphics driver is "null", so the library's hidden windows
# work without a display.
#
# Where the kernel runs 32-bit programs, wine runs them as it is. Where it cannot
# ("Exec format error"), wine's own 32-bit loader runs under qemu-i386 with a reserved
# guest address space (-R 0x82000000; other sizes failed to map wine's shared data or
# were slow to start), and WINELOADERNOEXEC=1 keeps wine from re-executing itself
# outside qemu. KESTRUP_WINE_QEMU=1 takes that road even where it is not needed.
#
# Usage: wine-run.sh program.exe [arguments...]   (wine-run.sh --stop ends the prefix's server)
set -u
: "${WINEPREFIX:?set WINEPREFIX to the prefix to use}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
lib=/usr/lib/wine
[ -x "$lib/wine" ] || { echo "wine is not installed" >&2; exit 127; }

if [ "${1:-}" = --stop ]; then
  "$lib/wineserver" -k 2>/dev/null
  exit 0
fi

loader=("$lib/wine")
if [ "${KESTRUP_WINE_QEMU:-0}" = 1 ] || ! "$lib/wine" --version >/dev/null 2>&1; then
  command -v qemu-i386 >/dev/null || { echo "32-bit programs need qemu-i386 here" >&2; exit 127; }
  export WINELOADERNOEXEC=1
  loader=(qemu-i386 -R 0x82000000 "$lib/wine")
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$lib/wine64" wineboot -i >/dev/null 2>&1
  "$lib/wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  "$lib/wineserver" -w
fi
# One server for the prefix, with its services, until --stop: each run then starts
# nothing of its own that could outlive it holding the caller's output.
if ! "$lib/wineserver" -k0 2>/dev/null; then
  "$lib/wineserver" -p >/dev/null 2>&1 </dev/null
  "$lib/wine64" wineboot >/dev/null 2>&1 </dev/null
fi
exec "${loader[@]}" "$@"
