#!/usr/bin/env bash
# Builds the Debian packages with CPack (parlora: the programs, the media module, the desktop
# files and manuals; parlora-demo: the demo course, made by the generator for the package) and
# checks them with lintian, which must report no error.
# usage: tools/package.sh [BUILD_DIR]
#   BUILD_DIR defaults to build-package (configured without tests and benchmarks); an existing
#   build folder is used as it is configured. The .deb files land in BUILD_DIR/packages.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup-deps.sh"
build="$(realpath -m "${1:-$root/build-package}")"
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DPARLORA_BUILD_TESTS=OFF -DPARLORA_BUILD_BENCH=OFF
else
    cmake "$build" >/dev/null
fi
# cpack installs from the build folder without building it: first what the packages hold.
cmake --build "$build" -j "$(nproc)" --target parlora-package-inputs
start=$SECONDS
cmake --build "$build" -j "$(nproc)" --target parlora-demo-content
echo "package.sh: the demo course took $((SECONDS - start)) s"

out="$build/packages"
rm -rf "$out"
mkdir -p "$out"
start=$SECONDS
(cd "$build" && cpack -G DEB -B "$out" --config CPackConfig.cmake)
echo "package.sh: cpack took $((SECONDS - start)) s"
# CPack's working copy of the install trees is not needed once the packages are made.
rm -rf "$out/_CPack_Packages"
debs=("$out"/*.deb)
ls -l "${debs[@]}"
for deb in "${debs[@]}"; do
    echo "== $(basename "$deb")"
    dpkg-deb --field "$deb" Package Version Architecture Depends Recommends Installed-Size
done

start=$SECONDS
# Errors fail the run; warnings and the rest are shown for reading.
lintian --fail-on error --display-info --no-tag-display-limit "${debs[@]}"
echo "package.sh: lintian took $((SECONDS - start)) s: no error"
