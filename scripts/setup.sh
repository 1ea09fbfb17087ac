#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  libasound2-dev alsa-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  sox gpsbabel libxml2-utils direwolf
  xvfb xauth
  clang libclang-rt-14-dev   # the sanitizer builds and the fuzz targets (libFuzzer)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # A mirror that hiccups once should not fail the whole run.
  for attempt in 1 2 3; do
    if $SUDO apt-get update -qq && $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
      break
    fi
    [ "$attempt" -eq 3 ] && { echo "setup: could not install ${missing[*]}" >&2; exit 1; }
    sleep 10
  done
else
  echo "setup: all packages present"
fi
