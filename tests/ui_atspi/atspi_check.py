#!/usr/bin/python3
"""Drives the umbrascope window through the AT-SPI accessibility bus, as a screen reader would.

Run inside a D-Bus session with the AT-SPI bus and an X display (see scripts/test-ui-atspi).
Usage: atspi_check.py UMBRASCOPE_PROGRAM
Two runs of the program: `--demo` (speaking through espeak-ng into SDL's silent dummy driver) for
the controls, rows, keys, sheets and About; then a capture file of 10,000 messages without
delays, for the events of a burst, the rows kept and Clear.
Every wait is for a condition with a generous deadline, so a loaded machine only makes it slower.
"""
import os
import re
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

DEADLINE = 60.0
FRAME = 0.016
BURST = 10000
BURST_DELAY = 5  # seconds before the burst, so that it starts after the window is up
QUIET_SECONDS = 8.0
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


def wait_for(condition, what, deadline=DEADLINE, quiet=False):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        try:
            result = condition()
            if result:
                if not quiet:
                    check(True, what)
                return result
        except Exception:  # the tree may change under us while we look
            pass
        pump(0.05)
    check(False, "in time: " + what)
    return None


class Program:
    def __init__(self, path, *args, speech="none"):
        # SDL's dummy driver plays speech in real time and silently, so a reading lasts.
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   SDL_AUDIODRIVER="dummy")
        self.log = tempfile.TemporaryFile(mode="w+")
        self.process = subprocess.Popen([path, "--speech", speech, *args],
                                        stdin=subprocess.DEVNULL, stdout=self.log,
                                        stderr=subprocess.STDOUT, env=env)

    def alive(self):
        return self.process.poll() is None

    def abandon(self):
        """Gives up on a program that never showed up, and says what it printed."""
        if self.alive():
            self.process.kill()
        print("the program %s (exit code %s) printed:" % (
            "was stopped" if self.process.wait() < 0 else "ended", self.process.returncode))
        self.log.seek(0)
        print(self.log.read())

    def finish(self, app):
        """Quits through the File menu and reports how the program ended."""
        quit_item = find(app, "menu item", "Quit") if self.alive() else None
        if quit_item:
            quit_item.queryAction().doAction(0)
        try:
            code = self.process.wait(timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            self.process.kill()
            code = None
        check(code == 0, "the program quits cleanly (exit code %s)" % code)
        if code != 0:
            self.log.seek(0)
            print(self.log.read())


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


def find(root, role, name, pattern=None):
    """The first accessible under root with the role and the name (None: any), or whose name
    matches the pattern."""
    for node in walk(root):
        try:
            if node.getRoleName() == role and (
                    re.fullmatch(pattern, node.name) if pattern
                    else name is None or node.name == name):
                return node
        except Exception:
            continue
    return None


def has_state(node, state):
    return node.getState().contains(state)


def checked(node):
    return has_state(node, pyatspi.STATE_CHECKED)


def showing(node):
    return node is not None and has_state(node, pyatspi.STATE_SHOWING)


def key(name):
    subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=False)


def application(program):
    desktop = pyatspi.Registry.getDesktop(0)

    def ours():
        # Asked afresh each time: a cached list of applications can miss one that just came.
        desktop.clear_cache()
        return next((a for a in desktop if a is not None and a.name == "Umbrascope"
                     and a.get_process_id() == program.process.pid), None)

    app = wait_for(ours, "the application on the accessibility bus")
    frame = app and wait_for(lambda: find(app, "frame", "Umbrascope"), "the main window")
    messages = frame and wait_for(lambda: find(frame, "list", "Messages"), "the message list")
    return app, frame, messages


def dialogs(app):
    return [node for node in walk(app) if node.getRoleName() == "dialog"]


