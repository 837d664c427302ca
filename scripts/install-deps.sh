#!/usr/bin/env bash
# Installs the Debian packages Ondrix needs to build, run and test; installs only what is missing.
# desktop-file-utils, appstream, man-db and dpkg-dev check the installation and build the Debian package.
# With "bench", also what the benchmarks compare against (ffmpeg); with "coverage", gcovr.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev
  libfftw3-dev portaudio19-dev libcdio-dev libsndfile1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  pulseaudio pulseaudio-utils libasound2-plugins sox libsox-fmt-pulse socat parallel
  xvfb xauth imagemagick ghostscript clang-format
  desktop-file-utils appstream man-db dpkg-dev
)
if [ "${1:-}" = bench ]; then
  packages+=(ffmpeg)
fi
if [ "${1:-}" = coverage ]; then
  packages+=(gcovr)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
