#!/bin/sh
# Builds the game (Release) and starts it. Extra arguments go to the game (e.g. --level 2, --no-vsync, --stats).
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVLM_BUILD_TESTS=OFF
cmake --build build
# The game starts as a player meets it: logos, then the main menu (--level N skips to a level).
exec ./build/velmora2 "$@"
