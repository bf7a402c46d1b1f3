#!/usr/bin/env bash
# A short match against the computer in the real game, then its replay: starts the game with the
# computer on player 2, starts a match with F1, drives player 1 with real key presses, leaves with
# Escape and quits; the match's replay must be in the replay folder, verify with tarvex-tool, and
# play back in the game (the tanks move as they did) until the title screen comes back.
# Usage: computer_replay.sh path/to/tarvex path/to/tarvex-tool [screenshot-dir] (from the source root)
set -euo pipefail
game=$(realpath "$1")
tool=$(realpath "$2")
shots=${3:-}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1
export XDG_DATA_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_DATA_HOME"' EXIT
export TARVEX_GAME_BIN=$game TARVEX_TOOL_BIN=$tool TARVEX_SHOTS=$shots
export TARVEX_CHECKS=$(dirname "$(realpath "$0")")/screen_checks.sh

exec xvfb-run -a -s "-screen 0 800x600x24" bash -c '
set -u
screen=$(mktemp --suffix=.png)
start=$(mktemp --suffix=.png)
trap "rm -f $screen $start" EXIT
. "$TARVEX_CHECKS"
folder=$XDG_DATA_HOME/tarvex/replays
same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

"$TARVEX_GAME_BIN" --player2 3 &
pid=$!
timeout 20 xdotool search --sync --onlyvisible --name "^TARVEX 3D" >/dev/null || fail "no game window"
sleep 1
xdotool key F1; sleep 0.3
xdotool key 1; sleep 0.3   # the overview: its picture moves only when a tank does
shot match-start; cp "$screen" "$start"
xdotool keydown w; sleep 1.5; xdotool keyup w
xdotool key x; sleep 2
shot match-later
same_picture "$start" "$screen" && fail "nothing moved in the match"
xdotool key Escape; sleep 0.5
xdotool key F12
for i in $(seq 100); do alive || break; sleep 0.1; done
alive && fail "game still running 10 s after F12"
wait "$pid" || fail "the game did not end with status 0"

replay=$(ls "$folder"/*.tvreplay 2>/dev/null | tail -n1)
[ -n "$replay" ] || fail "no replay was written to $folder"
"$TARVEX_TOOL_BIN" replay verify "$replay" || fail "the replay does not verify"

"$TARVEX_GAME_BIN" --replay "$replay" &
pid=$!
timeout 20 xdotool search --sync --onlyvisible --name "^TARVEX 3D" >/dev/null || fail "no game window for the replay"
xdotool key 1; sleep 4
shot replay-playing
same_picture "$start" "$screen" && fail "the replay shows no movement"
clear_colour_at 400 300 && fail "the replay is not drawn"
# The match took about five seconds; then the title screen with its music comes back.
sleep 6
alive || fail "the game ended with the replay"
shot replay-over
xdotool key F12
for i in $(seq 100); do alive || break; sleep 0.1; done
wait "$pid"
'
