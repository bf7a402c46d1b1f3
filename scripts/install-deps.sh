#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing need, only those missing.
set -euo pipefail
packages=(cmake g++ make pkg-config clang libclang-rt-14-dev
          libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
          libcli11-dev nlohmann-json3-dev
          libgtest-dev libbenchmark-dev desktop-file-utils appstream dpkg-dev file
          xvfb xauth xdotool imagemagick sox python3 python3-pil x11-utils
          g++-mingw-w64-x86-64 googletest zip wine)
if [ "${1:-}" = "--play" ]; then
  packages=(cmake g++ make pkg-config libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
            libcli11-dev nlohmann-json3-dev)
elif [ "${1:-}" = "--windows" ]; then
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
