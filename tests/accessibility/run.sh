#!/bin/sh
# Runs a test program on a display of its own with the accessibility bus of at-spi2-core, as
# a desktop with a screen reader has them; run it inside a D-Bus session (dbus-run-session).
# The X server picks a free display itself (-displayfd), so runs side by side never meet.
# Exit 77 (skipped): the server, the bus or its listener cannot start here.
set -u
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || { echo "skipped: at-spi2-core is not installed"; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    { echo "skipped: python3-pyatspi is not installed"; exit 77; }
command -v Xvfb >/dev/null || { echo "skipped: Xvfb is not installed"; exit 77; }
displays=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$displays" 2>/dev/null &
server=$!
"$launcher" --launch-immediately &
bus=$!
trap 'kill $bus $server 2>/dev/null; rm -f "$displays"' EXIT
for _ in $(seq 50); do
    [ -s "$displays" ] && break
    sleep 0.1
done
[ -s "$displays" ] || { echo "skipped: Xvfb did not start"; exit 77; }
DISPLAY=:$(head -n1 "$displays") QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb \
    QT_XCB_GL_INTEGRATION=none "$@"
