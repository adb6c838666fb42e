#!/usr/bin/env bash
# Runs test_atspi.py against a copy of the program and its shipped data in a private folder, under a
# fresh X server, session bus and accessibility bus.
set -euo pipefail
bin_dir=$1
display=${2:-99}  # the X display number to take
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Without the banner module: its web engine, once loaded, would prepare OpenGL for the player windows
# too, and the player must open on what the program itself prepares.
cp "$bin_dir/sieciownik" "$bin_dir/TV.FEED" "$bin_dir/RADIO.FEED" "$bin_dir/help.html" "$work/"
mkdir -p "$work/home" "$work/runtime" "$work/bin"
# Stand in for the desktop's opener and the external player: this test opens nothing outside.
for program in xdg-open realplay; do printf '#!/bin/sh\nexit 0\n' >"$work/bin/$program"; chmod +x "$work/bin/$program"; done
export PATH="$work/bin:$PATH"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/.config" \
  XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" TMPDIR="$work"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
unset QT_ACCESSIBILITY_OFF
exec xvfb-run -n "$display" -s "-screen 0 1024x768x24" dbus-run-session -- bash -c "
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  # The accessibility bus answers before the program starts, so that the program finds it at once.
  for i in \$(seq 1 100); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
    sleep 0.1
  done
  /usr/bin/python3 '$here/test_atspi.py' '$work/sieciownik'"
