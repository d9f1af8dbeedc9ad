#!/usr/bin/env bash
# Set-up (packages, build) and the whole test suite.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
cd "$here/build"
# Loopback peers take a port the system has just handed out and closed; on a busy machine
# another process can take it first. A test that fails gets one more run, and fails the
# suite when it fails again.
retry=(--repeat until-pass:2)
ctest --output-on-failure -j"$(nproc)" --timeout 600 "${retry[@]}" "$@"

# Second pass: the unit suites built with AddressSanitizer and UndefinedBehaviorSanitizer in
# their own folder. ORBELLE_SANITIZE=0 skips it.
if [ "${ORBELLE_SANITIZE:-1}" != 0 ]; then
  san="$here/build-asan"
  # Qt and fontconfig keep caches for the life of the process, which the leak checker
  # reports; leaks are checked where the code is all ours, in Kestrup.
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export ASAN_OPTIONS=detect_leaks=0:strict_string_checks=1
  cmake -S "$here" -B "$san" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBELLE_SANITIZE=ON \
    -DORBELLE_BUILD_BENCH=OFF >/dev/null
  cmake --build "$san" -j"$(nproc)"
  cd "$san"
  ctest --output-on-failure -j"$(nproc)" --timeout 900 -LE netlib "${retry[@]}" "$@"
  ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$(nproc)" --timeout 900 -L netlib "${retry[@]}" "$@"
fi
