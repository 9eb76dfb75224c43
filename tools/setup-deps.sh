#!/usr/bin/env bash
# Installs what building, running and testing the course need on Debian 12.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libcairo2-dev libpango1.0-dev libpng-dev libjpeg62-turbo-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libpulse-dev libasound2-dev
  fonts-liberation2 fonts-dejavu-core fonts-noto-color-emoji
  libgtest-dev libgmock-dev libbenchmark-dev
  espeak-ng sox ffmpeg xvfb xdotool pulseaudio imagemagick x11-utils x11-apps
  # independent PICT writers for the decoder's tests
  netpbm
  # the sanitizer build and the fuzz targets (libFuzzer, llvm-symbolizer)
  clang libclang-rt-14-dev llvm
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
