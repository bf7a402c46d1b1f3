#!/usr/bin/env bash
# Starts the real game on its own 800 x 600 X screen, taps F1 (a match), P (pause: the picture
# stays under a dark band while W is held), P again, 7 (split screen), Escape (back to the title)
# and F12 (quit) with real key events, checks the screen, and expects exit status 0.
# Usage: end_to_end.sh path/to/tarvex [screenshot-dir]   (run from the source root)
set -euo pipefail
game=$(realpath "$1")
shots=${2:-}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1
export TARVEX_GAME_BIN=$game TARVEX_SHOTS=$shots TARVEX_CHECKS=$(dirname "$(realpath "$0")")/screen_checks.sh

exec xvfb-run -a -s "-screen 0 800x600x24" bash -c '
set -u
screen=$(mktemp --suffix=.png)
trap "rm -f $screen" EXIT
. "$TARVEX_CHECKS"

"$TARVEX_GAME_BIN" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name "^TARVEX 3D" | head -n1)
[ -n "$wid" ] || fail "no game window appeared"
xprop -id "$wid" WM_CLASS | grep -q "\"Tarvex\"" || fail "the window class is not Tarvex"
sleep 1.5; shot title
clear_colour_at 400 300 && fail "the title screen is not drawn over the whole window"
for step in F1:match p:paused p:resumed 7:split Escape:title-again; do
  key=${step%%:*}
  alive || fail "game ended before $key"
  xdotool key "$key"
  sleep 1.5; shot "${step#*:}"
  if [ "${step#*:}" = paused ]; then
    dark_at 5 300 || fail "no paused mark across the middle"
    cp "$screen" "$screen.before"
    xdotool keydown w; sleep 1; shot paused-w-held; xdotool keyup w
    [ "$(compare -metric AE "$screen.before" "$screen" null: 2>&1)" = 0 ] || fail "the paused picture changed"
    rm -f "$screen.before"
  fi
  if [ "${step#*:}" = resumed ]; then
    dark_at 5 300 && fail "the paused mark stayed after the second P"
  fi
  if [ "$key" = 7 ]; then
    check_split_divider
  fi
done
clear_colour_at 400 300 && fail "the title screen did not come back in one view"
alive || fail "game ended before F12"
xdotool key F12
for i in $(seq 100); do alive || break; sleep 0.1; done
alive && fail "game still running 10 s after F12"
wait "$pid"; status=$?
echo "game exited with status $status"
exit $status
'
