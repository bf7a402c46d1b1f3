#!/usr/bin/env bash
# Builds everything and runs every test: unit and GL tests under Xvfb, the Windows build under
# Wine, the thread tests under ThreadSanitizer, and each fuzz target for a bounded time (installs
# missing Debian packages first).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc)
fuzz_seconds=${TARVEX_FUZZ_SECONDS:-30}

echo "== build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_TESTS=ON -DTARVEX_BENCH=ON >/dev/null
cmake --build build -j"$jobs"

echo "== tests (Xvfb, Mesa llvmpipe)"
export LIBGL_ALWAYS_SOFTWARE=1
xvfb-run -a -s "-screen 0 800x600x24" \
  ctest --test-dir build --output-on-failure -j"$jobs" -LE threads

echo "== Windows build under Wine (cross-built with mingw-w64)"
tests/windows/windows_stage.sh build/tools/tarvex-tool

echo "== thread tests under ThreadSanitizer"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_GAME=OFF -DTARVEX_BENCH=OFF \
  -DTARVEX_SANITIZE=thread >/dev/null
cmake --build build-tsan -j"$jobs" --target player_tests platform_audio_tests
ctest --test-dir build-tsan --output-on-failure -L threads --no-tests=ignore

echo "== fuzz targets, ${fuzz_seconds}s each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_GAME=OFF \
  -DTARVEX_TESTS=OFF -DTARVEX_BENCH=OFF -DTARVEX_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzzers
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  echo "-- $name"
  "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done
echo "== all tests done"
