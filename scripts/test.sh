#!/usr/bin/env bash
# Set-up (packages, build) and the whole test suite.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"

# Second pass: the unit suites built with AddressSanitizer and UndefinedBehaviorSanitizer in
# their own folder. ORBELLE_SANITIZE=0 skips it. Its build runs beside the first pass at the
# lowest priority: that pass mostly waits on sockets and the X server, and the tests keep
# the processor whenever they want it.
sanitize="${ORBELLE_SANITIZE:-1}"
san="$here/build-asan"
san_pid=""
if [ "$sanitize" != 0 ]; then
  (
    cmake -S "$here" -B "$san" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBELLE_SANITIZE=ON \
      -DORBELLE_BUILD_BENCH=OFF >/dev/null &&
      nice -n 19 cmake --build "$san" -j"$(nproc)"
  ) >"$here/build/sanitizer-build.log" 2>&1 &
  san_pid=$!
fi

cd "$here/build"
# Loopback peers take a port the system has just handed out and closed; on a busy machine
# another process can take it first. A test that fails gets one more run, and fails the
# suite when it fails again.
retry=(--repeat until-pass:2)
status=0
ctest --output-on-failure -j"$(nproc)" --timeout 600 "${retry[@]}" "$@" || status=$?
if [ -n "$san_pid" ]; then
  if ! wait "$san_pid"; then
    cat "$here/build/sanitizer-build.log"
    echo "the sanitizer build failed"
    exit 1
  fi
fi
[ "$status" = 0 ] || exit "$status"

if [ "$sanitize" != 0 ]; then
  # Qt and fontconfig keep caches for the life of the process, which the leak checker
  # reports; leaks are checked where the code is all ours, in Kestrup.
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export ASAN_OPTIONS=detect_leaks=0:strict_string_checks=1
  cd "$san"
  ctest --output-on-failure -j"$(nproc)" --timeout 900 -LE netlib "${retry[@]}" "$@"
  ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$(nproc)" --timeout 900 -L netlib "${retry[@]}" "$@"
fi
