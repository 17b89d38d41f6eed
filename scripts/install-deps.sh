#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent: does nothing when all are present.
# fonts-wqy-microhei: a font with the Chinese characters of the Chinese language bundle.
# xvfb, xauth: the screenshots. dpkg-dev, file: the Debian package (dpkg-shlibdeps computes its
# dependencies). desktop-file-utils, appstream: the checks of the desktop entry and the metainfo.
# libsqlite3-dev: the station records of calyra-cli provision.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev qt6-base-dev libgl-dev libudev-dev
      xvfb xauth fonts-wqy-microhei dpkg-dev file desktop-file-utils appstream libsqlite3-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
