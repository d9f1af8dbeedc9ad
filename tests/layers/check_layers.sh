#!/usr/bin/env bash
# Layers point only downward: platform <- library <- paint <- shell.
# 1. The build refuses an upward include (and accepts a downward one, so the refusal is not
#    some other failure). 2. No source file of a lower layer names a higher one. 3. No include
#    by a relative path. 4. No include loop inside a folder. 5. Inside shell/, only the main
#    window's own source includes its header.
# With "-" for the build folder only the source checks (2-5) run.
set -u
build="$1" src="$2"
fail=0
if [ "$build" != "-" ]; then
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
fi
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

# 3. Includes name a header by its folder from the source root, never by a relative path that
#    could step into another layer ("../shell/Main.h").
for dir in platform library paint shell tools; do
  if grep -rnE '#include "\.\.?/' "$src/$dir" --include='*.cpp' --include='*.h'; then
    echo "$dir/ includes by a relative path"; fail=1
  fi
done

# 4. No include loop among the headers of one folder.
for dir in platform library paint shell; do
  if ! python3 - "$src" "$dir" <<'PY'
import os, re, sys
src, folder = sys.argv[1], sys.argv[2]
root = os.path.join(src, folder)
edges = {}
for name in os.listdir(root):
    if not name.endswith(('.h', '.cpp')):
        continue
    text = open(os.path.join(root, name), encoding='utf-8', errors='replace').read()
    node = folder + '/' + name
    edges[node] = [m for m in re.findall(r'^\s*#include "([^"]+)"', text, re.M)
                   if m.startswith(folder + '/')]
state, stack = {}, []
def visit(n):
    state[n] = 1
    stack.append(n)
    for m in edges.get(n, []):
        if state.get(m) == 1:
            print('include loop: ' + ' -> '.join(stack[stack.index(m):] + [m]))
            return False
        if m not in state and not visit(m):
            return False
    stack.pop()
    state[n] = 2
    return True
sys.exit(0 if all(visit(n) for n in sorted(edges) if n not in state) else 1)
PY
  then fail=1; fi
done
# 5. The pages, the panels, the entry point and the unattended runs reach the main window
#    through TPageHost and TMainWindow; its header is Main.cpp's alone.
if grep -rnE '#include "(shell/)?Main\.h"' "$src/shell" --include='*.cpp' --include='*.h' |
   grep -v "^$src/shell/Main\.cpp:"; then
  echo "shell/ includes Main.h outside Main.cpp"; fail=1
fi
exit $fail
