#!/usr/bin/env bash
# The installed program, as a user gets it: installed into a fresh prefix, started through its bin
# link from another folder, Help > Contents from the keyboard. The help page can only appear if
# the program found its application folder through the link. The desktop icons installed are the
# window's own globe as drawn today.
#   installed_program.sh <build folder> <kestrova_make_icons>     (under scripts/run-under-x)
set -euo pipefail
tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# How many pixels of the screen show the colour #$1.
pixels() { import -window root png:- | convert png:- -fill black +opaque "#$1" -fill white -opaque "#$1" -format '%[fx:int(mean*w*h)]' info:; }

cmake --install "$1" --prefix "$tmp/usr" >/dev/null
"$2" "$tmp/drawn" 16 32 48 128
diff -r "$tmp/drawn" "$tmp/usr/share/icons/hicolor" || fail "the icons are not the window's globe: build kestrova_icons"

# The help page's header colour is on screen only while the page is.
accent=$(sed -n 's/.*--accent: *#\([0-9a-fA-F]\{6\}\).*/\1/p' "$tmp/usr/lib/kestrova/help.html" | head -n1)
cd /
"$tmp/usr/bin/kestrova" >"$tmp/program.log" 2>&1 &
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
