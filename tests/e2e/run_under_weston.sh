#!/usr/bin/env bash
# Runs a command under a private headless weston compositor, with GTK programs on Wayland and a
# D-Bus session bus of its own, and stops them afterwards. Returns the command's exit status.
set -u
tmp=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$tmp"' EXIT INT TERM
export XDG_RUNTIME_DIR="$tmp" WAYLAND_DISPLAY=kestrova-wayland GDK_BACKEND=wayland NO_AT_BRIDGE=1 GTK_THEME=Adwaita
unset DISPLAY
chmod 700 "$tmp"
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 >"$tmp/weston.log" 2>&1 &
timeout 10 bash -c "until [ -S '$tmp/$WAYLAND_DISPLAY' ]; do sleep 0.05; done" ||
  { echo "run_under_weston.sh: weston did not start" >&2; cat "$tmp/weston.log" >&2; exit 1; }
dbus-run-session -- "$@"
