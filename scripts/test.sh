#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (headless).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# The install check validates the menu entry and the AppStream file; the
# layout test needs an X server, key presses through it and setxkbmap.
bash "$root/scripts/install-deps.sh" desktop-file-utils appstream xvfb xdotool x11-xkb-utils
bash "$root/scripts/check-format.sh"
LEXITOR_STRICT=1 bash "$root/scripts/build.sh"
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
