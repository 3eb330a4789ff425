#!/bin/sh
# Screenshots of levels 1-3 at the same moments of play, for comparing two builds by eye.
#
#   tests/render/peer/screens.sh BUILD_DIR GAME TAG [OUT_DIR]
#
# Records each level once headless (fixed clock, fire held, the ship sweeping), then replays the
# recording in a window under Xvfb with GAME (a game binary inside BUILD_DIR, next to its
# original.vlm) and saves the frames at 7 s and 15 s of play as OUT_DIR/TAG-LEVEL-a.bmp and -b.bmp.
# A replay runs on its recorded clock, so two builds show the same moments however fast they draw.
# side_by_side.py BEFORE.bmp AFTER.bmp OUT.png puts two of them next to each other (half size) and
# prints their mean difference per channel (0..255).
set -e
build=$1 game=$2 tag=$3 out=${4:-/tmp/velmora-screens}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out/home"
cd "$build"
if [ ! -f "$out/sweep.txt" ]; then
  python3 -c "import sys; sys.path.insert(0, '$here'); import peer_bench; peer_bench.input_script('$out/sweep.txt', 60)"
fi
for level in 1 2 3; do
  if [ ! -f "$out/rec-$level.txt" ]; then
    XDG_DATA_HOME="$out/home" SDL_AUDIODRIVER=dummy ./"$game" --headless --level $level --seed 7 --frame-ms 33 \
      --frames 500 --input "$out/sweep.txt" --record "$out/rec-$level.txt" >/dev/null
  fi
  XDG_DATA_HOME="$out/home" SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" ./"$game" --windowed \
    --no-vsync --replay "$out/rec-$level.txt" --capture 7000 "$out/$tag-$level-a.bmp" \
    --capture 15000 "$out/$tag-$level-b.bmp" --frames 470 >/dev/null 2>&1
done
