#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit and widget tests
# on Qt's offscreen platform, end-to-end tests of the real program under Xvfb;
# then the unit and widget tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
# The program's own code builds without a warning here; at home a newer
# compiler's new warning does not stop the build.
export VEXLO_WERROR=ON
scripts/install-deps.sh
scripts/build.sh
(cd build && ctest --output-on-failure)
scripts/sanitize.sh
scripts/fuzz.sh 30
