"""Prints every accessible object of one program as "role|name|states", one a line.

Usage: atspi_tree.py PROGRAM_NAME [SECONDS]
Waits up to SECONDS (default 20) for the program to appear on the accessibility bus.
"""
import sys
import time

import pyatspi


def find_app(name, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.lower() == name.lower() and app.childCount > 0:
                return app
        time.sleep(0.3)
    return None


def walk(node, depth=0):
    if node is None or depth > 30:
        return
    states = node.getState()
    marks = [s for s, st in (("checked", pyatspi.STATE_CHECKED), ("enabled", pyatspi.STATE_ENABLED),
                             ("showing", pyatspi.STATE_SHOWING), ("focusable", pyatspi.STATE_FOCUSABLE))
             if states.contains(st)]
    print("%s|%s|%s" % (node.getRoleName(), node.name, ",".join(marks)))
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1)


def main():
    app = find_app(sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 20)
    if app is None:
        print("no accessible program named %s" % sys.argv[1], file=sys.stderr)
        return 1
    walk(app)
    return 0


if __name__ == "__main__":
    sys.exit(main())
