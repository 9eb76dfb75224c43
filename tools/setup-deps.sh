#!/usr/bin/env bash
# Installs what building, running and testing the course need on Debian 12.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libcairo2-dev libpango1.0-dev libpng-dev libjpeg62-turbo-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libpulse-dev libasound2-dev
  # the help-language download program: fetching, checksums, unpacking .tar.zst and .zip
  libcurl4-openssl-dev libssl-dev libarchive-dev libzstd-dev zstd
  # the phrase export: MP3 encoder and ID3 tags
  libmp3lame-dev libtag1-dev
  fonts-liberation2 fonts-dejavu-core fonts-noto-color-emoji
  libgtest-dev libgmock-dev libbenchmark-dev
  espeak-ng sox ffmpeg xvfb xdotool pulseaudio imagemagick x11-utils x11-apps
  # printing: libcups, a local cupsd with a PDF-writing queue for the tests, pdftoppm/pdfinfo
  libcups2-dev cups cups-daemon cups-client printer-driver-cups-pdf poppler-utils xdg-user-dirs
  # independent PICT writers for the decoder's tests
  netpbm
  # the sanitizer build and the fuzz targets (libFuzzer, llvm-symbolizer)
  clang libclang-rt-14-dev llvm
  # the content chaos run learns which files each screen opens
  strace
  # classroom mode: gRPC and protobuf, the manager's SQLite and PostgreSQL stores, and a PostgreSQL
  # server for the tests that start their own
  libgrpc++-dev protobuf-compiler-grpc libprotobuf-dev protobuf-compiler libsqlite3-dev libpq-dev postgresql
  # the TLS test makes its own certificate authorities
  openssl
  # the teacher's web page (cpp-httplib) and its tests in a real browser (headless Chromium over WebDriver)
  libcpp-httplib-dev chromium chromium-driver python3-selenium
  # the program's own texts in the desktop's language: msgfmt compiles the catalogues of po/
  gettext
  # installing and packaging: desktop and AppStream checkers, manual pages, lintian, a clean root
  desktop-file-utils appstream-util man-db lintian debootstrap
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
