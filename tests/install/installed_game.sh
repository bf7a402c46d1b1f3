#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks that the desktop entry, the metadata, the
# icon and the data landed where desktops look, and starts the installed game from a folder that
# has no data/ as a menu entry would: the title screen must show with no error box (a missing file
# stops start-up at one), and F12 must end the game with status 0.
# Usage: installed_game.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/usr
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/tarvex bin/tarvex-tool share/applications/org.example.tarvex.desktop \
            share/metainfo/org.example.tarvex.metainfo.xml \
            share/icons/hicolor/scalable/apps/org.example.tarvex.svg \
            share/tarvex/playfield.txt share/tarvex/music share/tarvex/hetfont.bmp; do
  [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
mkdir "$root/elsewhere"
cd "$root/elsewhere"
# The installed tool finds the installed data the same way and finds nothing wrong with it.
"$prefix/bin/tarvex-tool" check >"$root/check.txt" || { cat "$root/check.txt"; exit 1; }
grep -q "^$prefix/bin/../share/tarvex/playfield.txt: OK" "$root/check.txt" || { cat "$root/check.txt"; exit 1; }

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} LIBGL_ALWAYS_SOFTWARE=1 TARVEX_GAME_BIN=$prefix/bin/tarvex
exec xvfb-run -a -s "-screen 0 800x600x24" bash -c '
set -u
screen=$(mktemp --suffix=.png)
trap "rm -f $screen" EXIT
alive() { kill -0 "$pid" 2>/dev/null; }
fail() { echo "$1"; kill "$pid" 2>/dev/null; wait "$pid"; exit 1; }
"$TARVEX_GAME_BIN" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name "^TARVEX 3D" | head -n1)
[ -n "$wid" ] || fail "no game window appeared (start-up stopped at a message box?)"
sleep 1.5
xdotool search --onlyvisible --name "^ERROR$" >/dev/null 2>&1 && fail "an error box is shown"
import -window root "$screen" 2>/dev/null
# The clear colour (51, 153, 204) in the middle means the title screen was not drawn over it.
rgb=$(convert "$screen" -format "%[fx:int(255*p{400,300}.r)] %[fx:int(255*p{400,300}.g)] %[fx:int(255*p{400,300}.b)]" info:)
set -- $rgb
[ $(( ($1-51)*($1-51) + ($2-153)*($2-153) + ($3-204)*($3-204) )) -gt 12 ] || fail "no title screen"
xdotool key F12
for i in $(seq 100); do alive || break; sleep 0.1; done
alive && fail "game still running 10 s after F12"
wait "$pid"; status=$?
echo "installed game exited with status $status"
exit $status
'
