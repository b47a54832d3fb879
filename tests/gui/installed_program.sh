#!/usr/bin/env bash
# The installed program, as a user gets it: install the build into a fresh prefix, check that
# every file is where a desktop looks for it, then start the program through its bin link from
# another folder and open Help > Contents with the keyboard. The help page can only appear if the
# program found its application folder through the link.
#
#   installed_program.sh <build folder> <kestrova_gui_tests, which counts the pixels of a colour>
# Runs under scripts/run-under-x.
set -euo pipefail
build=$1
gui_tests=$(readlink -f "$2")
screen_colour() { "$gui_tests" --screen-colour "$1"; }
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

tmp=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "install failed"; }
app=$prefix/lib/kestrova

# One application folder: the executable beside the documents it shows, as in the sources.
[ -x "$app/kestrova" ] && [ ! -L "$app/kestrova" ] || fail "no executable in $app"
for document in help.html license-pro.html; do
  cmp -s "$source_dir/resources/$document" "$app/$document" || fail "$document missing or different in $app"
done
cmp -s "$source_dir/LICENSE" "$prefix/share/doc/kestrova/copyright" || fail "no copyright file"

# The command is a relative link, so the tree still works wherever it is unpacked.
link=$prefix/bin/kestrova
[ -L "$link" ] || fail "$link is not a link"
case $(readlink "$link") in /*) fail "$link points to an absolute path" ;; esac
[ "$(readlink -f "$link")" = "$(readlink -f "$app/kestrova")" ] || fail "$link does not reach $app/kestrova"

# The menu entry runs a command that is on the prefix's PATH and names an icon that exists.
desktop=$prefix/share/applications/kestrova.desktop
[ -f "$desktop" ] || fail "no desktop entry"
grep -qx 'Type=Application' "$desktop" || fail "desktop entry is not an application"
command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -n "$command" ] && [ -x "$prefix/bin/$command" ] || fail "Exec=$command is not in $prefix/bin"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16 32 48 128; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
  file "$png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || fail "icon $png is not a ${size}px PNG"
done

# The manual page is compressed, renders without complaint and has the usual sections.
manual=$prefix/share/man/man1/kestrova.1.gz
gzip -t "$manual" || fail "$manual is not gzip"
gzip -dc "$manual" | groff -man -ww -z 2>"$tmp/groff.log" && [ ! -s "$tmp/groff.log" ] || {
  cat "$tmp/groff.log"
  fail "the manual page has problems"
}
for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES EXAMPLES; do
  gzip -dc "$manual" | grep -qx "\.SH $section" || fail "manual page has no $section section"
done
for switch in /f= /r= /t=; do
  gzip -dc "$manual" | grep -q -- "^\.BI\? $switch" || fail "manual page does not describe $switch"
done

# The help page's header colour: present on screen only while the page is drawn.
accent=$(sed -n 's/.*--accent: *#\([0-9a-fA-F]\{6\}\).*/\1/p' "$app/help.html" | head -n1)
shade=$(sed -n 's/.*--shade: *#\([0-9a-fA-F]\{6\}\).*/\1/p' "$app/help.html" | head -n1)
[ -n "$accent" ] && [ -n "$shade" ] || fail "help.html defines no --accent or --shade colour"

cd /
"$link" >"$tmp/program.log" 2>&1 &
pid=$!
# Polled rather than --sync: a search that meets a window closing under it gives up.
window=
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Kestrova Pro Version$' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || fail "the installed program showed no window"
sleep 1
[ "$(screen_colour "$accent")" -eq 0 ] || fail "the help page's colour is on screen before Help > Contents"

xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool key --clearmodifiers alt+h
sleep 0.5
xdotool key --clearmodifiers c

shown=0
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || { cat "$tmp/program.log"; fail "the program ended"; }
  # The header band and the contents bar beneath it: thousands of pixels each.
  if [ "$(screen_colour "$accent")" -gt 5000 ] && [ "$(screen_colour "$shade")" -gt 5000 ]; then
    shown=1
    break
  fi
  sleep 0.2
done
[ "$shown" -eq 1 ] || fail "Help > Contents did not show the help page (accent $(screen_colour "$accent") px)"
kill -0 "$pid" 2>/dev/null || fail "the program ended after showing the help page"
echo "installed program: layout checked, help page shown through $link"
