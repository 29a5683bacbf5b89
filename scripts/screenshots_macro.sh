#!/usr/bin/env bash
# Screenshots of the macro editor with recorded rows, on the keyboard's page in English and
# in Chinese and on the mouse's page, under Xvfb with the emulator: the macro tab, a new
# macro, recording started, keys typed and a right click elsewhere on the screen (XTest,
# as the hook sees real input), then a shot while recording and one after stop.
# Usage: scripts/screenshots_macro.sh [build-dir] [output-dir]
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
"$APP" --simulate="$KINDS" & app_pid=$!
main=$(wait_window --name '^Dozadir Keyboard$')
sleep 3  # laid out for its monitor, the device's page filled
eval "$(xdotool getwindowgeometry --shell "$main")"
mx=$X; my=$Y; mw=$WIDTH
at() { xdotool mousemove $((mx + $1 * mw / 1000)) $((my + $2 * mw / 1000)) click 1; sleep 0.5; }
# Places on the window at 96 DPI (1000 pixels wide): the macro tab (where the page and the
# language put it), the new-macro button, the record button (stop takes its place).
at "$TAB_X" 167
import -window "$main" "$OUT/macro_${TAG}_tab.png"
at 29 "$ADD_Y"
at 736 "$REC_Y"
xdotool keydown ctrl key c keyup ctrl
sleep 0.2; xdotool key h; sleep 0.1; xdotool key i; sleep 0.3
xdotool mousemove $((mx + mw + 100)) 40 click 3
sleep 0.5
import -window "$main" "$OUT/macro_${TAG}_recording.png"
at 736 "$REC_Y"
sleep 0.5
import -window "$main" "$OUT/macro_${TAG}.png"
kill -TERM "$app_pid"; wait "$app_pid" || true
INNER
)
# The last run says it is a Wayland session: the editor then tells what recording sees.
for run in "en 1033 keyboard 867 581 467 x11" "cn 2052 keyboard 904 581 467 x11" \
           "mouse_en 1033 mouse 758 576 448 x11" "wayland_en 1033 keyboard 867 581 467 wayland"; do
  read -r tag id kinds tab_x add_y rec_y session <<<"$run"
  home="$scratch/home-$tag"
  mkdir -p "$home/config/Dozadir Keyboard"
  echo "{\"LANGUAGE\": $id}" >"$home/config/Dozadir Keyboard/settings.config"
  XDG_SESSION_TYPE="$session" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" APP="$app" OUT="$out" TAG="$tag" \
    KINDS="$kinds" TAB_X="$tab_x" ADD_Y="$add_y" REC_Y="$rec_y" \
    xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" dbus-run-session -- \
    bash -c "$inner"
done
echo "saved macro_{en,cn,mouse_en,wayland_en}.png with their _tab and _recording shots in $out"
