#!/usr/bin/env bash
# Builds everything and runs every test (Qt offscreen). The core libraries'
# tests also run once under the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/xdg-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
BUILD="${LUTEWISE_BUILD_DIR:-build}"

# Core (no widgets) under the sanitizers.
ASAN="${BUILD}-sanitize"
cmake -S . -B "$ASAN" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUTEWISE_SANITIZE=ON -DLUTEWISE_BENCH=OFF >/dev/null
cmake --build "$ASAN" -j"$(nproc)" --target model_tests layout_tests fretcalc_tests entry_tests
for t in model_tests layout_tests fretcalc_tests entry_tests; do
  echo "== $t (sanitizers)"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$ASAN/bin/$t" --gtest_brief=1
done

# The file readers' fuzz targets, a minute each over the kept corpus.
if command -v clang++ >/dev/null; then
  FUZZ_SECONDS="${FUZZ_SECONDS:-60}" bash scripts/fuzz.sh
fi

# Everything, as shipped.
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)"
