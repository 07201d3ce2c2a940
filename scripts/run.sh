#!/usr/bin/env bash
# Installs what Lutewise needs, builds it (Release, folder "build"), prepares
# the per-user working folder and starts the editor there on the example
# project. Extra arguments go to the editor instead of the example project.
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
if [[ $# -gt 0 ]]; then
  exec "$root/$BUILD/bin/lutewise" "$@"
elif [[ -f examples/example.tbp ]]; then
  exec "$root/$BUILD/bin/lutewise" examples/example.tbp
else
  exec "$root/$BUILD/bin/lutewise"
fi
