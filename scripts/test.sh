#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh                   build/ and its tests
#   scripts/test.sh --sanitize        the same under AddressSanitizer and UndefinedBehaviorSanitizer,
#                                     in build-asan/
#   scripts/test.sh --thread-sanitize the tests of the threaded code (CTest label "threaded")
#                                     under ThreadSanitizer, in build-tsan/
# WARNINGS_AS_ERRORS=ON makes every compiler warning an error (CMAKE_COMPILE_WARNING_AS_ERROR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
werror=(-DCMAKE_COMPILE_WARNING_AS_ERROR="${WARNINGS_AS_ERRORS:-OFF}")
labels=()
if [ "${1:-}" = "--sanitize" ]; then
  export BUILD_DIR="$root/build-asan"
  "$root/scripts/build.sh" -DIOVANTOR_SANITIZE=ON -DIOVANTOR_BENCH=OFF "${werror[@]}"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
elif [ "${1:-}" = "--thread-sanitize" ]; then
  export BUILD_DIR="$root/build-tsan"
  tsan=(-DIOVANTOR_THREAD_SANITIZE=ON -DIOVANTOR_BENCH=OFF "${werror[@]}")
  # Only the threaded tests run here, so only they (and the program one of them starts) are built.
  CONFIGURE_ONLY=1 "$root/scripts/build.sh" "${tsan[@]}"
  threaded="$(ctest --test-dir "$BUILD_DIR" -L threaded -N | sed -n 's/^ *Test *#[0-9]*: //p' | tr '\n' ' ')"
  BUILD_TARGETS="iovantor $threaded" "$root/scripts/build.sh" "${tsan[@]}"
  # TSAN_OPTIONS (with tests/tsan.supp) is set per test by tests/CMakeLists.txt.
  labels=(-L threaded)
else
  export BUILD_DIR="$root/build"
  "$root/scripts/build.sh" "${werror[@]}"
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 "${labels[@]}"
