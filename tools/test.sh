#!/usr/bin/env bash
# Bootstraps, configures, builds and runs every test. Exits non-zero on any failure.
#   tools/test.sh              normal build in build/
#   tools/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
# Cache hits across checkouts: paths are hashed relative to the checkout.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

build=build
extra=()
if [[ "${1:-}" == "--sanitize" ]]; then
  build=build-asan
  extra=(-DSENTRELLE_SANITIZE=ON -DSENTRELLE_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

tools/bootstrap.sh
cmake -S . -B "$build" -G Ninja "${extra[@]}"
cmake --build "$build" --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 600
