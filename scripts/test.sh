#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh              build/ and its tests
#   scripts/test.sh --sanitize   the same under AddressSanitizer and UndefinedBehaviorSanitizer,
#                                in build-asan/
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
if [ "${1:-}" = "--sanitize" ]; then
  export BUILD_DIR="$root/build-asan"
  "$root/scripts/build.sh" -DIOVANTOR_SANITIZE=ON -DIOVANTOR_BENCH=OFF
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
  export BUILD_DIR="$root/build"
  "$root/scripts/build.sh"
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
