#!/usr/bin/python3
# The main window as a screen reader hears it through the accessibility bus: every control's role
# and name, the caption that labels it and the group it belongs to.
#   accessible_names.py <program>
import subprocess
import sys
import time

import pyatspi

# role, name, labelled by, member of
EXPECTED = sorted([
    ("panel", "Top panel", None, None),
    ("push button", "Start Browsing", None, "Top panel"),
    ("push button", "Stop Browsing", None, "Top panel"),
    ("push button", "Load Settings.", None, "Top panel"),
    ("push button", "Save Settings.", None, "Top panel"),
    ("panel", "Current URL", None, "Top panel"),
    ("text", "Current URL", "Current URL", "Current URL"),
    ("text", "Passes", None, "Current URL"),
    ("panel", "Interval settings", None, "Top panel"),
    ("label", "Interval", None, "Interval settings"),
    ("text", "Interval", "Interval", "Interval settings"),
    ("check box", "Random - N", None, "Interval settings"),
    ("panel", "Playlist editor", None, "Top panel"),
    ("scroll pane", "Playlist", None, "Playlist editor"),
    ("push button", "Remove", None, "Playlist editor"),
    ("push button", "Add", None, "Playlist editor"),
    ("check box", "No Cache", None, "Playlist editor"),
    ("check box", "Exit", None, "Playlist editor"),
    ("check box", "Loop", None, "Playlist editor"),
    ("text", "URL to add", None, "Playlist editor"),
    ("panel", "Browser panel", None, None),
    ("scroll pane", "Web browser", None, "Browser panel"),
], key=str)


def Related(accessible, relation_type):
    for relation in accessible.getRelationSet():
        if relation.getRelationType() == relation_type:
            return relation.getTarget(0).name
    return None


program = subprocess.Popen([sys.argv[1]])
try:
    button = None
    for _ in range(450):
        apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.get_process_id() == program.pid]
        if apps:
            button = pyatspi.findDescendant(apps[0], lambda a: a.getRoleName() == "push button")
        if button is not None:
            break
        time.sleep(0.1)
    controls = [c for c in button.parent if c is not None] if button is not None else []
    seen = sorted([(c.getRoleName(), c.name, Related(c, pyatspi.RELATION_LABELLED_BY),
                    Related(c, pyatspi.RELATION_MEMBER_OF)) for c in controls], key=str)
finally:
    program.terminate()
    program.wait()

for row in seen:
    print(("   " if row in EXPECTED else "+  ") + str(row))
for row in EXPECTED:
    if row not in seen:
        print("-  " + str(row))
sys.exit(0 if seen == EXPECTED else 1)
