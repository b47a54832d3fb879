#!/usr/bin/env bash
# The Debian package: built by CPack from the configured build, it must install the same tree
# under /usr that cmake --install makes, with a stripped executable and the dependencies read
# from it.
#
#   debian_package.sh <build folder>
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail "cpack failed"; }
shopt -s nullglob
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one .deb, found ${#debs[@]}"
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = kestrova ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = 4.0.0 ] || fail "version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libwxgtk3.2 libwxgtk-webview3.2 libwebkit2gtk-4.0 libc6; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

dpkg-deb -c "$deb" | awk '{ line = $1 " " $6; if ($7 != "") line = line " " $7 " " $8; print line }' >"$tmp/contents"
expect() {
  grep -qxF -- "$1" "$tmp/contents" || { cat "$tmp/contents"; fail "package lacks: $1"; }
}
expect "-rwxr-xr-x ./usr/lib/kestrova/kestrova"
expect "-rw-r--r-- ./usr/lib/kestrova/help.html"
expect "-rw-r--r-- ./usr/lib/kestrova/license-pro.html"
expect "lrwxrwxrwx ./usr/bin/kestrova -> ../lib/kestrova/kestrova"
expect "-rw-r--r-- ./usr/share/applications/kestrova.desktop"
for size in 16 32 48 128; do
  expect "-rw-r--r-- ./usr/share/icons/hicolor/${size}x${size}/apps/kestrova.png"
done
expect "-rw-r--r-- ./usr/share/man/man1/kestrova.1.gz"
expect "-rw-r--r-- ./usr/share/doc/kestrova/copyright"
expect "-rw-r--r-- ./usr/share/doc/kestrova/changelog.gz"
expect "-rw-r--r-- ./usr/share/metainfo/org.kestrova.kestrova.metainfo.xml"
expect "-rw-r--r-- ./usr/share/doc/kestrova/examples/kestrova-autostart.desktop"
# Nothing outside /usr, and nothing of the build's own (tests, tools) comes along.
if grep -v ' \./usr/' "$tmp/contents" | grep -v '^d' | grep -q .; then fail "files outside /usr"; fi
if grep -Eq 'test|make_icons' "$tmp/contents"; then fail "build tools in the package"; fi

dpkg-deb -x "$deb" "$tmp/root"
file "$tmp/root/usr/lib/kestrova/kestrova" | grep -q ', stripped' || fail "the executable is not stripped"
# Debian's rules for packages, and AppStream's for what software centres list.
lintian --tag-display-limit 0 --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1 || { cat "$tmp/lintian.log"; fail "lintian"; }
appstreamcli validate --no-net --pedantic "$tmp/root/usr/share/metainfo/org.kestrova.kestrova.metainfo.xml" \
  >"$tmp/appstream.log" 2>&1 || { cat "$tmp/appstream.log"; fail "appstream metadata"; }

echo "debian package: $(basename "$deb"), $(wc -l <"$tmp/contents") entries"