# The controls a user meets: role, name, description.
CONTROLS = [
    ("push button", "Devices",
     "Keyboard shortcut D. Choose which MIDI sources are received, and which voice speaks each"),
    ("push button", "Export CSV",
     "Keyboard shortcut E. Saves every message currently in the buffer as a CSV file — source "
     "device, raw hex, TTS Short text, and TTS Verbose text"),
    ("push button", "Clear", "Removes all messages from the list"),
    ("push button", "Pause",
     "Keyboard shortcut P. Holds the list, the speech and the ticks still; messages that arrive "
     "meanwhile are kept and counted"),
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
    ("slider", "Speech volume",
     "Keyboard shortcuts: = louder, - softer, wherever the focus is; up arrow louder, down arrow "
     "softer where the focus does not use the arrows"),
    ("combo box", "500", "How many messages are kept before the oldest are discarded"),
    ("label", "Message buffer size", ""),
    ("combo box", "All channels",
     "Keyboard shortcut Alt+C. Shows only the messages of one MIDI channel; messages without a "
     "channel always show"),
    ("label", "Channel filter", ""),
    ("combo box", "All groups",
     "Keyboard shortcut Alt+G. Shows only the messages of one group; messages without a group "
     "always show"),
    ("label", "Group filter", ""),
    ("menu item", "Copy Hex", None),
    ("menu item", "Copy Description and Breakdown", None),
]
OPEN_HINT = ("Plays the file as fast as the window takes it, instead of at the pace it was "
             "recorded at")
HEADER = (r"Umbrascope v[0-9.]+ \([0-9]+\), Showing Universal MIDI Packet Data, "
          r"Connected: (.*, )?Demo")
CLASSES = ("MIDI 1.0 Channel Voice|MIDI 2.0 Channel Voice|System Real-Time / Common|"
           "SysEx \\(7-bit\\)|SysEx \\(8-bit\\) / Mixed Data|Utility|Flex Data|UMP Stream|Unknown")
TIME_SINCE_START = r"[0-9]+\.[0-9]{3}"
TIME_OF_DAY = r"[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\.[0-9]{3}"
ROW = r"More, [0-9A-F]{8}(  [0-9A-F]{8}){0,3}, (%s), .+, Demo, " % CLASSES
MENU_ITEMS = ("menu item", "check menu item", "radio menu item")


# Each sheet by its title: controls that must be there, by role and name (None: any name).
SHEETS = {
    "Message Fields": [("push button", "Close"), ("push button", "Read More Aloud"),
                       ("list item", None)],
    "Devices": [("push button", "Close"), ("check box", "Demo"), ("combo box", None),
                ("push button", "Test voice for Demo"), ("push button", "Test click for Demo"),
                ("spin button", "Stereo pan for Demo's click sounds")],
    "User Guide": [("push button", "Done"), ("push button", "Read Guide Aloud"),
                   ("text", "User Guide"), ("link", None)],
}
NAMED_ROLES = ("push button", "check box", "combo box", "slider", "list item", "link",
               "radio button", "toggle button", "text", "spin button")


def unnamed_controls(dialog):
    """Controls a screen reader could only call by their role."""
    missing = []
    for node in walk(dialog):
        try:
            role = node.getRoleName()
            if role not in NAMED_ROLES:
                continue
            named = bool(node.name)
            if role == "combo box":  # named by its label, as the window's buffer picker
                named = any(r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                            and r.getTarget(0).name for r in node.getRelationSet())
            if not named:
                missing.append(role)
        except Exception:
            continue
    return missing


def pan_reads_as_text(sheet):
    """Orca reads a spin button's text as its value: the pan's words, not a number."""
    pan = find(sheet, "spin button", "Stereo pan for Demo's click sounds")
    text = pan.queryText() if pan else None
    check(text is not None and text.getText(0, text.characterCount) == "Center",
          "the pan reads 'Center'")


def reading_toggles(sheet, key_name, button):
    """The key starts a reading, which the sheet's reading button shows, and stops it again."""
    key(key_name)
    wait_for(lambda: find(sheet, "push button", "Stop Reading"),
             "%s reads aloud with %r in front" % (key_name.upper(), sheet.name))
    key(key_name)
    wait_for(lambda: find(sheet, "push button", button),
             "%s again stops, and the button reads %r" % (key_name.upper(), button))


