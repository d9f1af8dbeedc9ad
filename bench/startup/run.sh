#!/usr/bin/env bash
# Start to first painted main window: Orbelle against a minimal Qt window, both started
# the same way in the same run, alternating. Prints the medians and their ratio.
# Usage: bench/startup/run.sh [build-dir] [runs]
set -euo pipefail
build="${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}"
runs="${2:-15}"
cmake --build "$build" -j2 --target Orbelle bench_minimal_window >/dev/null
xvfb_pid=""
trap '[ -n "$xvfb_pid" ] && kill $xvfb_pid 2>/dev/null || true' EXIT
if [ -z "${DISPLAY:-}" ]; then
  fd=$(mktemp); exec 9>"$fd"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$fd" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$fd")"
fi
export ORBELLE_INSTANCE="orbelle-bench-$$"
/usr/bin/python3 - "$build" "$runs" <<'PY'
import statistics, subprocess, sys, time
build, runs = sys.argv[1], int(sys.argv[2])
cmds = {
    "orbelle": [f"{build}/Orbelle/Orbelle", "--quit-after-paint"],
    "minimal": [f"{build}/bench/startup/bench_minimal_window"],
}
times = {k: [] for k in cmds}
for _ in range(2):  # warm the file cache
    for c in cmds.values():
        subprocess.run(c, check=True, capture_output=True)
def first_paint(cmd):
    # From just before the start to the program's own stamp of its first paint; the
    # shutdown that follows (Orbelle shows its about box for two seconds) is not counted.
    t = time.time_ns()
    out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    stamp = next(int(l.split()[1]) for l in out.splitlines() if l.startswith("first-paint "))
    return (stamp - t) / 1e9
for _ in range(runs):
    for k, c in cmds.items():
        times[k].append(first_paint(c))
o, m = statistics.median(times["orbelle"]), statistics.median(times["minimal"])
print(f"orbelle first paint: {o*1000:.1f} ms (median of {runs})")
print(f"minimal Qt window:   {m*1000:.1f} ms")
print(f"ratio orbelle/minimal: {o/m:.2f}x (aim: at most 1.5x)")
PY
