#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit and widget tests
# on Qt's offscreen platform, end-to-end tests of the real program under Xvfb;
# then the unit and widget tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
(cd build && ctest --output-on-failure)
scripts/sanitize.sh
scripts/fuzz.sh 30
