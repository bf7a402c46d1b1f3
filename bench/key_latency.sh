#!/usr/bin/env bash
# Key-to-screen latency of one or more game builds, measured the same way on one 800 x 600 x 24
# Xvfb display with Mesa llvmpipe: each round starts every build in turn, starts a match (F1),
# chooses the overview camera (1), whose view moves only when a tank moves, and runs the probe
# (bench/key_latency.cpp) on player 1's tank, pressing W and S in turn. Rounds alternate the
# builds so that the load of other work falls on all of them alike.
# Usage: bench/key_latency.sh PROBE ROUNDS SAMPLES_PER_ROUND NAME=GAME [NAME=GAME...]
#   (runs every game from the source root, where it finds data/)
# Prints each build's samples, min, median, 90th percentile and max in milliseconds: of all
# samples, and of those during which the game kept its pace ("frames on time": every frame tick
# interval from 10 ms before the press to the change at most 12 ms, from TARVEX_TICK_LOG), as the
# machine's other work delays frames now and then; and the frame tick intervals of its matches.
# A round whose probe fails (a pick-up spinning next to the tank, say) is played again with a new
# game, up to four times.
set -euo pipefail
[ $# -ge 4 ] || { sed -n 7,8p "$0"; exit 2; }
probe=$(realpath "$1") rounds=$2 samples=$3
shift 3
builds=()
for build in "$@"; do builds+=("${build%%=*}=$(realpath "${build#*=}")"); done
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KEY_PROBE=$probe KEY_ROUNDS=$rounds KEY_SAMPLES=$samples KEY_WORK=$work KEY_BUILDS="${builds[*]}"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} LIBGL_ALWAYS_SOFTWARE=1

xvfb-run -a -s "-screen 0 800x600x24" bash -c '
set -u
# One round of one build; fails when the game or the probe does.
measure() {
  local name=$1 game=$2 round=$3
  TARVEX_TICK_LOG=$KEY_WORK/$name.$round.ticks "$game" 2>/dev/null &
  local pid=$! wid
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^TARVEX 3D" | head -n1)
  if [ -z "$wid" ]; then kill $pid 2>/dev/null; wait $pid; return 1; fi
  sleep 1.5; xdotool key F1
  sleep 4; xdotool key 1   # past the countdown: the overview camera
  sleep 1
  local status=0
  "$KEY_PROBE" "$wid" --samples "$KEY_SAMPLES" > "$KEY_WORK/round" || status=$?
  xdotool key F12
  for i in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill $pid 2>/dev/null; wait $pid
  [ $status -eq 0 ] && cat "$KEY_WORK/round" >> "$KEY_WORK/$name.samples"
  return $status
}
for round in $(seq "$KEY_ROUNDS"); do
  for build in $KEY_BUILDS; do
    name=${build%%=*}
    echo "round $round, $name" >&2
    for try in 1 2 3 4; do
      measure "$name" "${build#*=}" "$round.$try" && break
      [ $try = 4 ] && { echo "-- $name failed four times" >&2; exit 1; }
      echo "-- $name failed; the round again" >&2
    done
  done
done
'

python3 - "$work" "${builds[@]%%=*}" <<'EOF'
import bisect, glob, math, sys
work, names = sys.argv[1], sys.argv[2:]
PACE_MS = 12  # a frame tick interval longer than this: the game fell behind its 10 ms frame
def rank(values, p):  # nearest rank
    return values[min(len(values), max(1, math.ceil(p / 100 * len(values)))) - 1]
def row(label, values):
    v = sorted(values)
    if not v:
        return f"{label:36} {0:7}"
    return f"{label:36} {len(v):7} {v[0]:6.1f} {rank(v, 50):7.1f} {rank(v, 90):7.1f} {v[-1]:7.1f}"
print(f"{'key to screen (ms)':36} {'samples':>7} {'min':>6} {'median':>7} {'p90':>7} {'max':>7}")
paced = {}
for name in names:
    ticks = sorted(int(t) for path in glob.glob(f"{work}/{name}.*.ticks") for t in open(path))
    samples = [tuple(map(float, line.split())) for line in open(f"{work}/{name}.samples")]
    kept = []
    for latency, pressed in samples:
        start, end = pressed * 1000 - 10_000, (pressed + latency) * 1000
        i = max(0, bisect.bisect_right(ticks, start) - 1)
        j = min(len(ticks) - 1, bisect.bisect_left(ticks, end))
        if j > i and all(ticks[k + 1] - ticks[k] <= PACE_MS * 1000 for k in range(i, j)):
            kept.append(latency)
    print(row(f"{name}, all", [s[0] for s in samples]))
    paced[name] = kept
for name in names:
    print(row(f"{name}, frames on time", paced[name]))
print(f"\n{'frame tick intervals in the matches (ms)':42} {'ticks':>6} {'median':>7} {'p90':>7} {'p99':>7}")
for name in names:
    gaps = []
    for path in glob.glob(f"{work}/{name}.*.ticks"):
        ticks = [int(t) for t in open(path)]
        ticks = [t for t in ticks if t - ticks[0] >= 7_000_000]  # from the overview camera on
        gaps += [(b - a) / 1000 for a, b in zip(ticks, ticks[1:])]
    gaps.sort()
    if gaps:
        print(f"{name:42} {len(gaps):6} {rank(gaps, 50):7.2f} {rank(gaps, 90):7.2f} {rank(gaps, 99):7.2f}")
EOF
