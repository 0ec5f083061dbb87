#!/usr/bin/python3
"""Drives the monitor window through the AT-SPI accessibility bus, as a screen reader would.

Run inside a D-Bus session with the AT-SPI bus and an X display (see scripts/test-ui-atspi).
Usage: atspi_check.py WINDOW_PROGRAM
Every wait is for a condition with a generous deadline, so a loaded machine only makes it slower.
"""
import os
import queue
import subprocess
import sys
import threading
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

DEADLINE = 60.0
FRAME = 0.016
failures = []
passes = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what, flush=True)
    (passes if condition else failures).append(what)
    return condition


def pump(seconds=0.0):
    """Delivers pending AT-SPI events for a while."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.monotonic() >= end:
            return
        time.sleep(0.005)


def wait_for(condition, what, deadline=DEADLINE):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        try:
            result = condition()
            if result:
                check(True, what)
                return result
        except Exception:  # the tree may change under us while we look
            pass
        pump(0.05)
    check(False, "in time: " + what)
    return None


class Program:
    def __init__(self, path):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        env=env, text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.strip())

    def send(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def expect(self, prefix, deadline=DEADLINE):
        end = time.monotonic() + deadline
        while time.monotonic() < end:
            pump()
            try:
                line = self.lines.get(timeout=0.05)
            except queue.Empty:
                if self.process.poll() is not None:
                    break
                continue
            if line.startswith(prefix):
                return line
        check(False, "program said " + prefix)
        return None

    def alive(self):
        return self.process.poll() is None


def walk(root, limit=4000):
    """Every accessible under root, breadth first; list items beyond the first few are skipped."""
    found, todo = [], [root]
    while todo and len(found) < limit:
        node = todo.pop(0)
        found.append(node)
        try:
            count = node.childCount
            if node.getRoleName() == "list":
                count = min(count, 3)
            todo.extend(c for c in (node.getChildAtIndex(i) for i in range(count)) if c is not None)
        except Exception:
            continue
    return found


def find(root, role, name):
    for node in walk(root):
        try:
            if node.getRoleName() == role and node.name == name:
                return node
        except Exception:
            continue
    return None


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def key(name):
    subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=False)


# The controls a user meets: role, name, description.
CONTROLS = [
    ("push button", "Devices",
     "Keyboard shortcut D. Choose which MIDI sources are received, and which voice speaks each"),
    ("push button", "Export CSV",
     "Keyboard shortcut E. Saves every message currently in the buffer as a CSV file — source "
     "device, raw hex, TTS Short text, and TTS Verbose text"),
    ("push button", "Clear", "Removes all messages from the list"),
    ("push button", "User Guide", "Opens the User Guide window. Press G anytime to read it aloud."),
    ("check box", "MIDI 1.0 Channel Voice", "Keyboard shortcut 1"),
    ("check box", "MIDI 2.0 Channel Voice", "Keyboard shortcut 2"),
    ("check box", "System Real-Time / Common", "Keyboard shortcut 3"),
    ("check box", "SysEx (7-bit)", "Keyboard shortcut 4"),
    ("check box", "SysEx (8-bit) / Mixed Data", "Keyboard shortcut 5"),
    ("check box", "Utility", "Keyboard shortcut 6"),
    ("check box", "Flex Data", "Keyboard shortcut 7"),
    ("check box", "UMP Stream", "Keyboard shortcut 8"),
    ("check box", "No Active Sensing", "Keyboard shortcut S"),
    ("check box", "No MIDI Clock", "Keyboard shortcut C"),
    ("check box", "Only UMP-Native Connections", "Keyboard shortcut U"),
    ("check box", "MIDI 1.0 Protocol Only", "Keyboard shortcut L"),
    ("check box", "Last Interrupts",
     "Keyboard shortcut I. When on, every new message interrupts whatever's currently speaking "
     "instead of being dropped while busy"),
    ("check box", "Tick on Message",
     "Keyboard shortcut K. Plays a short tick for every new message — useful while speech is busy "
     "reading another and can't announce it"),
    ("panel", "Speech narration level", "Keyboard shortcut T cycles through levels"),
    ("slider", "Speech rate", "Keyboard shortcuts: [ for slower, ] for faster"),
    ("slider", "Speech volume", "Keyboard shortcuts: up arrow louder, down arrow softer"),
    ("combo box", "500", "How many messages are kept before the oldest are discarded"),
    ("label", "Message buffer size", ""),
    ("label", "Umbrascope v0.1.0 (0), Showing Universal MIDI Packet Data, Connected: Fixture Source",
     ""),
]


def main():
    program = Program(sys.argv[1])
    program.expect("ready")
    desktop = pyatspi.Registry.getDesktop(0)
    app = wait_for(lambda: next((a for a in desktop if a is not None and a.name == "Umbrascope"), None),
                   "the application on the accessibility bus")
    if not app:
        return
    frame = wait_for(lambda: find(app, "frame", "Umbrascope"), "the main window")

    # Controls by role, name and description.
    for role, name, description in CONTROLS:
        node = find(frame, role, name)
        if check(node is not None, "found %s %r" % (role, name)):
            check(node.description == description, "description of %r" % name)
    combo = find(frame, "combo box", "500")
    if combo:
        labels = [r for r in combo.getRelationSet()
                  if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        check(labels and labels[0].getTarget(0).name == "Message buffer size",
              "the buffer picker is labelled 'Message buffer size'")
    check(find(frame, "image", "") is None and find(frame, "icon", "") is None,
          "no logo image is exposed")

    # A row is one item with its combined text.
    messages = find(frame, "list", "Messages")
    check(messages is not None and messages.childCount == 40, "the list has its 40 rows")
    if messages:
        row = messages.getChildAtIndex(1)
        check(row.getRoleName() == "list item" and row.name ==
              "More, 20903C40, MIDI 1.0 Channel Voice, Note On: C4 (60), velocity 64 (50.39%) — "
              "Ch 1, Grp 1, Fixture Source", "a row reads as one item: %r" % row.name)
        check(row.childCount == 0, "a row has no children of its own")

    # Keys work at once, without a click, and their effect is visible to the screen reader.
    legend = find(frame, "check box", "MIDI 1.0 Channel Voice")
    check(legend is not None and checked(legend), "the first type is shown at start")
    key("1")
    program.expect("key 1")
    wait_for(lambda: not checked(legend), "key 1 unchecks 'MIDI 1.0 Channel Voice'")
    key("shift+t")
    program.expect("key T")
    short = find(frame, "radio button", "TTS Short")
    wait_for(lambda: short is not None and checked(short), "key T selects 'TTS Short'")

    # "More" through the row's action.
    if messages:
        row = messages.getChildAtIndex(2)
        row.queryAction().doAction(0)
        check(program.expect("more 2") is not None, "a row's press action asks for More")
        stale = messages.getChildAtIndex(0)

    # Clear while a row is current.
    clear = find(frame, "push button", "Clear")
    clear.queryAction().doAction(0)
    program.expect("cleared")
    wait_for(lambda: messages.childCount == 0, "the list is empty after Clear")
    try:
        _ = stale.name  # a row that is gone: no answer, and no crash
    except Exception:
        pass
    check(program.alive(), "the window survives Clear with a current row")
    wait_for(lambda: find(frame, "label", "Idle, No messages received") is not None,
             "the idle badge after Clear")

    # About: open from the Help menu, read it, close it, and look again.
    about_item = wait_for(lambda: find(app, "menu item", "About Umbrascope"), "the About menu item")
    if about_item:
        about_item.queryAction().doAction(0)
        dialog = wait_for(lambda: find(app, "dialog", "About Umbrascope"), "the About dialog")
        if dialog:
            check(find(dialog, "label", "A simple MIDI 2.0 (UMP) monitor.") is not None,
                  "the credits line")
            check(find(dialog, "label", "Umbrascope") is not None, "the name")
            key("2")
            program.expect("key 2")
            second = find(frame, "check box", "MIDI 2.0 Channel Voice")
            wait_for(lambda: not checked(second), "key 2 works with the About dialog in front")
            close = find(dialog, "push button", "Close")
            close.queryAction().doAction(0)
            wait_for(lambda: find(app, "dialog", "About Umbrascope") is None,
                     "the About dialog closes")
            try:
                _ = dialog.name, close.name
            except Exception:
                pass
            walk(app)
            check(program.alive(), "the window survives the About dialog closing")

    # A 10,000-message burst: count what the bridge sends while it lasts.
    events = []
    listener = lambda event: events.append(event.type)  # noqa: E731
    pyatspi.Registry.registerEventListener(listener, "object", "focus", "window")
    pump(1.0)
    events.clear()
    start = time.monotonic()
    program.send("burst 10000")
    done = program.expect("burst-done", deadline=180)
    duration = time.monotonic() - start
    pump(1.0)  # events still on their way
    pyatspi.Registry.deregisterEventListener(listener, "object", "focus", "window")
    frames = duration / FRAME + 1
    kinds = {}
    for kind in events:
        kinds[kind] = kinds.get(kind, 0) + 1
    print("burst: %d events in %.2f s (%.1f frames): %s" % (len(events), duration, frames, kinds))
    check(done is not None and program.alive(), "the window survives the burst")
    check(len(events) <= 2 * frames + 20, "events stay bounded per frame")
    check(kinds.get("focus:", 0) + kinds.get("object:state-changed:focused", 0) <= 4,
          "the focus does not wander during the burst")
    check(messages.childCount == 500, "the list holds the last 500 rows")

    program.send("quit")
    try:
        code = program.process.wait(timeout=DEADLINE)
    except subprocess.TimeoutExpired:
        program.process.kill()
        code = None
    check(code == 0, "the window quits cleanly")


if __name__ == "__main__":
    try:
        main()
    finally:
        print("atspi: %d passed, %d failed" % (len(passes), len(failures)), flush=True)
    sys.exit(1 if failures else 0)
