#!/usr/bin/env bash
# Sets up and starts the application, with emulated devices when no real ones are present.
# Extra arguments go to the application.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build=${BUILD_DIR:-build}
app=("$build/src/app/dozadir-keyboard")
status=0
"$build/tools/dozadirctl/dozadirctl" list >/dev/null 2>&1 || status=$?
if [ "$status" -eq 3 ]; then  # 3: no supported device present
  echo "No supported device found; starting with the emulated devices." >&2
  app+=(--simulate)
elif [ "$status" -eq 4 ]; then
  "$build/tools/dozadirctl/dozadirctl" list >/dev/null || true  # names the udev rule
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting under Xvfb (scripts/screenshots.sh shows the window)." >&2
  exec xvfb-run -a "${app[@]}" "$@"
fi
exec "${app[@]}" "$@"
