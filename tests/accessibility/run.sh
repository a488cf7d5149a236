#!/bin/sh
# Runs a test program on a display of its own with a D-Bus session and the accessibility bus
# of at-spi2-core, as a desktop with a screen reader has them. Exit 77 (skipped): the bus or
# its listener cannot start here.
set -u
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || { echo "skipped: at-spi2-core is not installed"; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is not installed"; exit 77; }
"$launcher" --launch-immediately &
bus=$!
trap 'kill $bus 2>/dev/null' EXIT
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb QT_XCB_GL_INTEGRATION=none "$@"
