#!/usr/bin/env bash
# The Debian package CPack makes of the configured build: the tree under /usr that cmake --install
# makes and nothing else, the dependencies read from it, and no complaint from Debian's rules
# (lintian, which also finds an unstripped executable and an absolute link) or AppStream's.
#   debian_package.sh <build folder>
set -euo pipefail
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$1/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail cpack; }
deb=$(echo "$tmp"/*.deb)
[ "$(dpkg-deb -f "$deb" Package Version)" = $'Package: kestrova\nVersion: 4.0.0' ] || fail "name or version"
for library in libwxgtk3.2 libwxgtk-webview3.2 libwebkit2gtk-4.0 libc6; do [[ $(dpkg-deb -f "$deb" Depends) == *$library* ]] || fail "no $library"; done
# The same files, modes and links as the installed tree, and nothing of the build's own.
cmake --install "$1" --prefix "$tmp/installed/usr" >/dev/null
dpkg-deb -x "$deb" "$tmp/root"
files() { (cd "$1" && find . ! -type d -printf '%M %p %l\n' | sort); }
diff <(files "$tmp/installed") <(files "$tmp/root") || fail "the package is not the installed tree"
lintian --tag-display-limit 0 --fail-on error,warning "$deb" || fail lintian
appstreamcli validate --no-net --pedantic "$tmp/root/usr/share/metainfo/org.kestrova.kestrova.metainfo.xml" || fail appstream
echo "debian package: $(basename "$deb"), $(files "$tmp/root" | wc -l) files"
