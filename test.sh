#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test: unit and GL tests under Xvfb (with
# the game soak and the damaged-data matrix), the Windows build under Wine, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, the thread tests under ThreadSanitizer, the fuzz
# regressions and each fuzz target for a bounded time (installs missing Debian packages first).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc)
fuzz_seconds=${TARVEX_FUZZ_SECONDS:-30}

# Replays the tests record go to a folder of the build, never into the user's own.
export XDG_DATA_HOME="$PWD/build/test-user-data"

echo "== build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_TESTS=ON -DTARVEX_BENCH=ON \
  -DTARVEX_WERROR=ON >/dev/null
cmake --build build -j"$jobs"

echo "== tests (Xvfb, Mesa llvmpipe)"
export LIBGL_ALWAYS_SOFTWARE=1
xvfb-run -a -s "-screen 0 800x600x24" \
  ctest --test-dir build --output-on-failure -j"$jobs" -LE threads

echo "== Windows build under Wine (cross-built with mingw-w64)"
tests/windows/windows_stage.sh build/tools/tarvex-tool

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
# Any report ends the test that made it with a failure.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_TESTS=ON -DTARVEX_BENCH=OFF \
  -DTARVEX_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-fno-sanitize-recover=all -DTARVEX_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/leak-suppressions.txt:print_suppressions=0 \
xvfb-run -a -s "-screen 0 800x600x24" \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE faulty_data

echo "== thread tests under ThreadSanitizer"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_GAME=OFF -DTARVEX_BENCH=OFF \
  -DTARVEX_SANITIZE=thread -DTARVEX_WERROR=ON >/dev/null
cmake --build build-tsan -j"$jobs" --target player_tests platform_audio_tests platform_audio_loss_tests
ctest --test-dir build-tsan --output-on-failure -L threads --no-tests=ignore

echo "== fuzz targets, ${fuzz_seconds}s each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_GAME=OFF \
  -DTARVEX_TESTS=OFF -DTARVEX_BENCH=OFF -DTARVEX_FUZZ=ON -DTARVEX_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzzers
echo "== fuzz inputs that once found a fault (fuzz/regressions)"
for folder in fuzz/regressions/*/; do
  [ -d "$folder" ] || continue
  name=$(basename "$folder")
  out=$(build-fuzz/fuzz/fuzz_"$name" -rss_limit_mb=2048 -timeout=20 "$folder"* 2>&1) ||
    { echo "$out" | tail -n 40; exit 1; }
  echo "-- $name: $(echo "$out" | grep -c '^Executed') inputs replayed"
done
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
