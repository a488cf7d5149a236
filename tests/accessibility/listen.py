# Listens on the accessibility bus as a screen reader does and prints each text change and
# caret move of the program's objects, one a line: type, offset, length, text.
import sys

try:
    import pyatspi
except ImportError:
    print("no pyatspi", flush=True)
    sys.exit(3)


def heard(event):
    print(event.type, event.detail1, event.detail2, repr(event.any_data), flush=True)


for kind in ("object:text-changed:insert", "object:text-changed:delete",
             "object:text-caret-moved"):
    pyatspi.Registry.registerEventListener(heard, kind)
print("ready", flush=True)
pyatspi.Registry.start()
