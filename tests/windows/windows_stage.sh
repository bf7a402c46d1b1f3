#!/usr/bin/env bash
# The Windows build, tested under Wine: cross-builds the zip and the unit tests that need no
# window, runs those tests, checks that tarvex-tool.exe writes the same bytes as the Linux tool
# (music, bitmaps and replays, whose game states must agree frame by frame), plays an online
# session between a Linux host and a Windows joiner,
# then unpacks the zip into an empty folder and plays the game there (tests/windows/wine_game.sh).
# Fails, saying why, when Wine cannot run.
# Usage: tests/windows/windows_stage.sh LINUX_TARVEX_TOOL   (./test.sh runs it)
set -euo pipefail
cd "$(dirname "$0")/../.."
linux_tool=$(realpath "$1")
unit_tests=(platform_headless_tests platform_win32_tests platform_datagrams_tests game_tests music_tests
            mixer_tests player_tests image_tests song_tests)

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "-- Wine prefix"
command -v wine >/dev/null || { echo "FAILED: wine is not installed, the Windows build cannot be tested"; exit 1; }
if ! timeout 300 wine wineboot -i >"$work/wineboot.log" 2>&1; then
  cat "$work/wineboot.log"
  echo "FAILED: Wine cannot prepare a prefix (wine wineboot -i), the Windows build cannot be tested"
  exit 1
fi
wineserver -w
# Stays up for the whole stage instead of restarting for every program. Wine's background
# programs keep the output they were started with open, so no Wine program writes into a pipe.
wineserver -p </dev/null >/dev/null 2>&1

echo "-- cross build"
TARVEX_WINDOWS_TESTS=ON scripts/build-windows.sh
cmake --build build-windows -j"$(nproc)" --target "${unit_tests[@]}"

echo "-- unit tests under Wine"
for name in "${unit_tests[@]}"; do
  exe=$(find build-windows/tests -name "$name.exe")
  echo "$name"
  # The sound device's test gets a device: ALSA's file plugin over the null device.
  mkdir -p "$work/home"
  printf 'pcm.!default { type file; slave.pcm "null"; file "/dev/null"; format "raw" }\n' > "$work/home/.asoundrc"
  HOME=$work/home wine "$exe" --gtest_brief=1 >"$work/$name.log" 2>&1 && status=0 || status=$?
  grep -v '^ALSA lib' "$work/$name.log" | grep -v '^Running main' || true
  if [ "$status" != 0 ]; then  # the player's timing tests may miss under a loaded machine: once more
    echo "$name failed; running it once more"
    HOME=$work/home wine "$exe" --gtest_brief=1 >"$work/$name.log" 2>&1 && status=0 || status=$?
    grep -v '^ALSA lib' "$work/$name.log" | grep -v '^Running main' || true
  fi
  [ "$status" = 0 ] || { echo "FAILED: $name under Wine (status $status)"; exit 1; }
done

echo "-- window tests under Wine on an X screen"
# Wine's desktop started without a display for the tests above, where no window can be made: the
# tests of a real window get an X screen of their own, and Wine starts again without one after them.
wineserver -k; wineserver -w
window_log=$work/window-tests.log
xvfb-run -a -s "-screen 0 800x600x24" wine "$(find build-windows/tests -name platform_win32_tests.exe)" \
  --gtest_filter='Win32Window.*' --gtest_brief=1 >"$window_log" 2>&1 && status=0 || status=$?
grep -v '^ALSA lib' "$window_log" | grep -v '^Running main' || true
[ "$status" = 0 ] || { echo "FAILED: the window tests under Wine (status $status)"; exit 1; }
! grep -q SKIPPED "$window_log" || { echo "FAILED: no window could be made under Wine"; exit 1; }
wineserver -k 2>/dev/null || true  # the test's server may have ended by itself already
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1

