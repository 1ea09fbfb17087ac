#!/usr/bin/env bash
# Sets up the machine, builds Veltrin and starts the receiver. With a display
# it opens the window; without one it runs the headless station on the sample
# recording, as fast as the machine allows, in a fresh working directory.
# Extra arguments go to the program (for example /S48012.5).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target veltrin veltrin-decode veltrin-gen sample_recording
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/bin/veltrin "$@"
fi
workdir="$(mktemp -d "${TMPDIR:-/tmp}/veltrin-station.XXXXXX")"
echo "run: no display: the headless station decodes the sample recording in $workdir"
status=0
./build/bin/veltrin --headless --workdir "$workdir" --audio "wav:build/share/veltrin-sample.wav" --fast "$@" \
  2>"$workdir/station.log" || status=$?
echo
echo "run: the messages are stored in $workdir/VeltrinData:"
(cd "$workdir" && find VeltrinData -type f | sort | sed 's/^/  /')
echo "run: the station's panel and message lines are in $workdir/station.log"
exit "$status"
