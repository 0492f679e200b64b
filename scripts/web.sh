#!/usr/bin/env bash
# Builds the browser version of the game with Debian's emscripten: the
# assets come from a native build (made as for the desktop, then packed),
# the page lands in build-web/play/.
#   bash scripts/web.sh                  build it
#   bash scripts/web.sh --serve [PORT]   build it, then start the score server on
#                                        127.0.0.1 serving it at /play/ (port 8080)
# WEB_BUILD_DIR and NATIVE_BUILD_DIR choose the build folders (the test
# command passes its own native build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${WEB_BUILD_DIR:-$root/build-web}"
native="${NATIVE_BUILD_DIR:-$root/build-web-native}"

serve=0
port=8080
if [ "${1:-}" = "--serve" ]; then
  serve=1
  port="${2:-8080}"
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--serve [PORT]]" >&2
  exit 2
fi

bash "$root/scripts/install-deps.sh" web
if [ ! -f "$native/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DGOBBIT_TESTS=OFF -DGOBBIT_BENCH=OFF >/dev/null
fi
targets=(assets)
[ $serve = 1 ] && targets+=(gobbit_score_server)
cmake --build "$native" --target "${targets[@]}"

# Debian's emcc runs on node with its modules in /usr/share/nodejs, where a
# node from elsewhere does not look by itself.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_EXE_LINKER_FLAGS_RELEASE="-O2" \
  -DGOBBIT_WEB_DATA="$native/Data" >/dev/null
cmake --build "$build"
echo "The browser build is in $build/play; what a browser downloads:"
for f in "$build"/play/index.{html,js,wasm,data}; do
  printf '  %-11s %9d bytes, %9d gzipped\n' "$(basename "$f")" "$(stat -c %s "$f")" "$(gzip -9c "$f" | wc -c)"
done

if [ $serve = 1 ]; then
  echo "Open http://127.0.0.1:$port/play/ (the high scores are at http://127.0.0.1:$port/)"
  exec "$native/server/gobbit_score_server" --web "$build/play" "$build/scores.db" "$port" 127.0.0.1
fi
