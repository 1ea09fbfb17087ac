#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for a fixed
# time on corpora seeded from the project's test files.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     default 25 s, every target
# Corpora grow in BUILD/corpus/<target> and are kept between runs; a finding
# is written as BUILD/findings/<target>/crash-* and fails the run.
# BUILD is build-fuzz unless VELTRIN_FUZZ_BUILD names another folder (it may
# be a -DVELTRIN_FUZZ=ON build that also holds the tests).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-25}"
shift || true
build="${VELTRIN_FUZZ_BUILD:-build-fuzz}"
build="$(mkdir -p "$build" && cd "$build" && pwd)"  # absolute: a target may change its folder

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRIN_FUZZ=ON \
    -DBUILD_TESTING=OFF -DVELTRIN_GUI=OFF -DVELTRIN_BENCH=OFF >/dev/null
fi
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for f in fuzz/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
cmake --build "$build" -j2 --target "${targets[@]}"

data="$PWD/tests/data"
corpus="$build/corpus"
mkdir -p "$corpus"

# Seeds: the recordings (short WAV files whole, long ones cut), their audio
# as raw 12000 Hz samples, and small hand-made inputs for each parser.
seed() {  # seed TARGET NAME < bytes
  mkdir -p "$corpus/$1"
  cat >"$corpus/$1/seed-$2"
}
if [ ! -d "$corpus/fuzz_wav" ]; then
  for w in "$data"/*.wav; do
    head -c 6000 "$w" | seed fuzz_wav "$(basename "$w")"
  done
  printf 'RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\xe0\x2e\x00\x00\xc0\x5d\x00\x00\x02\x00\x10\x00data\x00\x00\x00\x00' |
    seed fuzz_wav empty-data
fi
if [ ! -d "$corpus/fuzz_decoders" ] && command -v sox >/dev/null; then
  for w in "$data"/known_gps_s32.wav "$data"/known_beacon_s32_noisy.wav "$data"/known_text_s16.wav; do
    # first byte: centre (1700 Hz = 500 + 10 x 120)
    { printf '\x78'; sox "$w" -t raw -e signed -b 16 -c 1 -r 12000 - trim 0 6.5 2>/dev/null; } |
      seed fuzz_decoders "$(basename "$w" .wav).raw"
  done
fi
if [ ! -d "$corpus/fuzz_nmea" ]; then
  printf '$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n' |
    seed fuzz_nmea rmc-gga
  printf '$GPRMC,235959,V,,,,,,,311299,,*2D\r\n$GPGGA,235959,,,,,0,00,99.9,,M,,M,,*6A\r\n' | seed fuzz_nmea no-fix
fi
if [ ! -d "$corpus/fuzz_ini" ]; then
  printf '[Main]\r\nSamplingFreq=48000.5\r\n[General]\r\nCallsign="N0CALL"\r\nZoom=2\r\n[Veltrin]\r\nAprsServer=127.0.0.1\r\n[TracCar]\r\nServer1=host:5055\r\n' |
    seed fuzz_ini settings
  printf '[RxForm]\r\nDeleteFileMessage=Remove %%s now?\r\nGpsIsOffMessage=GPS off\r\nDeleteFolderFilesMessage=%%d %%s %%n\r\n' |
    seed fuzz_ini texts
fi
if [ ! -d "$corpus/fuzz_http" ]; then
  printf 'HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n' | seed fuzz_http ok
  printf 'HTTP/1.1 403 Forbidden\r\nServer: x\r\n\r\nbody' | seed fuzz_http forbidden
  printf 'HTTP/1.0 99999999999999999999\r\n' | seed fuzz_http runaway
fi
if [ ! -d "$corpus/fuzz_station_names" ]; then
  printf '\x40#;OBJECT1;text' | seed fuzz_station_names object
  printf '\x40#:DL1ABC-12:text' | seed fuzz_station_names call
  printf '\x20\xcf\xf0\xe8\xe2\xe5\xf2 \xa8\xb8|~' | seed fuzz_station_names cyrillic
fi
if [ ! -d "$corpus/fuzz_blocks" ]; then
  # decoder 3 (speed 32); a header (type 5, length 12), a data and a last block
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x03\x00\x05\x00\x01\x00\x02\x00\x07\x0c\x00\x00\x00\x00\x01Hello world!\x02............\xfc\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c' |
    seed fuzz_blocks text
fi
if [ ! -d "$corpus/fuzz_dispatcher" ]; then
  # control byte, then a header (type, flags, recipient, sender, number, length, CRCs) and a body
  printf '\x27\x05\x00\x01\x00\x02\x00\x07\x0bHello <&> \xcf' | seed fuzz_dispatcher text
  printf '\x27\x06\x04\x01\x00\x02\x00\x07\x1a\x00\x00\x00\x00\xf0\x5f\x2b\x62\x00\x00\x00\x20\x00\x00\x00\x08\x10\x00\x20\x00\x64\x00\x0a\x00\x00\x00\x00\x00Tom & <Jerry>' |
    seed fuzz_dispatcher gps
  printf '\x27\x06\x00\x01\x00\x02\x00\x07\x05beacon' | seed fuzz_dispatcher beacon
fi

status=0
for t in "${targets[@]}"; do
  mkdir -p "$corpus/$t" "$build/findings/$t"
  maxlen=4096
  [ "$t" = fuzz_decoders ] && maxlen=200000
  start=$(date +%s)
  if ! TMPDIR="$build/findings/$t" "$build/bin/$t" -max_total_time="$seconds" -max_len="$maxlen" \
      -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/$t/" \
      "$corpus/$t" >"$build/findings/$t/log.txt" 2>&1; then
    echo "fuzz: $t FAILED, see $build/findings/$t/log.txt" >&2
    tail -40 "$build/findings/$t/log.txt" >&2
    status=1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/findings/$t/log.txt" | grep -o '[0-9]*$' || echo '?')
  cov=$(grep -o 'cov: [0-9]*' "$build/findings/$t/log.txt" | tail -1 || true)
  echo "fuzz: $t $(( $(date +%s) - start )) s, $runs inputs, $cov"
  rm -rf "$build/findings/$t"/veltrin-fuzz-*
done
exit $status
