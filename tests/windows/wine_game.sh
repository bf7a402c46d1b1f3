#!/usr/bin/env bash
# The Windows game under Wine on its own 800 x 600 X screen, driven by real key presses.
# 1. With a sound device (ALSA's file plugin over the null device, appending to a file): the
#    title screen is drawn, F1 starts a match, 7 splits the screen with the divider in the clear
#    colour, Escape returns to the title, F12 quits with status 0; what was played holds the
#    song's start on the title screen, silence in the match and the song again after Escape.
# 2. Without a sound device: the "Direct-X error" box appears over running title frames, a key
#    press answers it, and the game runs on until F12.
# Usage: wine_game.sh GAME_DIR RENDER.wav [screenshot-dir]
#   GAME_DIR holds tarvex.exe and data/; RENDER.wav is the song as `tarvex-tool music render`
#   makes it. Needs WINEPREFIX set to a prepared prefix.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
export TARVEX_GAME_DIR=$(realpath "$1") TARVEX_RENDER=$(realpath "$2") TARVEX_SHOTS=${3:-}
export TARVEX_CHECKS=$here/../app/screen_checks.sh TARVEX_CAPTURE_CHECK=$here/check_capture.py
export TARVEX_PACED_WRITER=$here/paced_writer.py
export WINEDEBUG=-all LIBGL_ALWAYS_SOFTWARE=1
: "${WINEPREFIX:?WINEPREFIX must name a prepared Wine prefix}"

exec xvfb-run -a -s "-screen 0 800x600x24" bash -c '
set -u
cd "$TARVEX_GAME_DIR"
screen=$(mktemp --suffix=.png)
homes=$(mktemp -d)
trap "rm -rf $screen $homes" EXIT
. "$TARVEX_CHECKS"

start_game() {  # HOME for the sound configuration
  HOME=$1 wine tarvex.exe &
  pid=$!
  wid=$(timeout 90 xdotool search --sync --onlyvisible --name "^TARVEX 3D" | head -n1)
  [ -n "$wid" ] || fail "no game window appeared"
}
# Waits until the capture holds at least $1 bytes (Wine starts its sound output late under load).
wait_for_capture() {
  for i in $(seq 300); do [ "$(stat -c %s "$capture")" -ge "$1" ] && return 0; sleep 0.1; done
  fail "the game played no sound (the capture stayed below $1 bytes)"
}
quit_game() {
  xdotool key F12
  for i in $(seq 100); do alive || break; sleep 0.1; done
  alive && fail "game still running 10 s after F12"
  wait "$pid"; local status=$?
  [ $status -eq 0 ] || fail "game exited with status $status"
}

echo "-- with sound through ALSA into a file"
mkdir "$homes/sound"
capture=$homes/sound/played.raw
: > "$capture"
cat > "$homes/sound/.asoundrc" <<EOF
pcm.!default { type plug; slave { pcm "capture"; format S16_LE; rate 44100; channels 2 } }
pcm.capture { type file; slave.pcm "null"; file "|$TARVEX_PACED_WRITER $capture"; format "raw" }
EOF
start_game "$homes/sound"
sleep 1.5; shot title
clear_colour_at 400 300 && fail "the title screen is not drawn over the whole window"
wait_for_capture $((3 * 176400))  # three seconds of the title song
match_bytes=$(stat -c %s "$capture")
xdotool key F1
sleep 1.5; shot match
alive || fail "game ended after F1"
xdotool key 7
sleep 1.5; shot split
check_split_divider
escape_bytes=$(stat -c %s "$capture")
xdotool key Escape
sleep 1.5; shot title-again
clear_colour_at 400 300 && fail "the title screen did not come back in one view"
wait_for_capture $((escape_bytes + 3 * 176400))
quit_game
if [ -n "$TARVEX_SHOTS" ]; then cp "$capture" "$TARVEX_SHOTS/played.raw"; fi
python3 "$TARVEX_CAPTURE_CHECK" "$capture" "$TARVEX_RENDER" "$match_bytes" "$escape_bytes" ||
  fail "the music was not played as rendered"

echo "-- without a sound device"
mkdir "$homes/silent"
start_game "$homes/silent"
box=$(timeout 30 xdotool search --sync --onlyvisible --name "^ERROR$" | head -n1)
[ -n "$box" ] || fail "no error box appeared without a sound device"
sleep 0.5; shot no-sound-box; cp "$screen" "$homes/before.png"
sleep 1; shot no-sound-box-later
[ "$(compare -metric AE "$homes/before.png" "$screen" null: 2>&1)" != 0 ] ||
  fail "no frames run behind the error box"
clear_colour_at 100 100 && fail "the title screen is not drawn behind the error box"
xdotool key Return
for i in $(seq 50); do xdotool search --onlyvisible --name "^ERROR$" >/dev/null || break; sleep 0.1; done
xdotool search --onlyvisible --name "^ERROR$" >/dev/null && fail "the key press did not answer the error box"
xdotool key F1
sleep 1.5; shot no-sound-match
alive || fail "game ended after the error box"
clear_colour_at 400 300 && fail "no match drawn after the error box"
quit_game
echo "the Windows game ran under Wine as expected"
'
