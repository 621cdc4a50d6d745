#!/usr/bin/env bash
# Sets up, builds and runs every test: unit and widget tests headless, and the
# end-to-end tests of the real program under Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)" "$@"
