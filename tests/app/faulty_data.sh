#!/usr/bin/env bash
# Damaged data files, end to end. For each named data file (all eight by default) and each
# damage (missing, empty, truncated, random bytes, a folder, a named pipe, a 200 MB sparse file),
# in a copy of data/: the real game on its own 800 x 600 X screen shows the expected message
# boxes (answered with a real Return key press), shows the orbiting title screen within 5 s of
# the last answer, starts a match with F1 (the overview stands still), drives and fires, and
# quits on F12 with status 0. Then tarvex-tool reads the same file: the expected status, a
# message for every refusal, within a second.
# Usage: faulty_data.sh path/to/tarvex path/to/tarvex-tool [FILE...]   (run from the source root)
set -euo pipefail
export TARVEX_GAME_BIN=$(realpath "$1") TARVEX_TOOL_BIN=$(realpath "$2")
shift 2
export TARVEX_DATA=$(realpath data) TARVEX_FILES="${*:-playfield.txt hetfont.bmp Filled.bmp track.bmp TankDrive.wav TankShoot.wav TankExplosion.wav music}"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1

exec xvfb-run -a -s "-screen 0 800x600x24" bash -c '
set -u
work=$(mktemp -d)
trap "rm -rf $work" EXIT
failures=0

# The message boxes each case shows, by caption, in order ("-" for none), and the status of
# tarvex-tool on the file. A missing bitmap is passed over in silence; sounds never complain.
# Cut in half, an arena keeps its whole records, a WAV file its whole frames and a module its
# song (the cut samples and tables play shorter): all are used without a word.
expected() {
  local file=$1 damage=$2
  case "$file:$damage" in
    playfield.txt:empty|playfield.txt:truncated|playfield.txt:random) echo "- 0" ;;
    playfield.txt:*) echo "ERROR 1" ;;
    *.bmp:missing) echo "- 1" ;;
    *.bmp:*) echo "Error 1" ;;
    *.wav:truncated) echo "- 0" ;;
    *.wav:*) echo "- 1" ;;
    music:truncated) echo "- 0" ;;
    music:*) echo "ERROR 1" ;;
  esac
}

damage() {  # damage FILE KIND: spoils data/FILE in the current folder
  local file=data/$1 size
  size=$(stat -c %s "$file")
  rm -f "$file"
  case $2 in
    missing) ;;
    empty) : >"$file" ;;
    truncated) head -c $((size / 2)) "$TARVEX_DATA/$1" >"$file" ;;
    random) python3 -c "import random,sys; random.seed(12); sys.stdout.buffer.write(random.randbytes($size))" >"$file" ;;
    folder) mkdir "$file" ;;
    pipe) mkfifo "$file" ;;
    large) truncate -s 200M "$file" ;;
  esac
}

# The arguments of the tool command that reads the file, run in the case folder (a WAV file is
# read as the sampled instrument of a song).
tool_arguments() {
  case $1 in
    playfield.txt) echo playfield data/playfield.txt ;;
    *.bmp) echo bmp "data/$1" out.ppm ;;
    *.wav) { printf "instrument 1 sample \"s\"\n  wav \"data/%s\"\npattern 1\n  C-3 01 ...\n" "$1"
             for row in $(seq 15); do echo "  ---"; done
             printf "positions\n  1 -- -- --\n"; } >song.txt
           echo song compile song.txt out.module ;;
    music) echo music info data/music ;;
  esac
}

screen=$work/screen.png
shot() { import -window root -crop 800x600+0+0 rgb:- 2>/dev/null | md5sum; }
boxes() { xwininfo -root -children 2>/dev/null | grep -oE "\"(ERROR|Error)\"" | tr -d "\"" || true; }
alive() { kill -0 "$pid" 2>/dev/null; }

