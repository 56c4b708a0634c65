#!/usr/bin/env bash
# Builds the Debian package and prints the path of the .deb it made. Builds
# only the programs the package holds (the program and simpanpinjam-pindah):
# in its own folder (Release), or in a build folder given that is configured
# already, as it stands (CI packs the build its tests ran on instead of
# compiling everything once more).
#
#   tools/make-package.sh [BUILD_DIR]      (default: build-package)
#
# Needs the build's packages and dpkg-dev (dpkg-shlibdeps); ./setup.sh
# installs both.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-package}"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
kind=()
if [ ! -f "$build/CMakeCache.txt" ]; then
  kind=(-DCMAKE_BUILD_TYPE=Release)
fi
# Installing must not wait for the tests and benchmarks to build.
cmake -S "$root" -B "$build" "${kind[@]}" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >&2
cmake --build "$build" -j"$(nproc)" --target simpanpinjam simpanpinjam-pindah >&2

rm -rf "$build/deb"
cpack --config "$build/CPackConfig.cmake" -B "$build/deb" >&2
debs=("$build"/deb/simpanpinjam_*.deb)
[ -f "${debs[0]}" ] || { echo "make-package: cpack made no package" >&2; exit 1; }
echo "${debs[0]}"
