#!/usr/bin/env bash
# A fuzz campaign: runs each fuzz target (all, or those named) for SECONDS with AddressSanitizer
# and UndefinedBehaviorSanitizer, on a corpus kept between runs in build-fuzz/campaign/<target>
# (seeded from fuzz/corpus/<target>). Every input that crashed, leaked, ran out of memory or
# time is copied to fuzz/regressions/<target>/, which ./test.sh replays. Prints one line per
# target: executions, executions per second, coverage (edges and features) and findings.
# Usage: scripts/fuzz-campaign.sh SECONDS [TARGET...]   e.g. scripts/fuzz-campaign.sh 1800 bmp song
# Several campaigns may run side by side on different targets once the build is done; set
# TARVEX_FUZZ_NO_BUILD=1 in all but the first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz-campaign.sh SECONDS [TARGET...]}
shift
build=build-fuzz

if [ -z "${TARVEX_FUZZ_NO_BUILD:-}" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_GAME=OFF \
    -DTARVEX_TESTS=OFF -DTARVEX_BENCH=OFF -DTARVEX_FUZZ=ON >/dev/null
  cmake --build "$build" -j"$(nproc)" --target fuzzers >/dev/null
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for binary in "$build"/fuzz/fuzz_*; do [ -x "$binary" ] && targets+=("$(basename "$binary" | sed 's/^fuzz_//')"); done
fi

failed=0
for name in "${targets[@]}"; do
  binary="$build/fuzz/fuzz_$name"
  [ -x "$binary" ] || { echo "no fuzz target $name" >&2; exit 2; }
  corpus="$build/campaign/$name"
  artifacts="$build/campaign/artifacts-$name"
  log="$build/campaign/$name.log"
  mkdir -p "$corpus" "$artifacts"
  [ -d "fuzz/corpus/$name" ] && cp -n fuzz/corpus/"$name"/. "$corpus"/ -r
  # Keep going after a finding (-fork mode would hide the exact figures): each crash ends one
  # run, its input is kept, and the next run goes on with the remaining time.
  end=$(( $(date +%s) + seconds ))
  execs=0 findings=0 cov="" ft=""
  : >"$log"
  while [ "$(date +%s)" -lt "$end" ]; do
    left=$(( end - $(date +%s) ))
    set +e
    "$binary" -max_total_time="$left" -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$corpus" >"$log.run" 2>&1
    status=$?
    set -e
    run_execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log.run" | grep -o '[0-9]*$' || true)
    # A crashed run prints no final stats; its last status line gives the count reached.
    if [ $status -ne 0 ]; then
      run_execs=$(grep -oE '^#[0-9]+' "$log.run" | tail -n1 | tr -d '#' || true)
      findings=$((findings + 1))
    fi
    execs=$((execs + ${run_execs:-0}))
    line=$(grep -E '^#[0-9]+.*cov: [0-9]+ ft: [0-9]+' "$log.run" | tail -n1 || true)
    [ -n "$line" ] && cov=$(echo "$line" | grep -oE 'cov: [0-9]+' | grep -oE '[0-9]+') &&
      ft=$(echo "$line" | grep -oE 'ft: [0-9]+' | grep -oE '[0-9]+')
    { cat "$log.run"; echo "== run ended with status $status"; } >>"$log"
    rm -f "$log.run"
    [ $status -eq 0 ] && break
  done
  kept=0
  for artifact in "$artifacts"/*; do
    [ -f "$artifact" ] || continue
    mkdir -p "fuzz/regressions/$name"
    cp "$artifact" "fuzz/regressions/$name/$(basename "$artifact")"
    kept=$((kept + 1))
  done
  [ $findings -gt 0 ] && failed=1
  echo "$name: ${execs} executions in ${seconds} s ($(( execs / (seconds > 0 ? seconds : 1) )) exec/s)," \
       "coverage ${cov:-?} edges, ${ft:-?} features, corpus $(ls "$corpus" | wc -l) inputs," \
       "findings ${findings} (${kept} inputs in fuzz/regressions/$name), log $log"
done
exit $failed
