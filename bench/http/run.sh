#!/usr/bin/env bash
# Builds and runs the HTTP benchmark; the program starts and stops its own nginx.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
cmake --build "$here/build" -j2 --target bench_http
exec "$here/build/bench/http/bench_http" "$@"
