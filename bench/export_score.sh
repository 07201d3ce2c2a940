#!/usr/bin/env bash
# Times "lutewise --export-score" of the ten-row bench project (PNG and PDF,
# notes on the staff), run in a working folder made from data/.
# usage: bench/export_score.sh BUILD_DIR [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here"/data/Lutewise.ini "$here"/data/TABn*.bmp "$work"/
cd "$work"
export QT_QPA_PLATFORM=offscreen
for ext in png pdf svg; do
  best=
  for _ in $(seq "$runs"); do
    t0=$(date +%s%N)
    "$build"/bin/lutewise --export-score --notes "score.$ext" "$here/bench/project/ten_rows.tbp" >/dev/null
    t=$(( ($(date +%s%N) - t0) / 1000000 ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "export-score ten rows .$ext: best of $runs runs ${best} ms"
done
