#!/usr/bin/env bash
# Installs what is missing, builds the installed program (Release, no tests or benchmarks)
# in build-package/ (or the folder given as PACKAGE_DIR) and makes its Debian package with
# CPack. The last line of output is the package file.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PACKAGE_DIR:-$root/build-package}"
"$root/scripts/deps.sh"

# dpkg-shlibdeps (dpkg-dev) and file derive Depends; rsvg-convert renders the icons.
"$root/scripts/deps.sh" dpkg-dev file librsvg2-bin

BUILD_DIR="$build" BUILD_TYPE=Release "$root/scripts/build.sh" \
  -DIOVANTOR_TESTS=OFF -DIOVANTOR_BENCH=OFF -DIOVANTOR_PACKAGED=ON
rm -f "$build"/iovantor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=("$build"/iovantor_*.deb)
[ -f "${deb[0]}" ] || { echo "package.sh: CPack made no package" >&2; exit 1; }
echo "${deb[0]}"
