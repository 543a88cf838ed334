#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing the program needs.
# Idempotent: packages already present are left alone. Must run as root or with sudo available.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-webengine-dev
  qt6-l10n-tools libqt6svg6 qt6-image-formats-plugins
  libgl-dev
  libcurl4-openssl-dev
  libboost-dev libboost-regex-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils xdg-utils imagemagick
  fonts-noto-cjk
  clang-14 libclang-rt-14-dev
  time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
