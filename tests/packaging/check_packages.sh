#!/usr/bin/env bash
# The Debian packages, made with the README's command into a throwaway folder and unpacked
# with dpkg -x: their control fields, files, desktop entry, AppStream data and lintian's
# verdict, the unpacked launcher starting the program, the development package building a
# host; then the install from source and what its uninstaller removes.
# Usage: check_packages.sh BUILD-DIR SOURCE-DIR VERSION
set -euo pipefail
build=$1 src=$2 version=$3
here="$(cd "$(dirname "$0")" && pwd)"
source "$src/tests/e2e/lib.sh"   # fail, start_xvfb, cleanup of E2E_TMP
work=$E2E_TMP
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
app_id=nl.orbelle.Orbelle

for tool in cpack desktop-file-validate appstreamcli lintian rsvg-convert; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done

# --- Making the packages -------------------------------------------------------------------
# The README's command writes to build/packages/; here the same command writes elsewhere.
grep -qx "set(CPACK_PACKAGE_DIRECTORY \"$build/packages\")" "$build/CPackConfig.cmake" ||
  fail "cpack --config build/CPackConfig.cmake does not write to build/packages/"
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
declare -A deb
for p in orbelle libkestrup libkestrup-dev; do
  deb[$p]=$work/out/${p}_${version}_${arch}.deb
  [ -f "${deb[$p]}" ] || { ls "$work/out" >&2; fail "no ${p}_${version}_${arch}.deb"; }
  [ "$(dpkg-deb -f "${deb[$p]}" Package)" = "$p" ] || fail "$p: wrong Package field"
  [ "$(dpkg-deb -f "${deb[$p]}" Version)" = "$version" ] || fail "$p: wrong Version field"
done

# Depends: computed from the binaries, plus what is loaded at run time.
depends=$(dpkg-deb -f "${deb[orbelle]}" Depends)
echo "orbelle Depends: $depends"
for d in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libqt6multimedia6 zlib1g pkexec; do
  [[ ", $depends," == *", $d"[\ ,]* ]] || fail "orbelle does not depend on $d"
done
kdepends=$(dpkg-deb -f "${deb[libkestrup]}" Depends)
echo "libkestrup Depends: $kdepends"
[[ "$kdepends" == *libc6* && "$kdepends" == *libstdc++6* ]] || fail "libkestrup Depends: $kdepends"
[[ "$kdepends" != *qt6* ]] || fail "libkestrup depends on Qt: $kdepends"
[ "$(dpkg-deb -f "${deb[libkestrup-dev]}" Depends)" = "libkestrup (= $version)" ] ||
  fail "libkestrup-dev must depend on exactly its library"

# --- Unpacked ---------------------------------------------------------------------------------
root=$work/root
for p in orbelle libkestrup libkestrup-dev; do dpkg -x "${deb[$p]}" "$root"; done
lib=$root/usr/lib/orbelle
for f in Orbelle orbelle-data orbelle_music.so Mandala.dat orbelle.dat Orbelle.lng palis.ttf \
         orbelle.rcc orbelle.png A/Orbelle.wav I/B/abk I/B/bk8x6 I/B/hs10x7 uninstall.entry; do
  [ -f "$lib/$f" ] || fail "the package lacks /usr/lib/orbelle/$f"
done
[ ! -e "$lib/User" ] && [ ! -e "$lib/T" ] || fail "the package carries a run's User/ or T/"
[ ! -e "$lib/uninstall.sh" ] || fail "the package carries the source install's uninstaller"
[ "$(readlink "$root/usr/bin/orbelle")" = ../lib/orbelle/Orbelle ] || fail "/usr/bin/orbelle is not the link"
[ -f "$root/usr/share/man/man1/orbelle.1.gz" ] || fail "no manual page"
file -L "$lib/Orbelle" | grep -q ', stripped' || fail "the program is not stripped"

# The uninstall entry: the program (in quotes) and its parameters, which must remove this
# very package with the desktop's password prompt.
entry=$(sed -n 's/^UninstallString=//p' "$lib/uninstall.entry")
[ "$entry" = '"/usr/bin/pkexec" /usr/bin/apt-get remove --yes orbelle' ] ||
  fail "uninstall entry: $entry"

# Icons: the scalable drawing and a picture of each size, of that size.
[ -f "$root/usr/share/icons/hicolor/scalable/apps/orbelle.svg" ] || fail "no scalable icon"
for s in 16 24 32 48 64 128 256; do
  png=$root/usr/share/icons/hicolor/${s}x${s}/apps/orbelle.png
  [ -f "$png" ] || fail "no ${s}x${s} icon"
  [ "$(identify -format %wx%h "$png")" = "${s}x${s}" ] || fail "the ${s}x${s} icon is $(identify -format %wx%h "$png")"
done

