#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent: does nothing when all are present.
# fonts-wqy-microhei: a font with the Chinese characters of the Chinese language bundle.
# libsqlite3-dev: the station records of calyra-cli provision.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev qt6-base-dev libgl-dev libudev-dev
      xvfb xauth python3 fonts-wqy-microhei libsqlite3-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
