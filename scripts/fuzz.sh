#!/usr/bin/env bash
# Builds the fuzz targets of the file readers with clang and runs each over
# the corpus in fuzz/corpus/ for a bounded time (FUZZ_SECONDS, default 60).
# New inputs found go to a scratch folder, not into the tree; a crash leaves
# its input in the build folder and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${FUZZ_SECONDS:-60}"
BUILD="${LUTEWISE_FUZZ_BUILD_DIR:-build-fuzz}"
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DLUTEWISE_FUZZ=ON -DLUTEWISE_BENCH=OFF >/dev/null
targets=(tab_file:tab project_file:project settings:settings play_file:play)
cmake --build "$BUILD" -j"$(nproc)" --target fuzz_tab_file fuzz_project_file fuzz_settings fuzz_play_file
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for t in "${targets[@]}"; do
  name="${t%%:*}" corpus="${t##*:}"
  mkdir -p "$scratch/$corpus"
  echo "== fuzz_$name for ${SECONDS_EACH}s over fuzz/corpus/$corpus"
  (cd "$BUILD" && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
    "./bin/fuzz_$name" -max_total_time="$SECONDS_EACH" -max_len=65536 -rss_limit_mb=2048 \
    -print_final_stats=1 "$scratch/$corpus" "$OLDPWD/fuzz/corpus/$corpus" 2>&1 | tail -n 12)
done
