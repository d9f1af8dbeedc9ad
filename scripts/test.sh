#!/usr/bin/env bash
# Set-up (packages, build) and the whole test suite.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
cd "$here/build"
ctest --output-on-failure -j"$(nproc)" --timeout 600 "$@"
