#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing need, only those missing.
# With --play only what building and playing the game needs.
set -euo pipefail
# Build tools, SDL2, OpenGL, the command-line and JSON libraries the tool builds with;
# xfonts-base gives the X server the core fonts that SDL2's message boxes draw with (without them
# no box appears).
packages=(cmake g++ make pkg-config libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
          libcli11-dev nlohmann-json3-dev xfonts-base)
if [ "${1:-}" != "--play" ]; then
  # The tests also need the fuzzing compiler, the test and benchmark libraries (with the module
  # library the music benchmark compares with), the desktop-file and packaging checkers, an X
  # server with the tools that drive and inspect it, and the image and sound tools the checks
  # compare with.
  packages+=(clang libclang-rt-14-dev libgtest-dev libbenchmark-dev libxmp-dev
             desktop-file-utils appstream dpkg-dev file
             xvfb xauth xdotool x11-utils imagemagick sox python3 python3-pil
             g++-mingw-w64-x86-64 googletest zip unzip wine)
fi
if [ "${1:-}" = "--windows" ]; then
  # Cross-building the Windows zip alone.
  packages=(cmake make g++-mingw-w64-x86-64 zip libcli11-dev nlohmann-json3-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
