#!/usr/bin/python3
"""What a screen reader sees of a running program, through the AT-SPI bus.

  atspi.py dump PID            one line per shown object: role|name|description|actions
  atspi.py press PID NAME      runs the action "Press" of the shown object so named
  atspi.py actions PID NAME    the actions the shown object so named offers, comma-separated
  atspi.py names PID CMD...    runs CMD and prints the name changes announced meanwhile
"""
import subprocess
import sys

import pyatspi
from gi.repository import GLib


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    sys.exit(f"no accessible application with process {pid}")


def shown(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def walk(node, depth=0):
    if node is None or depth > 30:
        return
    if depth > 0 and not shown(node):
        return
    yield node
    for child in node:
        yield from walk(child, depth + 1)


def actions(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def dump(pid):
    for node in walk(application(pid)):
        print("|".join([node.getRoleName(), node.name, node.description.replace("\n", " "), ",".join(actions(node))]))


def press(pid, name):
    for node in walk(application(pid)):
        if node.name == name and "Press" in actions(node):
            node.queryAction().doAction(actions(node).index("Press"))
            return
    sys.exit(f"nothing named {name!r} to press")


def offered(pid, name):
    for node in walk(application(pid)):
        if node.name == name:
            print(",".join(actions(node)))
            return
    sys.exit(f"nothing named {name!r}")


def names(pid, command):
    application(pid)
    seen = []

    def changed(event):
        if event.host_application and event.host_application.get_process_id() == pid:
            seen.append(f"{event.source.getRoleName()}|{event.source.name}")

    pyatspi.Registry.registerEventListener(changed, "object:property-change:accessible-name")

    def run():
        subprocess.run(command, check=True)
        GLib.timeout_add(2000, pyatspi.Registry.stop)
        return False

    # The program learns of a new listener through the bus: give it a moment.
    GLib.timeout_add(1000, run)
    pyatspi.Registry.start()
    print("\n".join(seen))


if __name__ == "__main__":
    what, pid = sys.argv[1], int(sys.argv[2])
    if what == "dump":
        dump(pid)
    elif what == "press":
        press(pid, sys.argv[3])
    elif what == "actions":
        offered(pid, sys.argv[3])
    elif what == "names":
        names(pid, sys.argv[3:])
