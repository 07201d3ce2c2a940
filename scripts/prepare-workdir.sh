#!/usr/bin/env bash
# Prepares the per-user working folder the editor runs in: it needs
# "Lutewise.ini" and the ground pictures TABn1..3.bmp in its current folder,
# and keeps its recovery copies in "Recovery" there.
#
# Usage: prepare-workdir.sh [DIR]
#   DIR defaults to ${XDG_DATA_HOME:-$HOME/.local/share}/Lutewise.
# Copies data/Lutewise.ini, data/TABn*.bmp and data/examples/ (when present;
# from $LUTEWISE_DATA instead of data/ when that is set)
# without overwriting anything the user already has, creates DIR/Recovery and
# prints DIR.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# The data beside the sources, or where LUTEWISE_DATA says (installed copy).
data="${LUTEWISE_DATA:-$here/../data}"
dir="${1:-${XDG_DATA_HOME:-$HOME/.local/share}/Lutewise}"

if [[ -e "$dir" && ! -d "$dir" ]]; then
  echo "prepare-workdir: $dir exists and is not a folder" >&2
  exit 1
fi
mkdir -p -- "$dir" "$dir/Recovery"

# A user's settings, pictures and rows are never replaced. (Existence is
# tested here rather than with cp -n, whose exit status differs between
# coreutils versions.)
copy_new() {  # SRC DEST
  if [[ ! -e "$2" ]]; then cp -p -- "$1" "$2"; fi
}
for f in Lutewise.ini TABn1.bmp TABn2.bmp TABn3.bmp; do
  if [[ ! -f "$data/$f" ]]; then
    echo "prepare-workdir: missing $data/$f" >&2
    exit 1
  fi
  copy_new "$data/$f" "$dir/$f"
done
if [[ -d "$data/examples" ]]; then
  (cd -- "$data/examples" && find . -type d -print0) | while IFS= read -r -d '' d; do
    mkdir -p -- "$dir/examples/$d"
  done
  (cd -- "$data/examples" && find . -type f -print0) | while IFS= read -r -d '' f; do
    copy_new "$data/examples/$f" "$dir/examples/$f"
  done
fi

(cd -- "$dir" && pwd)
