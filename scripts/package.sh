#!/usr/bin/env bash
# Builds the Debian package zentra_<version>_<arch>.deb and copies it into the project
# folder; install it with `sudo apt install ./zentra_*.deb`.
#   bash scripts/package.sh [BUILD_DIR]
# Without BUILD_DIR it builds in build-package/ without tests and benchmarks; with one
# (scripts/test.sh passes its build/) it packages what that build made.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

dir=${1:-build-package}
jobs=$(nproc 2>/dev/null || echo 2)
extra=()
if [[ $# -eq 0 ]]; then extra=(-DZENTRA_BUILD_TESTS=OFF -DZENTRA_BUILD_BENCH=OFF); fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
cmake --build "$dir" -j "$jobs"
rm -f "$dir"/zentra_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
debs=("$dir"/zentra_*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
  echo "package: expected one zentra_*.deb in $dir, found: ${debs[*]}" >&2
  exit 1
fi
rm -f zentra_*.deb
cp "${debs[0]}" .
echo "package: $(basename "${debs[0]}")"
