#!/usr/bin/env bash
# On a 1024 x 768 screen the display offers no 800 x 600 mode, so the game asks whether to run in
# a window. Answering Yes (Return) gives an 800 x 600 window and a running game: F11 makes it
# cover the screen, Alt+Enter makes it a window again, a window grown to 1000 x 700 is drawn to
# its edge, and F12 ends it with status 0; answering No (Escape) shows "Program Will Now Close."
# and ends with status 0 without a game window. Real message boxes, real key presses.
# With --no-fonts the X server offers only its built-in fonts, as on a machine without the core
# font package, so no message box can be drawn: the question goes to standard error, counts as
# Yes, and the game runs in its window.
# Usage: windowed_fallback.sh path/to/tarvex [--no-fonts]   (run from the source root)
set -euo pipefail
export TARVEX_GAME_BIN=$(realpath "$1")
export TARVEX_MODE=${2:-}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1
fonts=""
[ "$TARVEX_MODE" = --no-fonts ] && fonts="-fp built-ins"

# The X server resets whenever its last client (xwininfo here) has gone; the game must find its
# display all the same, so the scene is played once.
xvfb-run -a -s "$fonts -screen 0 1024x768x24" bash -c '
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
# Ends the game (one still showing a message box does not end on a plain kill) and the test.
fail() {
  echo "$1"
  kill "$pid" 2>/dev/null
  for i in $(seq 20); do alive || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid"
  exit 1
}
# Waits for a top-level window whose name starts with $1 while the game runs; prints
# "x y width height".
window_geometry() {
  for i in $(seq 300); do
    alive || return 1
    line=$(xwininfo -root -children 2>/dev/null | grep -m1 "\"$1" || true)
    if [ -n "$line" ]; then
      echo "$line" | sed -E "s/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*/\3 \4 \1 \2/"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# Puts the pointer in the middle of the named window, gives it the keyboard (with no window
# manager, the focus of a game window that has gone reverts to nothing) and taps a key. A box that
# has just appeared may not take keys yet on a busy machine: the key again while it stays.
answer() {
  local name=$1 key=$2 box try
  geometry=$(window_geometry "$name") || fail "no \"$name\" box appeared"
  read -r box _ <<<"$(xwininfo -root -children 2>/dev/null | grep -m1 "\"$name")"
  set -- $geometry
  xdotool mousemove $(( $1 + $3 / 2 )) $(( $2 + $4 / 2 ))
  for try in 1 2 3; do
    sleep 0.3
    xdotool windowfocus --sync "$box" key "$key" 2>/dev/null || true
    for i in $(seq 30); do
      # By name too: the next box may get the same window id.
      xwininfo -root -children 2>/dev/null | grep -q "^ *$box \"$name" || return 0
      sleep 0.1
    done
  done
  fail "the \"$name\" box did not take $key"
}
wait_exit() {
  for i in $(seq 100); do alive || break; sleep 0.1; done
  alive && fail "game still running after $1"
  wait "$pid"; status=$?
  [ $status -eq 0 ] || { echo "exit status $status after $1"; exit 1; }
}

# Checks that the game runs in an 800 x 600 window and puts the pointer over it.
enter_window() {
  geometry=$(window_geometry "TARVEX 3D") || fail "no game window after $1"
  set -- $geometry
  [ "$3x$4" = 800x600 ] || fail "game window is $3x$4, not 800x600"
  xdotool mousemove $(( $1 + 400 )) $(( $2 + 300 ))
  sleep 1
}

if [ "$TARVEX_MODE" = --no-fonts ]; then
  errors=$(mktemp)
  trap "rm -f $screen $errors" EXIT
  "$TARVEX_GAME_BIN" 2>"$errors" &
  pid=$!
  enter_window "a question no box could show"
  xdotool key F12
  wait_exit "F12 in the window"
  grep -q "^Open GL: The Requested Fullscreen Mode" "$errors" || { echo "question not on standard error"; exit 1; }
  echo "no box could be shown: the question went to standard error and the game ran in a window"
  exit 0
fi

"$TARVEX_GAME_BIN" &
pid=$!
answer "Open GL" Return
enter_window Yes
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
