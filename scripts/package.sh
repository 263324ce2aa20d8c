#!/usr/bin/env bash
# Builds the Debian package build/lexitor_<version>_<architecture>.deb; its
# dependencies are computed from the libraries the program links. Install it
# with: sudo apt install ./build/lexitor_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# dpkg-shlibdeps computes the dependencies; CPack finds the programs with file.
bash "$root/scripts/install-deps.sh" dpkg-dev file
bash "$root/scripts/build.sh" lexitor lexitor-tool icons app_icon
cd "$root/build"
cpack -G DEB
ls "$root"/build/lexitor_*.deb
