#!/usr/bin/env bash
# Installs a built tree into a scratch prefix and checks what the desktop
# needs: the program on the PATH, the launcher, the desktop entry and the
# file types (validated), the icons, the manual; then starts the launcher
# with an empty HOME (offscreen), which must prepare the per-user folder and
# open the example project there.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "check-install: $*" >&2; exit 1; }
for f in bin/lutewise bin/lutewise-desktop lib/lutewise/lutewise lib/lutewise/libFretcalc.so \
         lib/lutewise/libKoComm.so lib/lutewise/prepare-workdir.sh share/lutewise/Lutewise.ini \
         share/lutewise/manual/index.html share/applications/lutewise.desktop \
         share/mime/packages/lutewise.xml share/icons/hicolor/scalable/apps/lutewise.svg; do
  [[ -e "$prefix/$f" ]] || fail "missing $f"
done
for s in 16 22 24 32 48 64 128 256; do
  [[ -f "$prefix/share/icons/hicolor/${s}x${s}/apps/lutewise.png" ]] || fail "missing icon ${s}x${s}"
done
[[ "$(readlink -f "$prefix/bin/lutewise")" == "$(readlink -f "$prefix/lib/lutewise/lutewise")" ]] ||
  fail "bin/lutewise is not the program"
desktop-file-validate "$prefix/share/applications/lutewise.desktop"
xmllint --noout "$prefix/share/mime/packages/lutewise.xml"
grep -q '^Exec=lutewise-desktop %F$' "$prefix/share/applications/lutewise.desktop" || fail "Exec line"

export HOME="$scratch/home"
mkdir -p "$HOME"
unset XDG_DATA_HOME
export XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
QT_QPA_PLATFORM=offscreen LUTEWISE_QUIT_WHEN_IDLE=1 timeout 120 "$prefix/bin/lutewise-desktop" >/dev/null 2>&1 ||
  fail "the launcher did not run the editor"
work="$HOME/.local/share/Lutewise"
for f in Lutewise.ini TABn1.bmp TABn2.bmp TABn3.bmp examples/example.tbp Recovery; do
  [[ -e "$work/$f" ]] || fail "the working folder lacks $f"
done
grep -q "MruList=$work/examples/example.tbp" "$work/Lutewise.ini" || fail "the first start did not open the example"
echo "check-install: ok"
