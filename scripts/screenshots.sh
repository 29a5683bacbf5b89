#!/usr/bin/env bash
# Starts the application under Xvfb and saves screenshots of the main window and of a
# message box. Usage: scripts/screenshots.sh [build-dir] [output-dir]
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

inner=$(cat <<'INNER'
set -euo pipefail
wait_window() {  # title -> id of the visible window
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window '$1'" >&2; return 1
}
"$APP" & app_pid=$!
id=$(wait_window '^Dozadir Keyboard$')
sleep 1.5  # the layout pass runs 100 ms after start
import -window "$id" "$OUT/main_window.png"
kill -TERM "$app_pid"; wait "$app_pid" || true

"$PREVIEW" message_text_22 1 & box_pid=$!
sleep 1.5
import -window root -crop 1920x1080+0+0 "$OUT/message_box_screen.png"
convert "$OUT/message_box_screen.png" -trim +repage "$OUT/message_box.png"
rm -f "$OUT/message_box_screen.png"
kill "$box_pid" 2>/dev/null; wait "$box_pid" 2>/dev/null || true
INNER
)
APP="$app" PREVIEW="$preview" OUT="$out" \
  xvfb-run -a -s "-screen 0 1920x1080x24" dbus-run-session -- bash -c "$inner"
echo "saved $out/main_window.png and $out/message_box.png"
