#!/bin/sh
# Builds everything with the tests and runs every test (the window test runs under Xvfb).
# Set VLM_SANITIZE=1 for an AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
dir=build-tests; extra=""
if [ "${VLM_SANITIZE:-0}" = 1 ]; then dir=build-asan; extra="-DVLM_SANITIZE=ON"; fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLM_BUILD_TESTS=ON $extra
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j2 --timeout 600
