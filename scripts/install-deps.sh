#!/usr/bin/env bash
# Installs the Debian packages that Zentra needs to build, test and benchmark.
# Idempotent: packages already present are skipped; runs as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6
  qt6-charts-dev libqt6opengl6-dev
  libsimpleini-dev libcli11-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libudev-dev libusb-1.0-0-dev
  python3
  # the Debian package and its checks (scripts/package.sh, scripts/check-package.sh)
  dpkg-dev file help2man desktop-file-utils appstream lintian
  # fuzz targets: clang with libFuzzer and the sanitizer runtimes of clang 14
  clang libclang-rt-14-dev
)
# The window's screenshots and manual checks use an X server without a screen; tests
# themselves run on Qt's offscreen platform.
if [[ "${ZENTRA_WITH_XVFB:-0}" == 1 ]]; then
  packages+=(xvfb xauth imagemagick)
fi
# The Windows build of the core and zentra-cli (scripts/windows-build.sh): MinGW-w64 and
# Wine to run it; GoogleTest is built for it from the sources of the googletest package.
if [[ "${ZENTRA_WITH_WINDOWS:-0}" == 1 ]]; then
  packages+=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 googletest)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "install-deps: everything is present"
  exit 0
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then sudo_cmd=(sudo); else
    echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1
  fi
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
