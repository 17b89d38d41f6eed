#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the installed program: --version, the
# language bundles found under share/ (the Chinese start-up text in its log file), the desktop
# entry and the AppStream metainfo. A few seconds; scripts/test.sh runs it.
# Usage: scripts/check-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
prefix=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$prefix" "$home"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

version=$(sed -n 's/^project(Calyra VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
test "$("$prefix/bin/calyra" --version)" = "calyra $version"
test "$("$prefix/bin/calyra-sim" --version)" = "calyra-sim $version"
"$prefix/bin/calyra" --help | grep -q -- '--version'
for f in lib/libtamsil.so.1 include/tamsil.h share/calyra/lang/Chinese.ini share/calyra/lang/English.ini \
         share/man/man1/calyra.1.gz share/man/man1/calyra-sim.1.gz lib/udev/rules.d/70-calyra.rules \
         share/icons/hicolor/scalable/apps/org.calyra.Calyra.svg share/icons/hicolor/48x48/apps/org.calyra.Calyra.png; do
  test -e "$prefix/$f" || { echo "not installed: $f"; exit 1; }
done
test "$(readelf -d "$prefix/lib/libtamsil.so.1" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p')" = libtamsil.so.1
desktop-file-validate "$prefix/share/applications/org.calyra.Calyra.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.calyra.Calyra.metainfo.xml" >/dev/null

# Started in / (not writable), the installed program keeps its settings in the config folder,
# says so in Chinese from share/calyra/lang, and its log file has the line.
mkdir -p "$home/config/calyra"
printf '[CONFIG]\nLANGUAGE=0\n' > "$home/config/calyra/ParamCfg.ini"
(cd /proc && XDG_CONFIG_HOME=$home/config XDG_STATE_HOME=$home/state QT_QPA_PLATFORM=offscreen \
  CALYRA_PORTS_DIR=$home/ports timeout 3 "$prefix/bin/calyra" >/dev/null 2>&1) || true
grep -q '无法写入工作目录 /proc' "$home/state/calyra/calyra.log" \
  || { echo "the installed program did not use its Chinese bundle or its log file"; exit 1; }
echo "install check: passed ($prefix)"
