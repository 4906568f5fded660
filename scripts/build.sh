#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as BUILD_DIR).
# Extra arguments go to CMake's configure step. BUILD_TARGETS, when set, names the targets to
# build instead of all of them; CONFIGURE_ONLY=1 stops after the configure step. Where ccache is installed, compiles go
# through it (paths taken relative to the checkout, so another clone of the tree hits the
# same cache); without it nothing changes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" "$@" >/dev/null
[ "${CONFIGURE_ONLY:-0}" = 1 ] && exit 0
targets=()
[ -n "${BUILD_TARGETS:-}" ] && read -r -a targets <<<"$BUILD_TARGETS" && targets=(--target "${targets[@]}")
cmake --build "$build" -j2 "${targets[@]}"
