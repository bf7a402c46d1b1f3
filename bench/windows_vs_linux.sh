#!/usr/bin/env bash
# The Windows build under Wine beside the Linux build, on one 800 x 600 x 24 Xvfb display with
# Mesa llvmpipe: CPU share of the game process at 100 frames a second on the title screen, in a
# single-view match and in split screen, and the intervals between frame ticks (TARVEX_TICK_LOG).
# Both play their music: Linux on SDL's disk driver, Windows through DirectSound into ALSA's file
# plugin, both held to real time and thrown away.
# Usage: bench/windows_vs_linux.sh [LINUX_TARVEX] [TARVEX_EXE] [SECONDS_PER_SCENE]
#   (run from the source root; defaults build/app/tarvex, build-windows/app/tarvex.exe, 10)
set -euo pipefail
cd "$(dirname "$0")/.."
export TARVEX_LINUX=$(realpath "${1:-build/app/tarvex}") TARVEX_WINDOWS=$(realpath "${2:-build-windows/app/tarvex.exe}")
export TARVEX_SECONDS=${3:-10} TARVEX_ROOT=$PWD
work=$(mktemp -d)
export TARVEX_WORK=$work WINEPREFIX=$work/prefix WINEDEBUG=-all LIBGL_ALWAYS_SOFTWARE=1
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
wine wineboot -i >/dev/null 2>&1 || { echo "Wine cannot prepare a prefix"; exit 1; }
mkdir "$work/home"
cat > "$work/home/.asoundrc" <<EOF
pcm.!default { type plug; slave { pcm "out"; format S16_LE; rate 44100; channels 2 } }
pcm.out { type file; slave.pcm "null"; file "|$PWD/tests/windows/paced_writer.py /dev/null"; format "raw" }
EOF

xvfb-run -a -s "-screen 0 800x600x24" bash -c '
set -eu
ticks() { cut -d" " -f14,15 /proc/$1/stat | tr " " "+" | bc; }
# CPU ticks (1/100 s) of our own wine server, 0 for the Linux build.
server_ticks() {
  local p
  for p in $(pgrep -x "wineserver(64)?" || true); do
    if tr "\0" "\n" < /proc/$p/environ 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then ticks $p; return; fi
  done
  echo 0
}
measure() {  # build name, then the command that starts the game
  local name=$1; shift
  TARVEX_TICK_LOG=$TARVEX_WORK/$name.ticks "$@" &
  local pid=$!
  timeout 120 xdotool search --sync --onlyvisible --name "^TARVEX 3D" >/dev/null
  sleep 3
  local scene
  for scene in title:F1 match:7 split:F12; do
    local cpu0=$(ticks $pid) server0=$(server_ticks) t0=$(date +%s.%N)
    sleep "$TARVEX_SECONDS"
    local cpu1=$(ticks $pid) server1=$(server_ticks) t1=$(date +%s.%N)
    echo "$name ${scene%%:*} $(echo "scale=1; ($cpu1 - $cpu0) / ($t1 - $t0)" | bc) $(echo "scale=1; ($server1 - $server0) / ($t1 - $t0)" | bc)"
    xdotool key "${scene#*:}"
    sleep 1
  done
  wait $pid
}
cd "$TARVEX_ROOT"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null measure linux "$TARVEX_LINUX" > "$TARVEX_WORK/cpu"
HOME=$TARVEX_WORK/home measure windows wine "$TARVEX_WINDOWS" >> "$TARVEX_WORK/cpu"
'
python3 - "$work" <<'EOF'
import sys
work = sys.argv[1]
cpu = {}
for line in open(f"{work}/cpu"):
    build, scene, share, server = line.split()
    cpu[(build, scene)] = (float(share), float(server))
print("CPU share of one core (% of the game process; Wine's server in brackets)")
print(f"{'scene':8} {'Linux':>8} {'Windows':>18} {'ratio':>6}")
for scene in ("title", "match", "split"):
    linux, windows = cpu[("linux", scene)][0], cpu[("windows", scene)]
    print(f"{scene:8} {linux:7.1f}% {windows[0]:7.1f}% [{windows[1]:5.1f}%] {windows[0] / linux:6.2f}")
print("\nFrame tick intervals (ms), after the first 3 s")
print(f"{'build':8} {'ticks':>6} {'mean':>6} {'p50':>6} {'p99':>6} {'max':>6}")
for build in ("linux", "windows"):
    ticks = [int(t) for t in open(f"{work}/{build}.ticks")]
    ticks = [t for t in ticks if t - ticks[0] >= 3_000_000]
    gaps = sorted((b - a) / 1000 for a, b in zip(ticks, ticks[1:]))
    pick = lambda q: gaps[min(len(gaps) - 1, int(q * len(gaps)))]
    print(f"{build:8} {len(gaps):6} {sum(gaps) / len(gaps):6.2f} {pick(0.5):6.2f} {pick(0.99):6.2f} {gaps[-1]:6.2f}")
EOF
