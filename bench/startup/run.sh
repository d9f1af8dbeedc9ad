#!/usr/bin/env bash
# Start-up to the first frame on the screen: Orbelle against a minimal Qt window of the same
# size, both started the same way in the same run, alternating. Both stamp the same moment:
# a zero timer queued by the first paint event of the main window, which runs once the frame
# has been painted and handed to the window system; both read their peak resident set
# (VmHWM) there. Before each start the X server has finished with the program before.
# Prints the medians with their spread, the ratios, and Orbelle's start-up
# stage by stage.
# Usage: bench/startup/run.sh [build-dir] [runs]
set -euo pipefail
build="${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}"
runs="${2:-15}"
cmake --build "$build" -j2 --target Orbelle orbelle_assets orbelle_content bench_minimal_window >/dev/null
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

def run(cmd):
    """One start: times relative to just before the start, in ms; the shutdown that
    follows the stamp (Orbelle shows its about box for two seconds) is not counted."""
    # The X server first finishes freeing what the previous program left it (Orbelle's
    # exit frees far more than the minimal window's): a round trip from another client
    # returns once it has, so each start meets an idle server.
    subprocess.run(["xdpyinfo"], check=True, stdout=subprocess.DEVNULL)
    t = time.monotonic_ns()
    out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    r = {"stages": {}}
    for line in out.splitlines():
        f = line.split()
        if line.startswith("stage "):
            name = " ".join(f[1:-2])
            r["stages"][name] = ((int(f[-2]) - t) / 1e6, (int(f[-1]) - int(f[-2])) / 1e6)
        elif f and f[0] == "first-paint":
            r["paint"] = (int(f[1]) - t) / 1e6
        elif f and f[0] == "peak-rss-kb":
            r["rss"] = int(f[1]) / 1024
        elif f and f[0] == "minor-faults":
            r["faults"] = int(f[1])
        elif f and f[0] == "window":
            r["size"] = (f[1], f[2])
    if "paint" not in r or "rss" not in r:
        sys.exit(f"no first-frame stamp from {cmd[0]}:\n{out}")
    return r

orbelle = [f"{build}/Orbelle/Orbelle", "--quit-after-paint"]
# The reference draws as many pixels as Orbelle's window has on this screen.
w, h = run(orbelle)["size"]
minimal = [f"{build}/bench/startup/bench_minimal_window", "--size", w, h]
cmds = {"orbelle": orbelle, "minimal": minimal}
for _ in range(2):  # warm the file cache
    for c in cmds.values():
        run(c)
res = {k: [] for k in cmds}
for _ in range(runs):
    for k, c in cmds.items():
        res[k].append(run(c))

def spread(xs):
    return f"median {statistics.median(xs):6.1f}  min {min(xs):6.1f}  max {max(xs):6.1f}"

paint = {k: [r["paint"] for r in v] for k, v in res.items()}
rss = {k: [r["rss"] for r in v] for k, v in res.items()}
print(f"window {w} x {h}, {runs} alternating runs of each")
print(f"start to first frame (ms): orbelle {spread(paint['orbelle'])}")
print(f"                           minimal {spread(paint['minimal'])}")
print(f"peak RSS at first frame (MB): orbelle {spread(rss['orbelle'])}")
print(f"                              minimal {spread(rss['minimal'])}")
faults = {k: [r.get("faults", 0) for r in v] for k, v in res.items()}
print(f"minor page faults to first frame: orbelle {statistics.median(faults['orbelle']):.0f}  "
      f"minimal {statistics.median(faults['minimal']):.0f}")
o, m = statistics.median(paint["orbelle"]), statistics.median(paint["minimal"])
print(f"orbelle first paint: {o:.1f} ms (median of {runs})")
print(f"minimal Qt window:   {m:.1f} ms")
print(f"ratio orbelle/minimal: {o/m:.2f}x (start-up; aim: at most 1.3x)")
ro, rm = statistics.median(rss["orbelle"]), statistics.median(rss["minimal"])
print(f"ratio peak RSS orbelle/minimal: {ro/rm:.2f}x (aim: at most 1.5x)")

# Stage by stage: median start (from just before the process started) and median length.
# A stage that lies inside another in the first measured run is indented under it; stages
# after the first frame are the work the program leaves until its window is on the screen.
def depths(stages):
    iv = {n: (b, b + d) for n, (b, d) in stages.items()}
    return {n: sum(1 for m, (b2, e2) in iv.items()
                   if m != n and e2 > b2 and b2 <= b and e <= e2 and (b2, e2) != (b, e))
            for n, (b, e) in iv.items()}

for k in ("orbelle", "minimal"):
    names = {}
    for r in res[k]:
        for n, (b, d) in r["stages"].items():
            names.setdefault(n, []).append((b, d))
    depth = depths(res[k][0]["stages"])
    rows = sorted((statistics.median(b for b, _ in v), statistics.median(d for _, d in v), n)
                  for n, v in names.items())
    frame = statistics.median(paint[k])
    print(f"\n{k}: stages (ms)                    start   length")
    print(f"  {'process start to main()':<38} {0:7.1f} {rows[0][0] if rows else 0:7.1f}")
    for b, d, n in rows:
        ind = "  " * depth.get(n, 0)
        after = " (after first frame)" if b > frame else ""
        print(f"  {ind}{n:<{38 - len(ind)}} {b:7.1f} {d:7.1f}{after}")
PY
