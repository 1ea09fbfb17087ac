#!/usr/bin/env bash
# The sanitizer part of the test run: the threaded tests (GPS thread and its
# port lock, capture thread and FIFO, live audio sources, network thread and
# rings, stop handshakes and shutdown, the keying port) under ThreadSanitizer,
# and the test suite without the window under AddressSanitizer and
# UndefinedBehaviorSanitizer. Any report fails the run. Decoding-heavy tests
# are left out under ThreadSanitizer, where they run a hundred times slower.
set -euo pipefail
cd "$(dirname "$0")/.."
export TZ=UTC
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
export ASAN_OPTIONS="detect_leaks=1 abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1"

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRIN_GUI=OFF -DVELTRIN_BENCH=OFF \
  -DVELTRIN_SANITIZE=thread
cmake --build build-tsan -j2 --target test_gps test_capture test_gateway test_app test_keying test_audio
build-tsan/bin/test_gps
build-tsan/bin/test_gateway
build-tsan/bin/test_app
build-tsan/bin/test_keying
build-tsan/bin/test_capture --gtest_filter='-SoundCardStation.*'
build-tsan/bin/test_audio \
  --gtest_filter='UdpAudioSource.*:StreamAudioSource.*:LiveAudioSource.*:BufBufFifo.*:WavAudioSource.*'

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRIN_GUI=OFF -DVELTRIN_BENCH=OFF \
  -DVELTRIN_SANITIZE=address,undefined
cmake --build build-asan -j2
# The headless tests need the window's executable, which this build leaves out.
ctest --test-dir build-asan --output-on-failure -j2 -E '^Headless'
