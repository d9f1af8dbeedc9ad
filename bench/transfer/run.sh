#!/usr/bin/env bash
# Builds and runs the FTP and SMTP benchmark; it starts and stops its own servers.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
cmake --build "$here/build" -j2 --target bench_transfer
exec "$here/build/bench/transfer/bench_transfer" "$@"
