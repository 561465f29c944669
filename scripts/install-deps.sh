#!/usr/bin/env bash
# Installs what building, running and testing vesta needs on Debian, from the distribution.
set -euo pipefail
sudo=""
if [ "$(id -u)" != 0 ]; then sudo="sudo"; fi
packages=(
  build-essential cmake clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libbenchmark-dev
  fonts-liberation fonts-dejavu-core
  xvfb xdotool imagemagick x11-utils
  libjpeg62-turbo-dev libpng-dev libtiff-dev libexif-dev pkg-config
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
