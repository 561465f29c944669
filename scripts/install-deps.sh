#!/usr/bin/env bash
# Installs what building, running and testing vesta needs on Debian, from the distribution.
set -euo pipefail
sudo=""
if [ "$(id -u)" != 0 ]; then sudo="sudo"; fi
packages=(
  build-essential cmake clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n
  libgtest-dev libbenchmark-dev
  nlohmann-json3-dev libssl-dev
  fonts-liberation fonts-dejavu-core
  xvfb xdotool imagemagick x11-utils parallel poppler-utils
  locales
  libjpeg62-turbo-dev libpng-dev libtiff-dev libexif-dev pkg-config
  liblensfun-dev liblensfun-data-v1
  libopencv-imgproc-dev
  # Tests only: real photographs of facades the batch tool is measured on (building.jpg).
  opencv-doc
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
# The tests run under an Italian locale, whose decimal separator is the comma, as users' do.
if ! locale -a 2>/dev/null | grep -qiE '^it_IT\.utf-?8$'; then
  if grep -qE '^# *it_IT\.UTF-8 UTF-8' /etc/locale.gen; then
    $sudo sed -i -E 's/^# *(it_IT\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  elif ! grep -qE '^it_IT\.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'it_IT.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen
fi