# Waits up to 20 s (start-up included) for a box with caption $1, gives it the keyboard focus
# (the full-screen game window holds it otherwise) and presses Return.
answer() {
  local box=""
  for i in $(seq 200); do
    box=$(xwininfo -root -children 2>/dev/null | grep -m1 "\"$1\"" | awk "{print \$1}")
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || return 1
  # A box that has just appeared may not take keys yet on a busy machine: press again while it stays.
  local try
  for try in 1 2 3; do
    xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
    for i in $(seq 30); do
      xwininfo -root -children 2>/dev/null | grep -q "^ *$box " || return 0
      sleep 0.1
    done
  done
  return 1
}

run_case() {  # run_case FILE DAMAGE: empty output when all went well, else what failed
  local file=$1 kind=$2 want_boxes want_status a b c d start status
  read -r want_boxes want_status <<<"$(expected "$file" "$kind")"
  local dir=$work/$kind-$file
  mkdir -p "$dir" && cp -r "$TARVEX_DATA" "$dir/data" && cd "$dir" && damage "$file" "$kind"

  "$TARVEX_GAME_BIN" >game.log 2>&1 &
  pid=$!
  if [ "$want_boxes" != - ]; then
    for caption in ${want_boxes//,/ }; do
      answer "$caption" || { echo "no \"$caption\" box answered"; kill -9 $pid; wait $pid; return; }
    done
  fi
  # The title screen within 5 s of the last answer (20 s of start-up when no box is due): the
  # game window shows and the orbiting camera moves.
  local wait=25
  [ "$want_boxes" = - ] && wait=100
  local game=""
  for i in $(seq $wait); do
    game=$(xdotool search --onlyvisible --name "^TARVEX 3D" 2>/dev/null | head -n1)
    [ -n "$game" ] && break
    sleep 0.2
  done
  [ -n "$game" ] && xdotool windowfocus --sync "$game"
  sleep 0.5
  a=$(shot); sleep 0.3; b=$(shot)
  [ -n "$(boxes)" ] && { echo "an unexpected \"$(boxes | head -n1)\" box"; kill -9 $pid; wait $pid; return; }
  alive || { echo "the game ended before the title screen"; wait $pid; return; }
  [ "$a" != "$b" ] || { echo "no moving title screen"; kill -9 $pid; wait $pid; return; }
  # F1: the overview of a new match stands still until a key is held.
  xdotool key F1
  sleep 0.5
  c=$(shot); sleep 0.2; d=$(shot)
  [ "$c" = "$d" ] && [ "$c" != "$b" ] || { echo "F1 started no match"; kill -9 $pid; wait $pid; return; }
  # Engine sound and a shot: the effects are played now.
  xdotool keydown w sleep 0.3 key x sleep 0.2 keyup w
  sleep 0.3
  xdotool key F12
  for i in $(seq 30); do alive || break; sleep 0.1; done
  alive && { echo "game still running 3 s after F12"; kill -9 $pid; wait $pid; return; }
  wait $pid; status=$?
  [ $status -eq 0 ] || { echo "game exited with status $status"; return; }

  local arguments
  arguments=$(tool_arguments "$file")
  start=$(date +%s%N)
  timeout 5 "$TARVEX_TOOL_BIN" $arguments >tool.out 2>tool.err
  status=$?
  local ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [ $status -eq "$want_status" ] || { echo "tarvex-tool status $status, expected $want_status: $(head -c 200 tool.err)"; return; }
  [ $ms -le 1000 ] || { echo "tarvex-tool took $ms ms"; return; }
  [ $status -eq 0 ] || [ -s tool.err ] || grep -q "messages\":\[\"" tool.out ||
    echo "tarvex-tool gave no message"
}

for file in $TARVEX_FILES; do
  for kind in missing empty truncated random folder pipe large; do
    # Once more after a failure: on a busy machine a frame or a key can come late; a real fault
    # fails both times.
    for try in 1 2; do
      result=$(run_case "$file" "$kind")
      cd "$work"
      rm -rf "$work/$kind-$file"
      [ -z "$result" ] && break
      echo "retry $file $kind: $result"
    done
    if [ -n "$result" ]; then
      echo "FAIL $file $kind: $result"
      failures=$((failures + 1))
    else
      echo "ok   $file $kind"
    fi
  done
done
exit $((failures > 0))
'
