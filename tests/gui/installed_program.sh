#!/usr/bin/env bash
# The program as a user gets it. The Debian package CPack makes of the configured build: the tree
# under /usr that cmake --install makes and nothing else, and no complaint from Debian's rules
# (lintian, which also finds a library the program needs and the package does not declare, an
# unstripped executable and an absolute link) or AppStream's. Then the package's tree, started
# through its bin link from another folder, Help > Contents from the keyboard: the help page can
# only appear if the program found its application folder through the link. The desktop icons
# installed are the window's own globe as drawn today.
#   installed_program.sh <build folder> <kestrova_make_icons>     (under scripts/run-under-x)
set -euo pipefail
tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# How many pixels of the screen show the colour #$1.
pixels() { import -window root png:- | convert png:- -fill black +opaque "#$1" -fill white -opaque "#$1" -format '%[fx:int(mean*w*h)]' info:; }

cpack --config "$1/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail cpack; }
deb=$(echo "$tmp"/*.deb)
[ "$(dpkg-deb -f "$deb" Package Version)" = $'Package: kestrova\nVersion: 4.0.0' ] || fail "name or version"
# The same files, modes and links as the installed tree, and nothing of the build's own.
cmake --install "$1" --prefix "$tmp/installed/usr" >/dev/null
dpkg-deb -x "$deb" "$tmp/root"
files() { (cd "$1" && find . ! -type d -printf '%M %p %l\n' | sort); }
diff <(files "$tmp/installed") <(files "$tmp/root") || fail "the package is not the installed tree"
lintian --tag-display-limit 0 --fail-on error,warning "$deb" || fail lintian
appstreamcli validate --no-net --pedantic "$tmp/root/usr/share/metainfo/org.kestrova.kestrova.metainfo.xml" || fail appstream
echo "debian package: $(basename "$deb"), $(files "$tmp/root" | wc -l) files"

"$2" "$tmp/drawn" 16 32 48 128
diff -r "$tmp/drawn" "$tmp/root/usr/share/icons/hicolor" || fail "the icons are not the window's globe: build kestrova_icons"

# The help page's header colour is on screen only while the page is.
accent=$(sed -n 's/.*--accent: *#\([0-9a-fA-F]\{6\}\).*/\1/p' "$tmp/root/usr/lib/kestrova/help.html" | head -n1)
cd /
"$tmp/root/usr/bin/kestrova" >"$tmp/program.log" 2>&1 &
timeout 20 xdotool search --sync --onlyvisible --name '^Kestrova Pro Version$' windowactivate --sync >/dev/null ||
  fail "the installed program showed no window"
[ "$(pixels "$accent")" -eq 0 ] || fail "the help page's colour is on screen before Help > Contents"
# Keys to the focused window: sent to a window by id, GTK would ignore them as synthetic.
xdotool key --clearmodifiers alt+h sleep 0.5 key --clearmodifiers c
for _ in $(seq 100); do
  [ "$(pixels "$accent")" -gt 5000 ] && echo "installed program: help page shown through its bin link" && exit 0
  sleep 0.2
done
fail "Help > Contents did not show the help page; the program said: $(cat "$tmp/program.log")"
