#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests: the normal build (with the Qt
# program and its tests), then the toolkit-free tests under ASan+UBSan and under TSan, then the
# fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=${CALYRA_JOBS:-2}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
test "$(nm -D --defined-only build/bin/libtamsil.so | awk '$2=="T"{print $3}' | sort | tr '\n' ' ')" = \
  "MakeAPISendFrameRemote ParseAPIFrame ParseAPIFrame1 ParseAPIFrame2 _GetDataType _MakeAPISendFrame " \
  || { echo "libtamsil.so exports more or less than the six documented names"; exit 1; }
scripts/check-install.sh build

# The ASan+UBSan build holds the fuzz targets too: one build of the core less.
for san in address thread; do
  fuzz=OFF; [ "$san" = address ] && fuzz=ON
  cmake -S . -B build-$san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCALYRA_GUI=OFF -DCALYRA_SANITIZE=$san \
    -DCALYRA_FUZZ=$fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build build-$san -j"$jobs"
done

scripts/fuzz.sh build-address "${CALYRA_FUZZ_SECONDS:-20}" "$jobs"

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1"
ctest --test-dir build-address --output-on-failure -j"$jobs"
ctest --test-dir build-thread --output-on-failure -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
