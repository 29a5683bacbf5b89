#!/usr/bin/env bash
# Starts the application under Xvfb with the emulator's keyboard, mouse and mousepad (the
# keyboard's page is the one shown) and saves screenshots of the main window at DPI 96
# (a 1366 x 768 screen) and 144 (1920 x 1080), of a message box,
# and of the same box after a drag on its caption. With openbox installed the drag is the
# window manager's move; without a window manager the window follows the pointer itself.
# Usage: scripts/screenshots.sh [build-dir] [output-dir]
set -euo pipefail
build=${1:-build}
out=${2:-$build/screenshots}
app="$build/src/app/dozadir-keyboard"
preview="$build/src/app/dozadir-shell-preview"
for f in "$app" "$preview"; do
  [ -x "$f" ] || { echo "missing $f: ninja -C $build dozadir-keyboard dozadir-shell-preview" >&2; exit 1; }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
# Profiles and settings of these runs stay out of the user's folders.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

helpers=$(cat <<'HELPERS'
set -euo pipefail
wait_window() {  # search arguments -> id of the first visible match
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window for: $*" >&2; return 1
}
wait_size() {  # id width height
  for _ in $(seq 50); do
    eval "$(xdotool getwindowgeometry --shell "$1")"
    [ "$WIDTH" = "$2" ] && [ "$HEIGHT" = "$3" ] && return 0
    sleep 0.1
  done
  echo "window $1 is ${WIDTH}x$HEIGHT, not $2x$3" >&2; return 1
}
HELPERS
)

main_inner=$(cat <<'INNER'
"$APP" --simulate=keyboard,mouse,mousepad & app_pid=$!
id=$(wait_window --name '^Dozadir Keyboard$')
wait_size "$id" "$W" "$H"
sleep 1  # the devices' pages are filled
import -window "$id" "$SHOT"
kill -TERM "$app_pid"; wait "$app_pid" || true
INNER
)
for run in "1366x768 1000 640 main_window_96.png" "1920x1080 1500 960 main_window_144.png"; do
  read -r screen w h name <<<"$run"
  XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" APP="$app" W="$w" H="$h" \
    SHOT="$out/$name" xvfb-run -a -s "-screen 0 ${screen}x24 -noreset" dbus-run-session -- \
    bash -c "$helpers"$'\n'"$main_inner"
done

box_inner=$(cat <<'INNER'
if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & sleep 1; fi
"$PREVIEW" message_text_22 1 144 & box_pid=$!
id=$(wait_window --class dozadir-shell-preview)
sleep 1
import -window "$id" "$OUT/message_box.png"
eval "$(xdotool getwindowgeometry --shell "$id")"
# A press on the caption's title, a drag of 400 x 250 pixels, a release.
xdotool mousemove $((X + 40)) $((Y + 20)); sleep 0.2
xdotool mousedown 1; sleep 0.2
for _ in $(seq 10); do xdotool mousemove_relative -- 40 25; sleep 0.05; done
xdotool mouseup 1; sleep 0.5
import -window root "$OUT/message_box_moved_screen.png"
echo "message box moved from $X,$Y to $(xdotool getwindowgeometry "$id" | sed -n 's/ *Position: //p')"
kill "$box_pid" 2>/dev/null; wait "$box_pid" 2>/dev/null || true
INNER
)
PREVIEW="$preview" OUT="$out" \
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash -c "$helpers"$'\n'"$box_inner"
echo "saved main_window_96.png, main_window_144.png, message_box.png and" \
  "message_box_moved_screen.png in $out"
