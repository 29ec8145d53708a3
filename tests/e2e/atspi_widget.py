"""Finds a showing widget of one running program on the accessibility bus.

Usage: atspi_widget.py PID ROLE NAME [centre|text] [SECONDS]
Prints the widget's centre in screen coordinates ("x y"), for xdotool to click,
or its text. Waits up to SECONDS (default 20) for the widget to appear.
"""
import sys
import time

import pyatspi


def program(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def find(node, role, name, depth=0):
    if node is None or depth > 40:
        return None
    try:
        if (node.getRoleName() == role and node.name == name
                and node.getState().contains(pyatspi.STATE_SHOWING)):
            return node
        for i in range(node.childCount):
            found = find(node.getChildAtIndex(i), role, name, depth + 1)
            if found is not None:
                return found
    except Exception:
        return None
    return None


def main():
    pid, role, name = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    mode = sys.argv[4] if len(sys.argv) > 4 else "centre"
    deadline = time.time() + (float(sys.argv[5]) if len(sys.argv) > 5 else 20)
    while time.time() < deadline:
        widget = find(program(pid), role, name)
        if widget is not None:
            if mode == "text":
                print(widget.queryText().getText(0, -1))
            else:
                box = widget.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                print("%d %d" % (box.x + box.width // 2, box.y + box.height // 2))
            return 0
        time.sleep(0.3)
    print("no showing %s named %r in process %d; it shows:" % (role, name, pid), file=sys.stderr)
    dump(program(pid))
    return 1


def dump(node, depth=0):
    if node is None or depth > 40:
        return
    try:
        if node.getState().contains(pyatspi.STATE_SHOWING) or depth < 2:
            print("%s%s|%s" % ("  " * depth, node.getRoleName(), node.name), file=sys.stderr)
        for i in range(node.childCount):
            dump(node.getChildAtIndex(i), depth + 1)
    except Exception:
        pass


if __name__ == "__main__":
    sys.exit(main())
