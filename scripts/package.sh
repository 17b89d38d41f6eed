#!/usr/bin/env bash
# Builds the Debian package with CPack from a build tree (default build/; dependencies from
# dpkg-shlibdeps, files stripped) and prints its control data and file list. With --try-install
# it also installs the package with apt-get, starts the installed program (--version and an
# offscreen start) and purges the package again.
# Usage: scripts/package.sh [--try-install] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
try=""; [ "${1:-}" = "--try-install" ] && { try=1; shift; }
build=${1:-build}
scripts/install-deps.sh
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"${CALYRA_JOBS:-2}" --target calyra calyra-sim tamsil
rm -f "$build"/calyra_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/calyra_*.deb)
echo "$deb"
dpkg-deb -f "$deb" Package Version Architecture Depends
dpkg-deb -c "$deb"
if [ -n "$try" ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$(realpath "$deb")" >/dev/null
  trap 'DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -qq calyra >/dev/null' EXIT
  /usr/bin/calyra --version
  /usr/bin/calyra-sim --version
  work=$(mktemp -d)
  (cd "$work" && XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/calyra) || test $? = 124
  echo "offscreen start of /usr/bin/calyra: ran until stopped after 3 s; its log file:"
  ls -l "$work/state/calyra"
  rm -rf "$work"
fi
