#!/usr/bin/env bash
# Screenshots of the settings window in English and in Chinese (its check answered by the
# test update server, tests/update/update_server.py), of the skin window under the caption's
# skin button, and of the main window with a chosen background and its caption icons, under
# Xvfb with the emulator's keyboard, mouse and mousepad.
# Usage: scripts/screenshots_settings.sh [build-dir] [output-dir]
set -euo pipefail
build=${1:-build}
out=${2:-$build/screenshots}
app="$build/src/app/dozadir-keyboard"
[ -x "$app" ] || { echo "missing $app: ninja -C $build dozadir-keyboard" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
app=$(cd "$(dirname "$app")" && pwd)/$(basename "$app")
here=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
server_pid=
trap '[ -n "$server_pid" ] && kill "$server_pid"; rm -rf "$scratch"' EXIT

# The server offers a newer mouse firmware; the keyboard's and the program's are current.
cat >"$scratch/script.json" <<'JSON'
{"routes": {"/api/updates": {"by_key": {
  "RODAV_1_ZA20R01O_MS_1": {"body": "{\"name\":\"ZA20R01O mouse firmware\",\"version\":\"210\",\"version_name\":\"2.10\",\"path\":\"/files/mouse_fw_210.bin\"}"},
  "RODAV_1_DA20Z02E_KB_1": {"body": "{\"name\":\"DA20Z02E keyboard firmware\",\"version\":\"105\",\"version_name\":\"1.05\"}"},
  "RODAV_2_DA20Z02E_AP_1": {"body": "{\"name\":\"DA20Z02E receiver firmware\",\"version\":\"103\"}"},
  "RODAV_0_ALL_AP_1": {"body": "{\"name\":\"Dozadir Keyboard\",\"version\":\"100\",\"version_name\":\"1.0.0\"}"}}}}}
JSON
python3 "$here/tests/update/update_server.py" "$scratch/script.json" "$scratch/requests.log" \
  >"$scratch/port" &
server_pid=$!
for _ in $(seq 50); do [ -s "$scratch/port" ] && break; sleep 0.1; done
server="http://127.0.0.1:$(head -1 "$scratch/port")/api/"

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
"$APP" --simulate=keyboard,mouse,mousepad & app_pid=$!
main=$(wait_window --name '^Dozadir Keyboard$')
sleep 2  # laid out for its monitor, the devices' pages filled
eval "$(xdotool getwindowgeometry --shell "$main")"
mx=$X; my=$Y; mw=$WIDTH
scale() { echo $(( $1 * mw / 1000 )); }  # 96-DPI pixels to the window's
# The caption's buttons from its right end: setbtn 122 pixels in, skinbtn 156, 18 down.
xdotool mousemove $((mx + mw - $(scale 122))) $((my + $(scale 18))) click 1
settings=$(wait_window --name '^  $')
sleep 2  # the check is answered
import -window "$settings" "$OUT/settings_$LANG_TAG.png"
eval "$(xdotool getwindowgeometry --shell "$settings")"
xdotool mousemove $((X + WIDTH - $(scale 40))) $((Y + HEIGHT - $(scale 30))) click 1  # "Later"
sleep 1
if [ "$LANG_TAG" = en ]; then
  import -window "$main" "$OUT/main_window_caption_icons.png"
  xdotool mousemove $((mx + mw - $(scale 156))) $((my + $(scale 18))) click 1
  frame=$(wait_window --name '^skinframe$')
  sleep 1
  import -window "$frame" "$OUT/skin_window.png"
  import -window root "$OUT/skin_window_on_screen.png"
  eval "$(xdotool getwindowgeometry --shell "$frame")"
  xdotool mousemove $((X + $(scale 53))) $((Y + $(scale 68))) click 1  # the first image
  sleep 1
  xdotool mousemove $((mx + $(scale 500))) $((my + $(scale 600))) click 1  # away: it closes
  sleep 1
  import -window "$main" "$OUT/main_window_background.png"
fi
kill -TERM "$app_pid"; wait "$app_pid" || true
INNER
)
for tag in en cn; do
  home="$scratch/home-$tag"
  mkdir -p "$home/config/Dozadir Keyboard"
  id=1033; [ "$tag" = cn ] && id=2052
  echo "{\"LANGUAGE\": $id}" >"$home/config/Dozadir Keyboard/settings.config"
  XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" \
    DOZADIR_UPDATE_SERVER="$server" APP="$app" OUT="$out" LANG_TAG="$tag" \
    xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" dbus-run-session -- bash -c "$inner"
done
echo "saved settings_en.png, settings_cn.png, skin_window.png, skin_window_on_screen.png," \
  "main_window_caption_icons.png and main_window_background.png in $out"
