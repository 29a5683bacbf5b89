#!/usr/bin/env bash
# Builds the Debian package once, unpacks it into a scratch root (no installation on the
# machine), checks what it carries (the metainfo and the desktop file validated), and starts
# the unpacked program with --simulate: it must find its own data beside itself.
# Usage: install_test.sh BUILD_DIR   (under a display and a session bus)
set -euo pipefail
build=$1
work=$(mktemp -d)
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/*.deb)
dpkg-deb -f "$deb" Package Version Depends
dpkg-deb -x "$deb" "$work/root"
root=$work/root
for f in usr/bin/dozadir-keyboard usr/bin/dozadirctl \
         usr/share/dozadir/skin/main.ui usr/share/dozadir/skin/setwnd.ui \
         usr/share/dozadir/skin/skinwnd.ui usr/share/dozadir/lang/lan_en.lang \
         usr/share/dozadir/lang/lan_cn.lang usr/share/dozadir/DefaultData/Language.config \
         usr/share/applications/org.dozadir.Keyboard.desktop \
         usr/share/metainfo/org.dozadir.Keyboard.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/org.dozadir.Keyboard.svg \
         usr/share/icons/hicolor/48x48/apps/org.dozadir.Keyboard.png \
         usr/share/icons/hicolor/256x256/apps/org.dozadir.Keyboard.png \
         usr/lib/udev/rules.d/70-dozadir.rules; do
  [ -e "$root/$f" ] || fail "the package lacks $f"
done
[ ! -e "$root/usr/share/dozadir/skin/test" ] || fail "the package carries the toolkit's test skins"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.dozadir.Keyboard.metainfo.xml" ||
  fail "metainfo"
desktop-file-validate "$root/usr/share/applications/org.dozadir.Keyboard.desktop" || fail "desktop file"

# The unpacked program, with nothing pointing it at the source tree.
unset DOZADIR_DATA_DIR DOZADIR_PROGRAM_DATA DOZADIR_SIMULATE
export XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
export XDG_CACHE_HOME=$work/home/cache DOZADIR_DEBUG=1 DOZADIR_NO_HIDRAW=1
"$root/usr/bin/dozadirctl" --simulate list >"$work/list.txt" || fail "dozadirctl list"
grep -q keyboard "$work/list.txt" || fail "dozadirctl lists no keyboard"
"$root/usr/bin/dozadir-keyboard" --simulate >"$work/app.log" 2>&1 &
app=$!
shown=
for _ in $(seq 150); do
  if xdotool search --onlyvisible --name '^Dozadir Keyboard$' >/dev/null 2>&1; then shown=1; break; fi
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
[ -n "$shown" ] || { cat "$work/app.log"; fail "no main window"; }
sleep 0.5
grep -qF "program folder $root/usr/share/dozadir" "$work/app.log" ||
  { cat "$work/app.log"; fail "the program did not take its data from beside itself"; }
# Its resource map, theme, texts, and the skins of its window and device pages. (Skins of
# panels that are not written yet are missing from the source tree as well.)
if grep -E "no resource map|no theme.qss|language file .* not readable|skin '(XML_MAIN|XML\\\\DeviceXml|XML\\\\CustomControlXML\\\\(DeviceOption|DeviceProfile|MpDevicePower))" \
     "$work/app.log"; then
  fail "the program misses some of its data"
fi
kill -TERM "$app"
status=0
wait "$app" || status=$?
app=
[ "$status" -eq 0 ] || { cat "$work/app.log"; fail "exit status $status"; }
echo "installed package: files, metainfo, desktop file and a start with --simulate all fine"
