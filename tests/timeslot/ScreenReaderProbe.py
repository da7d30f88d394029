#!/usr/bin/python3
"""Reads clsQuilvet inside quilvet-host through AT-SPI, as a screen reader does.

Moves the thumb with the keyboard and reads the end time from the slider and
from the period row; types digits into Monday's price box and counts the boxes
that report a change of their text. Prints what differs and exits 1 then.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

DAYS = ["星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期天", "节日"]
failures = []
events = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def pump(seconds, done=lambda: False):
    """Delivers the bridge's events until done() or the time is up."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        for _ in range(1000):  # bounded: a source that is always ready cannot hold the probe
            if not context.pending():
                break
            context.iteration(False)
        if done() or time.monotonic() >= end:
            return done()
        time.sleep(0.02)


def descendants(node, wanted):
    found = []
    for child in node:
        if child is None:
            continue
        if wanted(child):
            found.append(child)
        found.extend(descendants(child, wanted))
    return found


def find_slider():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "quilvet-host":
            sliders = descendants(app, lambda node: node.getRole() == pyatspi.ROLE_SLIDER)
            if sliders:
                return sliders[0]
    return None


def xdotool(*arguments):
    subprocess.run(["xdotool", *arguments], check=True)


def focus(node):
    node.queryComponent().grabFocus()
    return pump(10, lambda: node.getState().contains(pyatspi.STATE_FOCUSED))


def text_of(box):
    return box.queryText().getText(0, -1)


def changes_by_box(boxes):
    """How many insertions and deletions each box reported."""
    counts = {}
    for kind, source in events:
        if source in boxes:
            name = source.name
            inserted, deleted = counts.get(name, (0, 0))
            counts[name] = (inserted + kind.endswith("insert"), deleted + kind.endswith("delete"))
    return counts


def period_row(control):
    """The names of the showing labels that read the period row."""
    return [label.name for label in descendants(control, lambda node: node.getRole() == pyatspi.ROLE_LABEL
            and node.getState().contains(pyatspi.STATE_SHOWING) and node.name.startswith("时间段"))]


def on_event(event):
    events.append((event.type, event.source))


def main():
    slider = None
    end = time.monotonic() + 60
    while slider is None and time.monotonic() < end:
        slider = find_slider()
        if slider is None:
            time.sleep(0.2)
    if slider is None:
        print("quilvet-host with the control never appeared on the accessibility bus")
        return 1
    control = slider.parent
    pyatspi.Registry.registerEventListener(
        on_event, "object:property-change:accessible-description",
        "object:property-change:accessible-name", "object:text-changed")
    xdotool("search", "--sync", "--onlyvisible", "--name", "^quilvet-host$", "windowfocus", "--sync")

    # The thumb from 24:00 (slot 48 of 48) back twelve half hours, by keyboard.
    # Read once before the move, so that a reader's cache holds the old texts.
    check(slider.description == "23:59", f"slider description before the move: {slider.description!r}")
    check(period_row(control) == ["时间段： 00:00 － 23:59"], f"period row before the move: {period_row(control)}")
    check(focus(slider), "the slider took no focus")
    xdotool("key", "--delay", "20", *["Left"] * 12)
    pump(15, lambda: slider.queryValue().currentValue == 36
         and any(kind.endswith("accessible-description") and source == slider for kind, source in events))
    check(slider.queryValue().currentValue == 36, f"slider value {slider.queryValue().currentValue}")
    check(slider.description == "18:00", f"slider description after the move: {slider.description!r}")
    check(period_row(control) == ["时间段： 00:00 － 18:00"], f"period row after the move: {period_row(control)}")

    boxes = sorted(descendants(control, lambda node: node.getRole() == pyatspi.ROLE_TEXT
                               and node.name.split(" ")[0] in DAYS),
                   key=lambda box: DAYS.index(box.name.split(" ")[0]))
    if not check(len(boxes) == 8, f"{len(boxes)} price boxes"):
        return report()
    check(focus(boxes[0]), "Monday's box took no focus")
    xdotool("key", "End")
    for digit, text, changed in (("5", "15", DAYS[:1]), ("0", "150", DAYS)):
        events.clear()
        xdotool("type", digit)
        pump(15, lambda: all(text_of(box) == text for box in boxes))
        check(all(text_of(box) == text for box in boxes), f"texts after {digit}: {[text_of(b) for b in boxes]}")
        pump(1)  # the changes still on their way
        counts = changes_by_box(boxes)
        reported = [name.split(" ")[0] for name in counts]
        check(sorted(reported, key=DAYS.index) == changed, f"boxes that reported {digit}: {reported}")
        # A replacement arrives as one deletion and one insertion at most.
        check(all(inserted == 1 and deleted <= 1 for inserted, deleted in counts.values()),
              f"changes per box for {digit}: {counts}")
    return report()


def report():
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("the slider's time, the period row and the price boxes read as expected")
    return 1 if failures else 0


def run_inside_the_event_loop():
    """Runs the probe from the reader's event loop, where the AT-SPI client
    trusts its cache of names and descriptions, as a screen reader does."""
    global status
    try:
        status = main()
    finally:
        pyatspi.Registry.stop()
    return False


status = 1
GLib.idle_add(run_inside_the_event_loop)
pyatspi.Registry.start(gil=False)
sys.exit(status)
