#!/usr/bin/env bash
# Sets up, builds and runs every test; then the Qt-free tests under the sanitizers, and the
# device objects with their Qt layers under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j2
if [ "${DOZADIR_SANITIZERS:-1}" = "1" ]; then
  BUILD_DIR=build-asan scripts/build.sh -DDOZADIR_SANITIZE=address -DDOZADIR_BENCH=OFF -DDOZADIR_WITH_QT=OFF
  ctest --test-dir build-asan --output-on-failure -j2
  # The thread build keeps the Qt layers up to the device objects, whose threads meet the
  # UI thread there; the window and bus layers stay out. libumockdev and glib are not
  # instrumented: the umockdev test stays out of TSan.
  BUILD_DIR=build-tsan scripts/build.sh -DDOZADIR_SANITIZE=thread -DDOZADIR_BENCH=OFF \
    -DDOZADIR_WITH_QT=ON -DDOZADIR_WITH_APP=OFF
  ctest --test-dir build-tsan --output-on-failure -j2 -E umockdev
fi
