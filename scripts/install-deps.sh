#!/bin/sh
# Installs the Debian packages the game, its tools and its tests need.
# With "fuzz" as argument, also clang and its libFuzzer runtime for the fuzz targets.
set -e
PKGS="build-essential cmake pkg-config ninja-build \
 libsdl2-dev libepoxy-dev libglm-dev libjpeg-dev libopenmpt-dev zlib1g-dev \
 libcairo2-dev libfreetype-dev fonts-dejavu-core \
 libgtest-dev libgmock-dev libbenchmark-dev \
 xvfb xauth libgl1-mesa-dri libegl-mesa0 mesa-utils \
 matchbox-window-manager"
[ "${1:-}" = fuzz ] && PKGS="$PKGS clang libclang-rt-14-dev"
missing=""
for p in $PKGS; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" = 0 ]; then SUDO=""; else SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends $missing
