#!/usr/bin/env bash
# Installs what Lutewise needs, builds it (Release, folder "build"), prepares
# the per-user working folder and starts the editor there (on its very
# first start the editor opens the example project). Arguments go to the editor.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh
BUILD="${LUTEWISE_BUILD_DIR:-build}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target lutewise
work="$(bash scripts/prepare-workdir.sh | tail -n 1)"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/xdg-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cd "$work"
echo "run: working folder $work"
# The editor opens the example project by itself on its very first start.
exec "$root/$BUILD/bin/lutewise" "$@"
