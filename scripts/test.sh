#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
# The sanitizer builds; VELTRIN_SANITIZERS=0 leaves them out of a quick local run.
if [ "${VELTRIN_SANITIZERS:-1}" != 0 ]; then
  ./scripts/sanitize.sh
fi
