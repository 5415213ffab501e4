#!/usr/bin/env bash
# Installs what is missing, builds Zentra and starts the configurator window on the
# built-in simulated transmitter (a ZQL22X behind a simulated DGLnano serial interface),
# already connected. Extra arguments go to the program, e.g. --simulate zrv510:ZQL21@123/U
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target zentra zentra-cli zentra-sim
if [[ $# -eq 0 ]]; then set -- --simulate nano:ZQL22X@129 --connect; fi
exec build/bin/zentra "$@"
