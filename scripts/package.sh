#!/usr/bin/env bash
# Installs what is missing, builds the installed program (Release, no tests or benchmarks)
# in build-package/ (or the folder given as PACKAGE_DIR) and makes its Debian package with
# CPack. The last line of output is the package file.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PACKAGE_DIR:-$root/build-package}"
"$root/scripts/deps.sh"

# dpkg-shlibdeps (dpkg-dev) and file derive Depends; rsvg-convert renders the icons.
packages=(dpkg-dev file librsvg2-bin)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DIOVANTOR_TESTS=OFF -DIOVANTOR_BENCH=OFF -DIOVANTOR_PACKAGED=ON >/dev/null
cmake --build "$build" -j2
rm -f "$build"/iovantor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=("$build"/iovantor_*.deb)
[ -f "${deb[0]}" ] || { echo "package.sh: CPack made no package" >&2; exit 1; }
echo "${deb[0]}"
