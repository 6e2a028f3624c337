#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit and widget tests
# on Qt's offscreen platform, end-to-end tests of the real program under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd build
ctest --output-on-failure
