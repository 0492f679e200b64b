#!/usr/bin/env bash
# Takes the screenshots that the AppStream metadata names
# (packaging/screenshots/title.png and play.png) from the real game, on its
# own Xvfb, in a throw-away home folder. Publish them under the homepage's
# screenshots/ folder. Usage: app-screenshots.sh [outdir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
out="${1:-$root/packaging/screenshots}"
mkdir -p "$out"

cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target gobbit >/dev/null

source "$root/scripts/headless.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/gobbit-shots-XXXXXX")
game_pid=""
finish() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  stop_own_display
  rm -rf "$work"
}
trap finish EXIT
start_own_display 90 190

ln -s "$build/gobbit" "$work/gobbit"
ln -s "$build/Data" "$work/Data"
(cd "$work" && exec ./gobbit) >"$work/log" 2>&1 &
game_pid=$!

# The loader's last step; the title follows in the next update.
for _ in $(seq 1 300); do
  grep -q "Load SFX   : 18" "$work/log" && break
  sleep 0.1
done
grep -q "Load SFX   : 18" "$work/log" || { echo "the game did not reach its title" >&2; exit 1; }
window=$(xdotool search --pid "$game_pid" | head -n 1)
press() { xdotool keydown "$1"; sleep 0.12; xdotool keyup "$1"; sleep "${2:-0.2}"; }

sleep 1.5  # the title's logo settles
import -window "$window" "$out/title.png"
press Return 1.0   # the difficulty list
press Return 3.0   # Normal; the maze rises
for key in Right Right Down Down Right; do press "$key" 0.35; done
import -window "$window" "$out/play.png"
echo "Wrote $out/title.png and $out/play.png"
