#!/usr/bin/env bash
# Builds TARVEX 3D and starts it (installs missing Debian packages first).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --play
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_TESTS=OFF -DTARVEX_BENCH=OFF >/dev/null
cmake --build build --target tarvex tarvex-tool -j"$(nproc)"
exec build/app/tarvex
