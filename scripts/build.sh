#!/usr/bin/env bash
# Configures and builds in ./build. With target names, builds only those
# (the run command builds the program and its pictures); without, everything.
# LEXITOR_STRICT=1 makes every compiler warning an error (CI).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
strict=OFF
[ "${LEXITOR_STRICT:-0}" = 1 ] && strict=ON
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_COMPILE_WARNING_AS_ERROR="$strict" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$root/build" -j"$(nproc)" --target "$@"
else
  cmake --build "$root/build" -j"$(nproc)"
fi
