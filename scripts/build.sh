#!/usr/bin/env bash
# Configures and builds into build/; VEXLO_WERROR=ON makes warnings errors.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXLO_WERROR="${VEXLO_WERROR:-OFF}" >/dev/null
cmake --build build
