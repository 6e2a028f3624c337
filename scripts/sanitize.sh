#!/usr/bin/env bash
# Builds the unit and widget tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang) into build-asan/ and runs them there.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/sanitizer-env.sh
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEXLO_SANITIZE=ON -DVEXLO_BENCHMARKS=OFF -DVEXLO_WERROR="${VEXLO_WERROR:-OFF}" "${launcher[@]}" >/dev/null
cmake --build build-asan
cd build-asan
ctest -L unit --output-on-failure
