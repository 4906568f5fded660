#!/usr/bin/env bash
# Installs the Debian 12 packages the console needs to build, test and run, if missing.
# With package names as arguments it installs those instead, if missing.
set -euo pipefail

default_packages=(
  build-essential cmake
  qt6-base-dev qt6-serialport-dev libqt6serialport6 libgl-dev
  xvfb xauth imagemagick x11-utils
  fonts-dejavu-core
)
if [ $# -gt 0 ]; then packages=("$@"); else packages=("${default_packages[@]}"); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
