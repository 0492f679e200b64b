#!/usr/bin/env bash
# Installs the Debian packages the game needs, and only those that are
# missing. Usage: install-deps.sh play|web|test
set -euo pipefail

play_packages=(
  g++ cmake ninja-build pkg-config
  libglfw3-dev libgl-dev libopenal-dev libstb-dev liblodepng-dev libvorbis-dev
)
# The browser build: emscripten (which brings node), and SQLite for the
# score server that serves it.
web_packages=(
  "${play_packages[@]}"
  emscripten libsqlite3-dev
)
test_packages=(
  "${play_packages[@]}"
  libgtest-dev libbenchmark-dev libx11-dev libsqlite3-dev
  xvfb xdotool imagemagick clang libclang-rt-14-dev
  dpkg-dev lintian desktop-file-utils appstream
  libpq-dev postgresql chromium
  "${web_packages[@]:${#play_packages[@]}}"
)

case "${1:-play}" in
  play) wanted=("${play_packages[@]}") ;;
  web) wanted=("${web_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  *) echo "usage: $0 play|web|test" >&2; exit 2 ;;
esac
# The browser test's driver comes from npm; a node that is not Debian's
# brings its own npm.
if [ "${1:-}" = test ] && ! command -v npm >/dev/null; then wanted+=(npm); fi

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
