#!/usr/bin/env bash
# Two copies of the real game online over loopback, each on its own 800 x 600 X screen, driven by
# real key presses: F7 hosts on the first, F8 on the second and the typed address 127.0.0.1:47310
# with Enter join it, the host's F1 starts a match on both, the joiner holds W (player 1's forward
# key, which online drives its own tank: player 2) and the host's overview shows the blue tank
# driven forward while the red one stays. The host's Escape ends the match on both, the joiner's
# F12 leaves, the host shows why on its title screen; each prints its session's figures, and the
# two replays of the match hold the same frames.
# Usage: online_match.sh path/to/tarvex path/to/tarvex-tool [screenshot-dir] (from the source root)
# Exit status 77 (skipped) when the game's port 47310 is taken on this machine.
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

python3 -c 'import socket; socket.socket(socket.AF_INET, socket.SOCK_DGRAM).bind(("", 47310))' 2>/dev/null ||
  { echo "UDP port 47310 is taken: skipped"; exit 77; }

exec xvfb-run -a -s "-screen 0 800x600x24" bash -c '
set -u
. "$TARVEX_CHECKS"
work=$(mktemp -d)
screen=$work/screen.png
host_display=$DISPLAY
# The joiner on an X server of its own, so that each game has its own keyboard focus.
exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xserver=$!
for i in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
join_display=:$(head -n1 "$work/display")
pid=
joiner=
cleanup() {
  [ -n "$joiner" ] && kill "$joiner" 2>/dev/null
  kill "$xserver" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
on_joiner() { DISPLAY=$join_display "$@"; }
# The horizontal middle of the tank of one colour (red: player 1, blue: player 2) in the band of
# rows where both tanks start in the overview; -1 when none is seen.
tank_x() {
  convert "$screen" -crop 800x30+0+285 +repage -depth 8 txt:- | awk -v tank="$1" '"'"'
    NR > 1 { split($1, p, /[,:]/); gsub(/[()]/, "", $2); split($2, c, ",")
             if (tank == "blue" ? (c[3] > 150 && c[1] < 80 && c[2] < 80) : (c[1] > 150 && c[2] < 80 && c[3] < 80)) { n++; x += p[1] } }
    END { print n ? int(x / n) : -1 }'"'"'
}
# Waits up to $1 tenths of a second for a command to succeed on fresh screenshots of the host.
host_until() {
  local tenths=$1; shift
  for i in $(seq "$tenths"); do
    import -window root "$screen" 2>/dev/null && "$@" && return 0
    sleep 0.1
  done
  return 1
}

"$TARVEX_GAME_BIN" 2>"$work/host.err" &
pid=$!
DISPLAY=$join_display "$TARVEX_GAME_BIN" 2>"$work/joiner.err" &
joiner=$!
timeout 20 xdotool search --sync --onlyvisible --name "^TARVEX 3D" >/dev/null || fail "no host window"
on_joiner timeout 20 xdotool search --sync --onlyvisible --name "^TARVEX 3D" >/dev/null || fail "no joiner window"
sleep 1
xdotool key F7
host_until 50 dark_at 5 5 || fail "no status band while hosting"
shot hosting
on_joiner xdotool key F8
sleep 0.3
on_joiner xdotool type --delay 30 "127.0.0.1:47310"
on_joiner xdotool key Return
sleep 1
shot connected
xdotool key F1
# The overview of a new match: no status band, each tank at its start.
at_start() { ! dark_at 5 5 && [ "$(tank_x blue)" -gt 700 ] && [ "$(tank_x red)" -gt 30 ] && [ "$(tank_x red)" -lt 100 ]; }
host_until 150 at_start || fail "no match with both tanks at their start on the host"
start_blue=$(tank_x blue); start_red=$(tank_x red)
shot match-start
on_joiner xdotool keydown w; sleep 1; on_joiner xdotool keyup w
moved() { local x; x=$(tank_x blue); [ "$x" -ge 0 ] && [ "$x" -lt $((start_blue - 15)) ]; }
host_until 100 moved || fail "the joiner'"'"'s tank did not move on the host (from x $start_blue)"
shot joiner-moved
moved_blue=$(tank_x blue)
[ "$(tank_x red)" = "$start_red" ] || fail "the host'"'"'s own tank moved"

xdotool key Escape
host_until 100 dark_at 5 5 || fail "the title did not come back on the host after Escape"
on_joiner xdotool key F12
for i in $(seq 100); do kill -0 "$joiner" 2>/dev/null || break; sleep 0.1; done
kill -0 "$joiner" 2>/dev/null && fail "the joiner still runs 10 s after F12"
wait "$joiner" || fail "the joiner did not end with status 0"
joiner=
grep -qx "online: frames=[0-9]* delay=[0-9]* .*" "$work/joiner.err" || fail "no session figures from the joiner: $(cat "$work/joiner.err")"
sleep 0.5
shot joiner-left
alive || fail "the host ended with the joiner"
xdotool key F12
for i in $(seq 100); do alive || break; sleep 0.1; done
alive && fail "the host still runs 10 s after F12"
wait "$pid" || fail "the host did not end with status 0"
grep -qx "online: frames=[0-9]* delay=[0-9]* .*" "$work/host.err" || fail "no session figures from the host: $(cat "$work/host.err")"

# Both sides recorded the confirmed frames: the same match, the joiner'"'"'s controls changing.
replays=$(ls "$XDG_DATA_HOME"/tarvex/replays/*.tvreplay 2>/dev/null | wc -l)
[ "$replays" = 2 ] || fail "expected a replay from each side, found $replays"
for f in "$XDG_DATA_HOME"/tarvex/replays/*.tvreplay; do
  "$TARVEX_TOOL_BIN" replay verify "$f" >/dev/null || fail "$f does not verify"
  "$TARVEX_TOOL_BIN" replay info "$f" | sed "s/\"recorded\":\"[^\"]*\",//" >> "$work/info"
done
[ "$(sort -u "$work/info" | wc -l)" = 1 ] || fail "the two replays differ: $(cat "$work/info")"
grep -q "\"controlChanges\":\[0,[1-9]" "$work/info" || fail "the replay shows no control of player 2: $(cat "$work/info")"
echo "online match played: the blue tank went from x $start_blue to $moved_blue on the host"
'
