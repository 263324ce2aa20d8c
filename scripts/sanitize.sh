#!/usr/bin/env bash
# Builds the tests with a sanitizer, in a build folder of its own, and runs them.
#   scripts/sanitize.sh address [pattern]  AddressSanitizer and UBSan, in build-asan;
#                                          every test unless a pattern is given
#   scripts/sanitize.sh thread [pattern]   ThreadSanitizer, in build-tsan; by default
#                                          the tests that read and save files on two
#                                          threads, test_dictionary_files and the
#                                          table sorted in parts
# `pattern` is a ctest -R regular expression. Only the programs the chosen
# tests run are built. clang when installed, else g++.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

case "${1:-}" in
address)
  dir=build-asan
  flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
  default=""
  ;;
thread)
  dir=build-tsan
  flags="-fsanitize=thread"
  # test_dictionary_file_threads: the large save, the read in pieces and
  # the save of a shared list, alone (registered for sanitizer builds only).
  # test_card_table: keys made and sorted in parts, with and without a cache.
  default='^(test_dictionary_file_threads|test_dictionary_files|test_card_table)$'
  ;;
*)
  echo "usage: $0 address|thread [ctest -R pattern]" >&2
  exit 2
  ;;
esac
pattern="${2-$default}"

cxx=g++
if command -v clang++ >/dev/null; then
  cxx=clang++
fi
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_CXX_FLAGS="$flags -O1 -g -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags" -DLEXITOR_SANITIZER_TESTS=ON "${launcher[@]}" >/dev/null

ctest_args=(--test-dir "$dir" --output-on-failure)
if [ -n "$pattern" ]; then
  ctest_args+=(-R "$pattern")
  # Each test is named after the target that builds what it runs; a test
  # of anything else (the install check) needs the whole build.
  mapfile -t tests < <(ctest --test-dir "$dir" -N -R "$pattern" | sed -n 's/^ *Test *#[0-9]*: //p')
  if [ "${#tests[@]}" -eq 0 ]; then
    echo "sanitize: no test matches $pattern" >&2
    exit 2
  fi
  known="$(cmake --build "$dir" --target help | sed -n 's/^\.\.\. \([^ ]*\).*/\1/p')"
  targets=()
  for t in "${tests[@]}"; do
    if grep -qx -- "$t" <<<"$known"; then
      targets+=("$t")
    else
      targets=(all)
      break
    fi
  done
  nice -n 5 cmake --build "$dir" -j2 --target "${targets[@]}"
else
  nice -n 5 cmake --build "$dir" -j2
fi

# Every report fails its test; the suppressions name Qt's own code only.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_stack_use_after_return=1:strict_init_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/tsan.supp}"
export QT_QPA_PLATFORM=offscreen
ctest "${ctest_args[@]}" -j2