def press_a_rows_more(app, messages):
    """A row's press action. A row at the front of a full buffer can leave between being found
    and being pressed, its action then lost with it: the user presses the next one."""
    for _ in range(3):
        try:
            messages.getChildAtIndex(messages.childCount // 2).queryAction().doAction(0)
        except Exception:  # the row left under us
            pass
        end = time.monotonic() + 10.0
        while time.monotonic() < end:
            if find(app, "dialog", "Message Fields"):
                return
            pump(0.05)


def sheet_opens_and_closes(app, messages, what, open_sheet, title, inside=None):
    """`open_sheet` opens the sheet `title`, whose controls all have names; `inside` acts in it;
    Escape closes it and the list has the focus, its current row announced."""
    open_sheet()
    sheet = wait_for(lambda: find(app, "dialog", title), "%s opens %r" % (what, title))
    if not sheet:
        return
    for role, name in SHEETS[title]:
        wait_for(lambda: find(sheet, role, name),
                 "%r has the %s %r" % (title, role, name or "(any name)"))
    missing = unnamed_controls(sheet)
    check(not missing, "every control of %r has a name (unnamed: %s)" % (title, missing))
    if inside:
        inside(sheet)
    focused = []

    def on_focus(event):
        if event.type == "focus:" or event.detail1 == 1:
            focused.append(event.source.getRoleName())

    pyatspi.Registry.registerEventListener(on_focus, "focus", "object:state-changed:focused")
    key("Escape")
    wait_for(lambda: find(app, "dialog", title) is None, "Escape closes %r" % title)
    wait_for(lambda: has_state(messages, pyatspi.STATE_FOCUSED),
             "the list has the focus after " + what)
    # What a screen reader reads last: the row, not only the list.
    wait_for(lambda: focused and focused[-1] == "list item",
             "the current row is announced after " + what)
    pyatspi.Registry.deregisterEventListener(on_focus, "focus", "object:state-changed:focused")


def check_list_holds_still(app, messages):
    """End puts the focus on the newest row; while the Demo plays on, it stays on that message, and
    Enter opens the message the screen reader was told of."""
    read = []

    def on_focus(event):
        if event.source.getRoleName() == "list item" and (
                event.type == "focus:" or event.detail1 == 1):
            read.append(event.source.name)

    pyatspi.Registry.registerEventListener(on_focus, "focus", "object:state-changed:focused")
    key("End")
    wait_for(lambda: read, "End puts the focus on a row, which is announced")
    pump(3.0)  # the Demo plays on
    pyatspi.Registry.deregisterEventListener(on_focus, "focus", "object:state-changed:focused")
    if not read:
        return
    check(len(set(read)) == 1, "the focus stays on the row while messages arrive: %r" % read[:4])
    hex_words = read[-1].split(", ")[1]
    key("Return")
    sheet = wait_for(lambda: find(app, "dialog", "Message Fields"), "Enter opens the row")
    if sheet:
        check(find(sheet, "label", hex_words) is not None,
              "Enter opens the message the screen reader read (%s)" % hex_words)
        key("Escape")
        wait_for(lambda: find(app, "dialog", "Message Fields") is None, "Escape closes it")


def menu_item(app, name):
    for role in MENU_ITEMS:
        node = find(app, role, name)
        if node is not None:
            return node
    return None


def newest_row(messages):
    return messages.getChildAtIndex(messages.childCount - 1).name


def check_pause_and_time(app, frame, messages):
    """P holds the list while the Demo plays on, and the button says Resume; P again moves on.
    The View menu's Time of Day puts the time of day at the end of every row, and back."""
    key("p")
    if not wait_for(lambda: find(frame, "push button", "Resume"), "P turns the button to Resume"):
        return
    held = newest_row(messages)
    pump(3.0)  # the Demo plays on
    check(newest_row(messages) == held, "the list holds still while paused")
    key("p")
    wait_for(lambda: find(frame, "push button", "Pause"), "P again turns the button to Pause")
    wait_for(lambda: newest_row(messages) != held, "the list moves on after the pause")

    item = wait_for(lambda: menu_item(app, "Time of Day"), "the View menu's 'Time of Day'")
    if not item:
        return
    item.queryAction().doAction(0)
    wait_for(lambda: re.fullmatch(ROW + TIME_OF_DAY, newest_row(messages)),
             "a row ends with its time of day")
    since = menu_item(app, "Time Since Start")
    if since:
        since.queryAction().doAction(0)
        wait_for(lambda: re.fullmatch(ROW + TIME_SINCE_START, newest_row(messages)),
                 "a row ends with its seconds since the start again")


def check_demo_window(path):
    program = Program(path, "--demo", speech="espeak")
    app, frame, messages = application(program)
    if not messages:
        program.finish(app) if app else program.abandon()
        return

    # Controls by role, name and description.
    for role, name, description in CONTROLS:
        node = find(frame, role, name)
        if check(node is not None, "found %s %r" % (role, name)):
            check(description is None or node.description == description,
                  "description of %r" % name)
    combo = find(frame, "combo box", "500")
    if combo:
        labels = [r for r in combo.getRelationSet()
                  if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        check(labels and labels[0].getTarget(0).name == "Message buffer size",
              "the buffer picker is labelled 'Message buffer size'")
        # Orca reads a closed picker's value from its text.
        text = combo.queryText()
        check(text.getText(0, text.characterCount) == "500", "the buffer picker reads '500'")
    for name, label in (("All channels", "Channel filter"), ("All groups", "Group filter")):
        picker = find(frame, "combo box", name)
        if picker:
            labels = [r for r in picker.getRelationSet()
                      if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
            check(labels and labels[0].getTarget(0).name == label,
                  "the %r picker is labelled %r" % (name, label))
    wait_for(lambda: find(frame, "label", None, HEADER), "the header reads as one element")
    check(find(frame, "image", None) is None and find(frame, "icon", None) is None,
          "no logo image is exposed")

    # A row is one item with its combined text.
    wait_for(lambda: messages.childCount >= 5, "the Demo fills the list")
    row = messages.getChildAtIndex(1)
    check(row.getRoleName() == "list item"
          and re.fullmatch(ROW + TIME_SINCE_START, row.name) is not None,
          "a row reads as one item, its arrival time last: %r" % row.name)
    check(row.childCount == 0, "a row has no children of its own")

    # While the Demo plays and nobody acts, the window says almost nothing: a stream of events
    # (a scroll bar value, a count per arrival) keeps a screen reader busy and late.
    quiet = []
    listener = lambda event: quiet.append(event.type)  # noqa: E731
    pyatspi.Registry.registerEventListener(listener, "object", "focus", "window")
    pump(QUIET_SECONDS)
    pyatspi.Registry.deregisterEventListener(listener, "object", "focus", "window")
    print("demo playing: %d events in %.0f s" % (len(quiet), QUIET_SECONDS))
    check(len(quiet) <= QUIET_SECONDS, "the playing Demo sends at most 1 event a second")

    # The narration level is read from its radio buttons: the one that is on takes the focus.
    off = find(frame, "radio button", "TTS Off")
    check(off is not None and has_state(off, pyatspi.STATE_FOCUSABLE) and checked(off),
          "the level that is on is a focusable radio button")

    check_list_holds_still(app, messages)
    check_pause_and_time(app, frame, messages)

    # Keys work at once, without a click, and their effect is visible to the screen reader.
    legend = find(frame, "check box", "MIDI 1.0 Channel Voice")
    check(legend is not None and checked(legend), "the first type is shown at start")
    key("1")
    wait_for(lambda: not checked(legend), "key 1 unchecks 'MIDI 1.0 Channel Voice'")
    key("1")
    wait_for(lambda: checked(legend), "key 1 again checks it")
    key("shift+t")
    short = find(frame, "radio button", "TTS Short")
    wait_for(lambda: short is not None and checked(short), "key T selects 'TTS Short'")
    key("t")
    verbose = find(frame, "radio button", "TTS Verbose")
    wait_for(lambda: verbose is not None and checked(verbose), "key T again selects 'TTS Verbose'")
    key("t")
    key("s")
    sensing = find(frame, "check box", "No Active Sensing")
    wait_for(lambda: checked(sensing), "key S checks 'No Active Sensing'")
    # Alt and the label's letter reach a picker, where the arrows choose; C alone is still
    # the MIDI Clock switch.
    channels = find(frame, "combo box", "All channels")
    key("alt+c")
    wait_for(lambda: channels is not None and has_state(channels, pyatspi.STATE_FOCUSED),
             "Alt+C focuses the channel picker")
    key("Down")
    wait_for(lambda: channels.name == "Channel 1", "Down chooses 'Channel 1'")
    key("Up")
    wait_for(lambda: channels.name == "All channels", "Up chooses 'All channels' again")
    key("Escape")
    clock = find(frame, "check box", "No MIDI Clock")
    messages.queryComponent().grabFocus()
    key("c")
    wait_for(lambda: checked(clock), "key C still checks 'No MIDI Clock'")
    key("c")
    wait_for(lambda: not checked(clock), "key C again unchecks it")

    # The sheets: the breakdown by a row's More (its press action) and by Enter on the current
    # row, Device Settings by D, the User Guide by its button, pressed and by keyboard. The keys M
    # and G read aloud with a sheet in front, and the reading buttons follow.
    sheet_opens_and_closes(app, messages, "a row's More", lambda: press_a_rows_more(app, messages),
                           "Message Fields")
    sheet_opens_and_closes(app, messages, "Enter on the current row", lambda: key("Return"),
                           "Message Fields",
                           lambda sheet: reading_toggles(sheet, "m", "Read More Aloud"))
    sheet_opens_and_closes(app, messages, "the D key", lambda: key("d"), "Devices",
                           pan_reads_as_text)
    guide = find(frame, "push button", "User Guide")
    sheet_opens_and_closes(app, messages, "the User Guide button",
                           lambda: guide.queryAction().doAction(0), "User Guide")

    def press_guide_by_keyboard():
        guide.queryComponent().grabFocus()
        wait_for(lambda: has_state(guide, pyatspi.STATE_FOCUSED),
                 "the User Guide button takes the focus")
        key("space")

    sheet_opens_and_closes(app, messages, "Space on the User Guide button",
                           press_guide_by_keyboard, "User Guide",
                           lambda sheet: reading_toggles(sheet, "g", "Read Guide Aloud"))
    check(program.alive(), "the window survives its sheets")

    # The save dialog of E, closed by Escape, hands the focus back as the sheets do.
    key("e")
    title = "Export Messages to CSV"
    if wait_for(lambda: find(app, "dialog", title), "the E key opens %r" % title):
        key("Escape")
        wait_for(lambda: find(app, "dialog", title) is None, "Escape closes %r" % title)
        wait_for(lambda: has_state(messages, pyatspi.STATE_FOCUSED),
                 "the list has the focus after the save dialog")

    # The File menu's capture dialogs, by their keys: named, the Open one with its check box.
    for item in ("Open Capture\u2026", "Save Capture\u2026"):
        check(find(app, "menu item", item) is not None, "the File menu has %r" % item)
    for shortcut, title in (("ctrl+o", "Open Capture"), ("ctrl+s", "Save Capture")):
        key(shortcut)
        dialog = wait_for(lambda: find(app, "dialog", title), "%s opens %r" % (shortcut, title))
        if not dialog:
            continue
        if title == "Open Capture":
            box = find(dialog, "check box", "Play at once")
            if check(box is not None, "the Open dialog has the check box 'Play at once'"):
                check(box.description == OPEN_HINT, "description of 'Play at once'")
        key("Escape")
        wait_for(lambda: find(app, "dialog", title) is None, "Escape closes %r" % title)
    wait_for(lambda: has_state(messages, pyatspi.STATE_FOCUSED),
             "the list has the focus after the capture dialogs")

    # Clear while a row is current: the Demo keeps playing, so only the survival is certain.
    stale = messages.getChildAtIndex(0)
    clear = find(frame, "push button", "Clear")
    clear.queryAction().doAction(0)
    pump(0.5)
    try:
        _ = stale.name  # a row that is gone: no answer, and no crash
    except Exception:
        pass
    walk(frame)
    check(program.alive(), "the window survives Clear with a current row")

    # About: open from the Help menu, read it, close it, and look again.
    about_item = wait_for(lambda: find(app, "menu item", "About Umbrascope"), "the About menu item")
    if about_item:
        about_item.queryAction().doAction(0)
        dialog = wait_for(lambda: find(app, "dialog", "About Umbrascope"), "the About dialog")
        if dialog:
            check(find(dialog, "label", "A simple MIDI 2.0 (UMP) monitor.") is not None,
                  "the credits line")
            check(find(dialog, "label", "Umbrascope") is not None, "the name")
            second = find(frame, "check box", "MIDI 2.0 Channel Voice")
            key("2")
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
    program.finish(app)


def write_burst(directory):
    """BURST notes, velocity = line number, all but the first without a delay."""
    path = os.path.join(directory, "burst.ump")
    with open(path, "w") as out:
        out.write("@source Burst\n")
        for i in range(BURST):
            delay = "+%d " % BURST_DELAY if i == 0 else ""
            out.write("%s40903C00 %04X0000\n" % (delay, i))
    return path


def row_hex(i):
    return "40903C00  %04X0000" % i


def check_burst(path, directory):
    events = []
    listener = lambda event: events.append((time.monotonic(), event.type))  # noqa: E731
    pyatspi.Registry.registerEventListener(listener, "object", "focus", "window")
    program = Program(path, write_burst(directory))
    app, frame, messages = application(program)
    if not messages:
        pyatspi.Registry.deregisterEventListener(listener, "object", "focus", "window")
        program.finish(app) if app else program.abandon()
        return
    # Events are counted from here, while the window waits for the burst; frames from the burst's
    # first row, so the wait adds to the count but not to the bound.
    started_before = messages.childCount > 0
    counted_from = time.monotonic()
    wait_for(lambda: messages.childCount > 0, "the burst starts", deadline=2 * DEADLINE)
    start = time.monotonic()
    last = row_hex(BURST - 1)
    done = wait_for(lambda: last in messages.getChildAtIndex(messages.childCount - 1).name,
                    "the burst's last message is the last row", deadline=3 * DEADLINE)
    end = time.monotonic()
    pump(1.0)  # events still on their way
    pyatspi.Registry.deregisterEventListener(listener, "object", "focus", "window")

    during = [kind for (at, kind) in events if at >= counted_from]
    frames = (end - start) / FRAME + 1
    kinds = {}
    for kind in during:
        kinds[kind] = kinds.get(kind, 0) + 1
    print("burst: %d events in %.2f s (%.1f frames)%s: %s"
          % (len(during), end - start, frames,
             " (it had started before the list was found)" if started_before else "", kinds))
    check(done is not None and program.alive(), "the window survives the burst")
    check(len(during) <= 2 * frames + 20, "events stay bounded per frame")
    # The row a screen reader is on may leave under it: it is told where the focus went once
    # (three events), and rows leaving after that move it quietly, however long the burst lasts;
    # the list taking the focus adds one more such announcement.
    focus_events = kinds.get("focus:", 0) + kinds.get("object:state-changed:focused", 0)
    check(focus_events <= 3 * 2,
          "the focus does not wander during the burst (%d focus events in %.2f s)"
          % (focus_events, end - start))
    # The list scrolls once, 0.08 s after the last message, and without animation steps.
    check(kinds.get("object:property-change:accessible-value", 0) <= 3,
          "the list's scrolling is one value change, not one per animation step")
    if done:
        check(showing(find(frame, "label", "Buffer Full, Oldest messages are being discarded")),
              "the buffer-full badge after the burst")
        check(messages.childCount == 500, "the list holds the last 500 rows")
        rows = {k: messages.getChildAtIndex(k).name for k in (0, 250, 499)}
        check(all(row_hex(BURST - 500 + k) in name for k, name in rows.items()),
              "the rows kept are the last 500 messages, none lost: %r" % rows)

    # Clear with a current row, once nothing else arrives.
    clear = find(frame, "push button", "Clear")
    clear.queryAction().doAction(0)
    wait_for(lambda: messages.childCount == 0, "the list is empty after Clear")
    idle = find(frame, "label", "Idle, No messages received")
    full = find(frame, "label", "Buffer Full, Oldest messages are being discarded")
    wait_for(lambda: showing(idle), "the idle badge after Clear")
    check(full is not None and not showing(full), "no buffer-full badge after Clear")
    check(program.alive(), "the window survives Clear with a current row")
    program.finish(app)


def main():
    with tempfile.TemporaryDirectory() as directory:
        check_demo_window(sys.argv[1])
        check_burst(sys.argv[1], directory)


if __name__ == "__main__":
    try:
        main()
    finally:
        print("atspi: %d passed, %d failed" % (len(passes), len(failures)), flush=True)
    sys.exit(1 if failures else 0)
