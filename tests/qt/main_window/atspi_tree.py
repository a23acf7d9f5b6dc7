#!/usr/bin/python3
"""Reads the running strip through AT-SPI, as a screen reader does.

Usage: atspi_tree.py <pid> <expected forecast> [seconds]

Waits (at most `seconds`, default 20) until the program with that process id
offers an element named "Forecast" on the accessibility bus, prints the
program's tree (role, name, description, text of each element) and exits 0
when that element's text is the expected forecast, 1 otherwise.
"""
import sys
import time

import pyatspi


def text_of(element):
    try:
        text = element.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, -1)


def walk(element, depth=0):
    yield depth, element
    for i in range(element.childCount):
        child = element.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find_program(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        program = desktop.getChildAtIndex(i)
        try:
            if program is not None and program.get_process_id() == pid:
                return program
        except Exception:  # a program that left the bus meanwhile
            continue
    return None


def main():
    pid = int(sys.argv[1])
    expected = sys.argv[2]
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 20.0
    deadline = time.monotonic() + seconds
    forecast = None
    while time.monotonic() < deadline:
        program = find_program(pid)
        if program is not None:
            forecast = next((e for _, e in walk(program) if e.name == "Forecast"), None)
            if forecast is not None:
                break
        time.sleep(0.2)
    if forecast is None:
        print("FAIL: no element named Forecast from process %d on the bus" % pid)
        return 1
    for depth, element in walk(program):
        if element.getRoleName() in ("menu", "menu item", "separator") or not element.getState().contains(pyatspi.STATE_VISIBLE):
            continue  # the popup menu, shown on request only; hidden pictures
        text = text_of(element)
        print("%s%s | %r | %r%s" % ("  " * depth, element.getRoleName(), element.name,
                                     element.description,
                                     "" if text is None else " | text %r" % text))
    read = text_of(forecast)
    if read != expected:
        print("FAIL: the ticker reads %r, stored %r" % (read, expected))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
