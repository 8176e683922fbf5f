#!/usr/bin/env bash
# Runs a GUI suite on a private X server (its own display number, chosen by Xvfb) so that it can
# be driven with real X events from xdotool. Exit code 77 tells CTest that Xvfb or xdotool is
# missing, so the suite is skipped rather than failed.
set -u
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || {
    echo "Xvfb or xdotool is not installed; skipping" >&2
    exit 77
}
tmp=$(mktemp -d)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$tmp/display" 2>"$tmp/log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    sleep 0.1
done
[ -s "$tmp/display" ] || { cat "$tmp/log" >&2; exit 77; }
DISPLAY=":$(head -n1 "$tmp/display")" QT_QPA_PLATFORM=xcb "$@"
