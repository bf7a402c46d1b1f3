#!/usr/bin/env bash
# Makes the Debian package from the build and checks it: the programs, data and desktop files are
# inside under /usr, Depends names the libraries the game needs, and apt can install it with
# those dependencies (apt-get --simulate: nothing on this machine changes).
# Usage: debian_package.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
package=$(ls "$out"/tarvex_*.deb)
contents=$(dpkg-deb -c "$package")
for file in ./usr/bin/tarvex ./usr/bin/tarvex-tool ./usr/share/tarvex/music \
            ./usr/share/applications/org.example.tarvex.desktop \
            ./usr/share/metainfo/org.example.tarvex.metainfo.xml; do
  grep -q " $file\$" <<<"$contents" || { echo "not in the package: $file"; exit 1; }
done
depends=$(dpkg-deb -f "$package" Depends)
for library in libsdl2-2.0-0 libgl1 libglu1-mesa libc6; do
  grep -q "$library" <<<"$depends" || { echo "Depends lacks $library: $depends"; exit 1; }
done
apt-get install --simulate -qq "$package" >/dev/null
echo "$(basename "$package"): Depends: $depends"
