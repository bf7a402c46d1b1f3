#!/usr/bin/env bash
# On a 1024 x 768 screen the display offers no 800 x 600 mode, so the game asks whether to run in
# a window. Answering Yes (Return) gives an 800 x 600 window and a running game: F11 makes it
# cover the screen, Alt+Enter makes it a window again, a window grown to 1000 x 700 is drawn to
# its edge, and F12 ends it with status 0; answering No (Escape) shows "Program Will Now Close." and ends with status 0 without
# a game window. Real message boxes, real key presses.
# Usage: windowed_fallback.sh path/to/tarvex   (run from the source root)
set -euo pipefail
export TARVEX_GAME_BIN=$(realpath "$1")
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1

exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
set -u
alive() { kill -0 "$pid" 2>/dev/null; }
screen=$(mktemp --suffix=.png)
trap "rm -f $screen" EXIT
# Whether the pixel at x,y of the screen has the clear colour (51, 153, 204).
clear_colour_at() {
  local rgb
  import -window root "$screen" 2>/dev/null
  rgb=$(convert "$screen" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:)
  set -- $rgb
  [ $(( ($1-51)*($1-51) + ($2-153)*($2-153) + ($3-204)*($3-204) )) -le 12 ]
}
# Expects the game window to be $1 (WIDTHxHEIGHT) after $2.
expect_size() {
  local want=$1 after=$2
  sleep 1.5
  set -- $(window_geometry "TARVEX 3D")
  [ "$3x$4" = "$want" ] || fail "game window is $3x$4 after $after, not $want"
}
fail() { echo "$1"; kill "$pid" 2>/dev/null; wait "$pid"; exit 1; }
# Waits for a top-level window whose name starts with $1; prints "x y width height".
window_geometry() {
  for i in $(seq 300); do
    line=$(xwininfo -root -children 2>/dev/null | grep -m1 "\"$1" || true)
    if [ -n "$line" ]; then
      echo "$line" | sed -E "s/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*/\3 \4 \1 \2/"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# Puts the pointer in the middle of the named window (keys go where the pointer is) and taps a key.
answer() {
  geometry=$(window_geometry "$1") || fail "no \"$1\" box appeared"
  set -- $geometry "$2"
  xdotool mousemove $(( $1 + $3 / 2 )) $(( $2 + $4 / 2 ))
  sleep 0.3
  xdotool key "$5"
}
wait_exit() {
  for i in $(seq 100); do alive || break; sleep 0.1; done
  alive && fail "game still running after $1"
  wait "$pid"; status=$?
  [ $status -eq 0 ] || { echo "exit status $status after $1"; exit 1; }
}

"$TARVEX_GAME_BIN" &
pid=$!
answer "Open GL" Return
geometry=$(window_geometry "TARVEX 3D") || fail "no game window after Yes"
set -- $geometry
[ "$3x$4" = 800x600 ] || fail "game window is $3x$4, not 800x600"
xdotool mousemove $(( $1 + 400 )) $(( $2 + 300 ))
sleep 1
xdotool key F11
expect_size 1024x768 F11
xdotool key alt+Return
expect_size 800x600 Alt+Enter
xdotool windowsize "$(xdotool search --name "^TARVEX 3D" | head -n1)" 1000 700
expect_size 1000x700 resizing
clear_colour_at 990 350 && fail "the view did not grow with the window"
xdotool key F12
wait_exit "F12 in the window"

"$TARVEX_GAME_BIN" &
pid=$!
answer "Open GL" Escape
answer "ERROR" Return
wait_exit "answering No"
xwininfo -root -children | grep -q "\"TARVEX 3D" && { echo "a game window was made after No"; exit 1; }
echo "windowed fall-back: Yes runs in a window, No closes"
'
