#!/bin/sh
# Builds the fuzz targets with clang (build-fuzz) and runs each for SECONDS (default 25),
# two at a time, from the seeds in fuzz/corpus/<target>. What a run finds goes to
# build-fuzz/corpus/<target> (new inputs) and build-fuzz/artifacts/<time of the run>/ (crashes,
# hangs, leaks, out-of-memory inputs); the logs to build-fuzz/logs/.
# Prints executions and findings per target; exits non-zero when any target found something.
#   fuzz/run.sh               # every target, 25 s each (what CI runs)
#   fuzz/run.sh 1800 mesh bmp # chosen targets for half an hour each
set -e
cd "$(dirname "$0")/.."
seconds=${1:-25}
[ $# -gt 0 ] && shift
targets="$*"
[ -z "$targets" ] && targets="archive lzrw1 ini unscramble mesh jpeg bmp wave soundbank module inputscript replay levels"
./scripts/install-deps.sh fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DVLM_FUZZ=ON -DVLM_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzz_all
run=build-fuzz/artifacts/$(date +%Y%m%d-%H%M%S)
mkdir -p "$run" build-fuzz/logs
for t in $targets; do mkdir -p "build-fuzz/corpus/$t"; done
# -timeout: an input taking 10 s is a hang; -rss_limit_mb: 2 GB is far beyond any sane input.
echo $targets | tr ' ' '\n' | xargs -P 2 -I{} sh -c \
  'ASAN_OPTIONS=detect_leaks=1 ./build-fuzz/fuzz_{} -max_total_time='"$seconds"' -timeout=10 -rss_limit_mb=2048 \
     -print_final_stats=1 -artifact_prefix='"$run"'/{}- build-fuzz/corpus/{} fuzz/corpus/{} \
     >build-fuzz/logs/{}.log 2>&1 || true'
# A unit libFuzzer reports as slow is run again on its own: one that is quick then was the machine
# pausing the run (the host or another program), not the input, and is set aside with a note.
for f in "$run"/*-slow-unit-*; do
  [ -e "$f" ] || continue
  t=$(basename "$f")
  t=${t%%-slow-unit-*}
  if timeout 5 "./build-fuzz/fuzz_$t" "$f" >/dev/null 2>&1; then
    echo "note: $f took under 5 s when run again: the machine paused, not the input"
    rm "$f"
  fi
done
status=0
printf '%-12s %12s %8s\n' target executions found
for t in $targets; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "build-fuzz/logs/$t.log" | tail -1)
  found=$(find "$run" -name "$t-*" | wc -l)
  if grep -q -E '^==[0-9]+==ERROR|^SUMMARY: |deadly signal|ALARM: working on the last Unit' "build-fuzz/logs/$t.log"; then
    [ "$found" -eq 0 ] && found=1
  fi
  printf '%-12s %12s %8s\n' "$t" "${runs:-?}" "$found"
  if [ "$found" -ne 0 ] || [ -z "$runs" ]; then
    status=1
    echo "--- build-fuzz/logs/$t.log:"; tail -40 "build-fuzz/logs/$t.log"
  fi
done
rmdir "$run" 2>/dev/null || echo "inputs that failed: $run"
exit $status
