#!/bin/sh
# Installs the built game into a temporary prefix, starts the installed game from another
# folder (it must find its content under the prefix), runs a level headless, and validates the
# desktop entry and the AppStream metainfo. Arguments: the build folder.
set -eu
build="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "install test: $*" >&2; exit 1; }
# The loose files beside the build's game (the default save) go along with it.
if [ -d "$build/Saves" ]; then
  (cd "$build" && find Saves -type f) | while read -r f; do
    [ -f "$prefix/share/velmora2/$f" ] || fail "share/velmora2/$f is not installed"
  done
fi
for f in bin/velmora2 bin/vlm2tool share/velmora2/original.vlm \
         share/applications/works.quorvel.velmora2.desktop share/metainfo/works.quorvel.velmora2.metainfo.xml \
         share/man/man6/velmora2.6 share/man/man1/vlm2tool.1; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
for n in 16 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${n}x${n}/apps/velmora2.png"
  [ -f "$icon" ] || fail "the ${n}x${n} icon is not installed"
  # A PNG of the size it claims: width and height are the big-endian words at bytes 16 and 20.
  size=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$size" = "${n}x${n}" ] || fail "$icon is $size"
done
# The installed game, started from elsewhere with no content beside it, plays level 1 headless.
mkdir -p "$tmp/elsewhere" "$tmp/home"
cd "$tmp/elsewhere"
XDG_DATA_HOME="$tmp/home" "$prefix/bin/velmora2" --headless --level 1 --seed 3 --frames 600 \
  --dump-state "$tmp/state.json" > "$tmp/out.txt" 2>&1 || { cat "$tmp/out.txt" >&2; fail "the installed game did not run"; }
grep -q '"GameState": *"game"' "$tmp/state.json" || fail "the installed game did not reach play: $(head -c 300 "$tmp/state.json")"
[ -f "$tmp/home/Quorvel Works/Velmora 2/game.ini" ] || fail "the installed game wrote no options"
# The installed tool reads the installed archive.
"$prefix/bin/vlm2tool" list "$prefix/share/velmora2/original.vlm" | grep -qi 'levels' || fail "vlm2tool cannot list the archive"
appstreamcli validate --no-net "$prefix/share/metainfo/works.quorvel.velmora2.metainfo.xml" || fail "the metainfo does not validate"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/works.quorvel.velmora2.desktop" || fail "the desktop entry does not validate"
else
  echo "install test: desktop-file-validate is missing (scripts/install-deps.sh installs desktop-file-utils)" >&2
  exit 1
fi
man -l "$prefix/share/man/man6/velmora2.6" >/dev/null 2>&1 || true
echo "install test: passed"
