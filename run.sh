#!/usr/bin/env bash
# Sets up, builds and starts the saver. Arguments pass through; without any
# the saver runs full screen ("/s"). "./run.sh /c" opens the settings.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
if (($#)); then exec ./build/kalosaver "$@"; else exec ./build/kalosaver /s; fi
