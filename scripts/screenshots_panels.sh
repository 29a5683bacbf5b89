#!/usr/bin/env bash
# Screenshots of the colour dialog (opened from a DPI stage's swatch, one collected colour
# kept) and of the shooting-pattern panel with its picture (a bullet selected), in English at
# DPI 96 (a 1366 x 768 screen) and 144 (1920 x 1080) and in Chinese at 96, under Xvfb with the
# emulator's mouse.
# Usage: scripts/screenshots_panels.sh [build-dir] [output-dir]
set -euo pipefail
build=${1:-build}
out=${2:-$build/screenshots}
app="$build/src/app/dozadir-keyboard"
[ -x "$app" ] || { echo "missing $app: ninja -C $build dozadir-keyboard" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
app=$(cd "$(dirname "$app")" && pwd)/$(basename "$app")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

inner=$(cat <<'INNER'
set -euo pipefail
wait_window() {  # search arguments -> id of the first visible match
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window for: $*" >&2; return 1
}
"$APP" --simulate=mouse & app_pid=$!
main=$(wait_window --name '^Dozadir Keyboard$')
sleep 2  # laid out for its monitor, the page filled
eval "$(xdotool getwindowgeometry --shell "$main")"
mx=$X; my=$Y; mw=$WIDTH
s() { echo $(( $1 * mw / 1000 )); }  # 96-DPI pixels of the main window to its own
click() { xdotool mousemove $((mx + $(s "$1"))) $((my + $(s "$2"))) click 1; sleep 0.5; }
# The Pointer tab (where the tabs are depends on the language's words), then stage 1's
# colour swatch.
click "$POINTER_TAB_X" 168
click 973 439
dialog=$(wait_window --name '^  $')
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dialog")"
dx=$X; dy=$Y
dclick() { xdotool mousemove $((dx + $(s "$1"))) $((dy + $(s "$2"))) click 1; sleep 0.3; }
dclick 388 466   # the first collected swatch
dclick 64 499    # then preset 12: the swatch keeps it
import -window "$dialog" "$OUT/colour_dialog_$TAG.png"
dclick 735 543   # OK
import -window "$main" "$OUT/mouse_dpi_colour_$TAG.png"
# The Macros tab, bullet 5 of gun 1.
click "$MACRO_TAB_X" 168
click 463 469
import -window "$main" "$OUT/shoot_panel_$TAG.png"
kill -TERM "$app_pid"; wait "$app_pid" || true
INNER
)
for run in "1366x768 96 C.UTF-8 793 945" "1920x1080 144 C.UTF-8 793 945" \
           "1366x768 96_cn zh_CN.UTF-8 848 955"; do
  read -r screen tag locale macro_x pointer_x <<<"$run"
  rm -rf "$scratch/config" "$scratch/data"
  XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" LC_ALL="$locale" LANG="$locale" \
    APP="$app" OUT="$out" TAG="$tag" MACRO_TAB_X="$macro_x" POINTER_TAB_X="$pointer_x" \
    xvfb-run -a -s "-screen 0 ${screen}x24 -noreset" dbus-run-session -- bash -c "$inner"
done
echo "saved colour_dialog_*, mouse_dpi_colour_* and shoot_panel_* (96, 144, 96_cn) in $out"
