#!/usr/bin/env bash
# The browser build's frame benchmark (bench/web/WebFrames.mjs): builds the
# browser version and the score server (scripts/web.sh), then plays it in
# headless Chromium and prints its figures. Times depend on the machine and
# on what else runs on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${WEB_BUILD_DIR:-$root/build-web}"
native="${NATIVE_BUILD_DIR:-$root/build-web-native}"

bash "$root/scripts/install-deps.sh" test
WEB_BUILD_DIR="$build" NATIVE_BUILD_DIR="$native" bash "$root/scripts/web.sh"
cmake --build "$native" --target gobbit_score_server >/dev/null
(cd "$root/tests/web" && npm ci --no-audit --no-fund --loglevel=error)
echo "== The browser build in headless Chromium ($(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)) =="
GOBBIT_SCORE_SERVER="$native/server/gobbit_score_server" GOBBIT_WEB_PLAY="$build/play" \
  exec node "$root/bench/web/WebFrames.mjs"
