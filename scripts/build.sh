#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
launcher=()
# ccache keeps the three builds (plain, ASan, TSan) cheap when little changed; the base
# folder lets clones in other places share the cache.
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}" CCACHE_NOHASHDIR=1
fi
cmake -S . -B "$build_dir" -G Ninja -DDOZADIR_WERROR="$werror" "${launcher[@]}" "$@" >/dev/null
cmake --build "$build_dir"
