#!/usr/bin/env bash
# Sets up and starts the main job, with emulated devices when no real ones are present.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctl=${BUILD_DIR:-build}/tools/dozadirctl/dozadirctl
status=0
"$ctl" list "$@" || status=$?
if [ "$status" -eq 3 ]; then  # 3: no supported device present
  echo "No supported device found; using the emulated devices." >&2
  exec "$ctl" --simulate list "$@"
fi
exit "$status"
