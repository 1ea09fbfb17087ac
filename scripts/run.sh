#!/usr/bin/env bash
# Sets up the machine, builds Veltrin and starts the receiver window.
# Extra arguments go to the program (for example /S48012.5).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target veltrin veltrin-decode veltrin-gen
exec ./build/bin/veltrin "$@"
