#!/usr/bin/env bash
# Cross-builds the game and the tool for 64-bit Windows with mingw-w64 and packs
# build-windows/tarvex-3d-windows.zip: tarvex.exe, tarvex-tool.exe, data/ and README.txt.
# The programs are linked statically and need nothing beside them but what Windows ships.
# TARVEX_WINDOWS_TESTS=ON configures the unit tests too (./test.sh builds and runs them).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows
build=build-windows
# The tool's header-only libraries come from the build system's packages; only their own folders
# are put on the search path, so that no other header of the build system is seen.
headers=$build/host-headers
mkdir -p "$headers"
ln -sfn /usr/include/CLI "$headers/CLI"
ln -sfn /usr/include/nlohmann "$headers/nlohmann"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DTARVEX_TESTS="${TARVEX_WINDOWS_TESTS:-OFF}" -DTARVEX_BENCH=OFF \
  -DCLI11_INCLUDE_DIR="$PWD/$headers" -DNLOHMANN_JSON_INCLUDE_DIR="$PWD/$headers" >/dev/null
cmake --build "$build" -j"$(nproc)" --target tarvex tarvex-tool

package=$build/package
rm -rf "$package" "$build/tarvex-3d-windows.zip"
mkdir -p "$package"
cp "$build/app/tarvex.exe" "$build/tools/tarvex-tool.exe" "$package/"
cp -r data "$package/"
sed 's/$/\r/' docs/windows-readme.txt > "$package/README.txt"
(cd "$package" && zip -qr ../tarvex-3d-windows.zip .)
echo "$build/tarvex-3d-windows.zip"