echo "-- tarvex-tool.exe writes what the Linux tool writes"
game=$work/game
mkdir "$game"
(cd "$game" && unzip -q "$OLDPWD/build-windows/tarvex-3d-windows.zip")
same_output() {  # output file name, then the command and its input
  local out=$1; shift
  "$linux_tool" "$@" "$work/linux-$out" >/dev/null 2>&1 && linux=0 || linux=$?
  # A Windows path: the tool takes arguments that begin with "/" for options, as Windows programs do.
  wine "$game/tarvex-tool.exe" "$@" "Z:$work/windows-$out" >/dev/null 2>&1 && windows=0 || windows=$?
  [ "$linux" = "$windows" ] || { echo "FAILED: $*: status $windows on Windows, $linux on Linux"; exit 1; }
  if [ -e "$work/linux-$out" ] || [ -e "$work/windows-$out" ]; then
    cmp -s "$work/linux-$out" "$work/windows-$out" || { echo "FAILED: $* writes other bytes on Windows"; exit 1; }
  fi
}
checked=0
for module in data/music fuzz/corpus/music/*; do
  same_output "$(basename "$module").wav" music render "$module"; checked=$((checked + 1))
done
for bitmap in data/*.bmp fuzz/corpus/bmp/* data/playfield.txt; do
  same_output "$(basename "$bitmap").ppm" bmp "$bitmap"; checked=$((checked + 1))
done
echo "$checked files give the same bytes"

echo "-- replays: the same frames on both builds"
# A 5-minute match of random controls in each variant: the two builds must record the same file
# (the same inputs and the same state hash every 100 frames), play each other's files to the same
# hashes, and give the same hash after every single frame.
for variant in regular bouncing steerable; do
  same_output "$variant.tvreplay" replay record --frames 30000 --seed 11 --variant "$variant" \
    --playfield data/playfield.txt
  "$linux_tool" replay verify "$work/windows-$variant.tvreplay" >/dev/null ||
    { echo "FAILED: the Windows build's $variant replay does not verify on Linux"; exit 1; }
  wine "$game/tarvex-tool.exe" replay verify "Z:$work/linux-$variant.tvreplay" >/dev/null 2>&1 ||
    { echo "FAILED: the Linux build's $variant replay does not verify on Windows"; exit 1; }
  "$linux_tool" replay hashes "$work/linux-$variant.tvreplay" "$work/linux-$variant-hashes.txt"
  wine "$game/tarvex-tool.exe" replay hashes "Z:$work/linux-$variant.tvreplay" \
    "Z:$work/windows-$variant-hashes.txt" >/dev/null 2>&1
  cmp -s "$work/linux-$variant-hashes.txt" "$work/windows-$variant-hashes.txt" ||
    { echo "FAILED: the $variant replay's per-frame hashes differ between the builds"; exit 1; }
done
echo "3 replays of 30000 frames give the same hash after every frame on both builds"

echo "-- online: a Linux host and a Windows joiner through a bad network"
# The relay delays, loses, duplicates and reorders; both sides print every confirmed hash, which
# must agree wherever both have one. The joiner leaves after 30 s and the host follows.
port=$((40000 + RANDOM % 20000))
"$linux_tool" netplay --host "$port" --seconds 60 --seed 3 >"$work/net-host.txt" 2>"$work/net-host.err" &
host=$!
"$linux_tool" relay --listen $((port + 1)) --to "127.0.0.1:$port" --rtt 60 --jitter 10 --loss 3 \
  --duplicate 1 --reorder 5 --seconds 70 --seed 5 &
relay=$!
wine "$game/tarvex-tool.exe" netplay --join "127.0.0.1:$((port + 1))" --seconds 30 --seed 4 \
  >"$work/net-join.txt" 2>"$work/net-join.err" && joined=0 || joined=$?
wait "$host" && hosted=0 || hosted=$?
kill "$relay" 2>/dev/null || true
cat "$work/net-host.err" "$work/net-join.err"
[ "$hosted" = 0 ] && [ "$joined" = 0 ] || { echo "FAILED: online session (host $hosted, joiner $joined)"; exit 1; }
python3 - "$work/net-host.txt" "$work/net-join.txt" <<'PY' || exit 1
import sys
def hashes(path):
    return {tuple(l.split()[1:3]): l.split()[3] for l in open(path) if l.startswith("checkpoint ")}
host, joiner = hashes(sys.argv[1]), hashes(sys.argv[2])
common = sorted(set(host) & set(joiner))
differ = [k for k in common if host[k] != joiner[k]]
print(f"{len(common)} confirmed hashes on both sides, {len(differ)} differ")
if differ or len(common) < 40:
    print("FAILED: the Linux host and the Windows joiner disagree or played too little")
    sys.exit(1)
PY
grep -q "mismatches=0" "$work/net-host.err" && grep -q "mismatches=0" "$work/net-join.err" ||
  { echo "FAILED: the sessions counted mismatches"; exit 1; }

echo "-- the game from the unpacked zip"
# Wine's desktop started without a display for the tests above; the game's display gets a new one.
wineserver -k; wineserver -w
"$linux_tool" music render data/music "$work/song.wav" >/dev/null
tests/windows/wine_game.sh "$game" "$work/song.wav" "${TARVEX_WINDOWS_SHOTS:-}"