desktop=$root/usr/share/applications/$app_id.desktop
echo "== desktop-file-validate"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Icon=orbelle' "$desktop" && grep -qx 'Exec=orbelle' "$desktop" || fail "desktop entry's Exec or Icon"
grep -qx 'Exec=orbelle uninstall' "$desktop" && grep -qx 'Name=Remove Orbelle' "$desktop" ||
  fail "desktop entry lacks the action Remove Orbelle"
grep -q '^Categories=Graphics;' "$desktop" || fail "desktop entry is not in Graphics"

meta=$root/usr/share/metainfo/$app_id.metainfo.xml
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net --pedantic "$meta" || fail "appstreamcli validate"
echo "== appstreamcli validate-tree --no-net"
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$meta" || fail "launchable"
grep -q '<content_rating type="oars-1.1"' "$meta" || fail "content rating"
grep -q "<release version=\"$version\"" "$meta" || fail "the metainfo's release is not $version"
grep -q '<p xml:lang="nl">' "$meta" && grep -q '<p>' "$meta" || fail "description in English and Dutch"

for p in orbelle libkestrup libkestrup-dev; do
  [ -f "$root/usr/share/doc/$p/copyright" ] || fail "$p has no copyright file"
  zcat "$root/usr/share/doc/$p/changelog.gz" | head -n1 | grep -q "($version)" ||
    fail "$p: the changelog's first entry is not $version"
done

echo "== lintian"
lintian --fail-on error --allow-root --tag-display-limit 0 \
  "${deb[orbelle]}" "${deb[libkestrup]}" "${deb[libkestrup-dev]}" ||
  fail "lintian reports errors"

# --- The library for hosts ---------------------------------------------------------------------
klib=$root/usr/lib/$multiarch
[ "$(readlink "$klib/libkestrup.so")" = libkestrup.so.2 ] || fail "libkestrup-dev's link"
objdump -p "$klib/libkestrup.so.2" | grep -q 'SONAME *libkestrup.so.2$' || fail "soname"
# A C host built against the unpacked header and library only.
cat >"$work/host.c" <<'C'
#include <kestrup.h>
#include <stdio.h>
int main(void) { printf("%d\n", Server_Connected()); return 0; }
C
cc -std=c99 -Wall -Werror -I"$root/usr/include" "$work/host.c" -L"$klib" -lkestrup -o "$work/host" ||
  fail "a host does not build against libkestrup-dev"
[ "$(LD_LIBRARY_PATH=$klib "$work/host")" = 0 ] || fail "the host did not run against libkestrup"

# --- The unpacked program -----------------------------------------------------------------------
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache ORBELLE_INSTANCE="orbelle-packaging-$$"
mkdir -p "$HOME"
# The metainfo's screenshots are the files the screenshot option writes.
QT_QPA_PLATFORM=offscreen "$root/usr/bin/orbelle" --lang 44 --screenshot "$work/shots" >/dev/null 2>"$work/shots.log" ||
  { cat "$work/shots.log"; fail "--screenshot from the unpacked launcher"; }
for shot in $(grep -o '<image>[^<]*</image>' "$meta" | sed 's/<[^>]*>//g'); do
  [ -s "$work/shots/$(basename "$shot")" ] || fail "the screenshot option writes no $(basename "$shot")"
done
# Started on a display, the program paints its main window and ends by itself.
start_xvfb 800x600
unset QT_QPA_PLATFORM
timeout 60 "$root/usr/bin/orbelle" --lang 44 --quit-after-paint >"$work/run.log" 2>&1 ||
  { cat "$work/run.log"; fail "the unpacked launcher exits with $?"; }
grep -q '^first-paint ' "$work/run.log" || fail "the program ended without painting"

# --- From source: cmake --install and its uninstaller ----------------------------------------
DESTDIR=$work/local cmake --install "$build" --prefix /usr/local >"$work/install.log" ||
  { cat "$work/install.log"; fail "cmake --install"; }
local_root=$work/local/usr/local
head -n2 "$local_root/bin/orbelle" | grep -q 'exec "/usr/local/lib/orbelle/Orbelle"' || fail "source launcher"
grep -qx 'UninstallString="/usr/local/lib/orbelle/uninstall.sh"' "$local_root/lib/orbelle/uninstall.entry" ||
  fail "source install's uninstall entry"
[ ! -e "$local_root/lib/$multiarch/libkestrup.so.2" ] || fail "cmake --install installs the library package's files"
# Every file installed outside the program folder is one the uninstaller removes.
removed=$(grep -o '"/usr/local/[^"]*"' "$local_root/lib/orbelle/uninstall.sh" | tr -d '"' | sort)
installed=$(cd "$work/local" && find usr/local -path usr/local/lib/orbelle -prune -o \( -type f -o -type l \) -print |
  sed 's|^|/|' | sort)
extra=$(comm -13 <(echo "$removed") <(echo "$installed"))
[ -z "$extra" ] || fail "the uninstaller leaves: $extra"
echo "packages: ok"
