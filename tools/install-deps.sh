#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Zorvane need.
# Idempotent: it asks apt only for packages that are missing, and updates the
# package lists at most once per run. Needs root (or sudo) when anything is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # a throw-away TLS server for the certificate test
  openssl
  # fuzzing and sanitizer runtimes for clang
  clang libclang-rt-14-dev
  # http client
  libcurl4-openssl-dev libssl-dev
  # real screen
  qt6-base-dev
  # end-to-end tests under a virtual screen, with a notification area
  xvfb xauth trayer x11-utils xdotool wmctrl imagemagick
  # a window manager, so that windows get frames and can be minimised there
  openbox
  # a font with CJK glyphs
  fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
