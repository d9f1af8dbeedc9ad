#!/usr/bin/env bash
# Layers point only downward: platform <- library <- paint <- shell.
# 1. The build refuses an upward include (and accepts a downward one, so the refusal is not
#    some other failure). 2. No source file of a lower layer names a higher one.
set -u
build="$1" src="$2"
fail=0
if ! cmake --build "$build" --target layer_probe_paint_down >/tmp/layers.$$ 2>&1; then
  echo "a downward include did not build:"; cat /tmp/layers.$$; fail=1
fi
for t in layer_probe_paint_up layer_probe_library_up; do
  if cmake --build "$build" --target "$t" >/tmp/layers.$$ 2>&1; then
    echo "$t built: an upward include was accepted"; fail=1
  elif ! grep -q "No such file" /tmp/layers.$$; then
    echo "$t failed for another reason:"; cat /tmp/layers.$$; fail=1
  fi
done
rm -f /tmp/layers.$$
check() {  # folder, forbidden folders...
  local dir="$1"; shift
  for up in "$@"; do
    if grep -rnE "#include \"$up/" "$src/$dir" --include='*.cpp' --include='*.h'; then
      echo "$dir/ includes $up/"; fail=1
    fi
  done
}
check platform library paint shell
check library paint shell
check paint shell
exit $fail
