#!/usr/bin/env bash
# Installs the Debian packages the game needs, and only those that are
# missing. Usage: install-deps.sh play|test
set -euo pipefail

play_packages=(
  g++ cmake ninja-build pkg-config
  libglfw3-dev libgl-dev libopenal-dev libstb-dev liblodepng-dev libvorbis-dev
)
test_packages=(
  "${play_packages[@]}"
  libgtest-dev libbenchmark-dev libx11-dev libsqlite3-dev
  xvfb xdotool imagemagick clang libclang-rt-14-dev
  dpkg-dev lintian desktop-file-utils appstream
  libpq-dev postgresql chromium
)

case "${1:-play}" in
  play) wanted=("${play_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  *) echo "usage: $0 play|test" >&2; exit 2 ;;
esac

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
