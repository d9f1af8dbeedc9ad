#!/usr/bin/env bash
# The layer check on a copy of the sources: the copy as it is passes, and each planted fault
# (the main window's header included by another shell file, an upward include, a relative
# include, an include loop) makes it fail and name the fault.
set -u
check="$1" src="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for d in platform library paint shell tools; do cp -r "$src/$d" "$work/"; done
fail=0
if ! out=$("$check" - "$work" 2>&1); then
  echo "the unchanged copy fails the check:"; echo "$out"; fail=1
fi
plant() {  # file, text, expected message
  local file="$1" text="$2" expect="$3"
  printf '%s\n' "$text" >"$work/$file"
  if out=$("$check" - "$work" 2>&1); then
    echo "planted $file ($text) was accepted"; fail=1
  elif ! grep -qF "$expect" <<<"$out"; then
    echo "planted $file: expected \"$expect\", got:"; echo "$out"; fail=1
  fi
  rm -f "$work/$file"
}
plant shell/Planted.cpp '#include "shell/Main.h"' "includes Main.h outside Main.cpp"
plant shell/harness/Planted.cpp '#include "shell/Main.h"' "includes Main.h outside Main.cpp"
plant shell/Planted.h '#include "Main.h"' "includes Main.h outside Main.cpp"
plant paint/Planted.cpp '#include "shell/Page.h"' "paint/ includes shell/"
plant library/Planted.h '#include "../paint/DtlWin.h"' "library/ includes by a relative path"
printf '#include "shell/PlantedB.h"\n' >"$work/shell/PlantedA.h"
plant shell/PlantedB.h '#include "shell/PlantedA.h"' "include loop"
exit $fail
