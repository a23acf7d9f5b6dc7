#!/usr/bin/python3
"""Runs the strip under the screen reader Orca and checks what Orca says.

Usage: orca_speech.py <program> <orca debug file> <documents folder> <update request file>

Run by orca_test.sh once Orca runs (in a D-Bus session with the accessibility
bus, on a display with a window manager) and writes its debug file, where
every utterance is a "SPEECH OUTPUT" line. The program shows a stored
forecast, takes its documents from a server that serves the folder's files
as they stand, and runs its half-hourly update whenever the request file
appears (update_request_program.cpp). Its settings are in $XDG_CONFIG_HOME,
which is the test's own.

Each step acts (a key, a click, a new forecast), waits until Orca has
spoken and fallen quiet, and checks the utterances of that step. Prints
every utterance under its step; exits 0 when all steps hold. Every wait is
bounded.
"""
import os
import re
import signal
import subprocess
import sys
import time

STORED = "Snow tonight, 5 cm."
HINT = "Last Updated Monday, December 7, 2026 at 2:03:14 PM"
# The stored texts; no start-up update.
SETTINGS = """[settings]
onstart=0
[weather]
last forecast={forecast}
last marrowby=MARROWBY  LGT SNOW 30
last wendmoore=WENDMOORE  SNOW 28
last update={hint}
""".format(forecast=STORED, hint=HINT)
# Forecasts the server gives later, as the program cuts them from the zone
# forecast (the paragraph up to the full stop before "<END>").
BY_TIMER = ".TONIGHT...CLEARING, LOWS NEAR 10"
BY_UPDATE_NOW = ".TOMORROW...SUNNY, HIGHS NEAR 40"

ROUNDUP = """REGIONAL WEATHER ROUNDUP
NATIONAL WEATHER SERVICE MARROWBY BK

...BRENNIK BASIN AND THE NORTHERN COAST...

CITY           SKY/WX    TMP DP  RH WIND       PRES   REMARKS
MARROWBY       FLURRIES   22 19  88 S12        29.52F WCI  10 TC -6
WENDMOORE      SNOW       20 18  90 N5         29.60F WCI   9 TC -7
"""
ZONE = """ZONE FORECAST PRODUCT
NATIONAL WEATHER SERVICE MARROWBY BK

BKZ014-081753-
MARROWBY METRO-
INCLUDING MARROWBY METRO...HALLOWAY...KELLAND
{paragraph}.<END>
"""

SPEECH = re.compile(r"SPEECH OUTPUT: '(.*)'(?: voice=\w+)? ?\{")


class Failure(Exception):
    pass


class Orca:
    """What Orca has said so far, from its debug file."""

    def __init__(self, debug_file):
        self.debug_file = debug_file

    def _text(self):
        try:
            with open(self.debug_file, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:  # Orca has yet to start it
            return ""

    def utterances(self):
        """Everything spoken, without the echo of pressed keys (a key's name
        and a blank)."""
        spoken = (m.group(1) for m in SPEECH.finditer(self._text()))
        return [s for s in spoken if not s.endswith(" ")]

    def wait_until(self, what, holds, seconds=60):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if holds():
                return
            time.sleep(0.1)
        raise Failure("waited %d s for %s" % (seconds, what))

    def wait_quiet(self, seconds=1.0, at_most=60):
        """Until the debug file has not grown for `seconds`: Orca has dealt
        with every event of the step."""
        deadline = time.monotonic() + at_most
        size, since = -1, time.monotonic()
        while time.monotonic() < deadline:
            now = os.path.getsize(self.debug_file) if os.path.exists(self.debug_file) else 0
            if now != size:
                size, since = now, time.monotonic()
            elif time.monotonic() - since >= seconds:
                return
            time.sleep(0.1)
        raise Failure("Orca did not fall quiet within %d s" % at_most)


def spoken_as(text):
    """An utterance that says `text`: Orca ends a phrase that ends in a letter
    or digit with a full stop."""
    return lambda u: u.rstrip(".") == text.rstrip(".")


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True,
                          timeout=20).stdout


def write_atomically(path, text):
    with open(path + ".tmp", "w", encoding="ascii") as f:
        f.write(text)
    os.rename(path + ".tmp", path)


def serve(documents, forecast):
    write_atomically(os.path.join(documents, "ASUS46.KMRB"), ROUNDUP)
    write_atomically(os.path.join(documents, "FPUS05.KMRB"), ZONE.format(paragraph=forecast))


class Session:
    def __init__(self, orca):
        self.orca = orca
        self.failures = []

    def step(self, name, act, until, settle=1.0):
        """Acts, waits until `until` holds for the step's utterances, waits
        for quiet; returns the step's utterances."""
        start = len(self.orca.utterances())
        act()
        self.orca.wait_until(name, lambda: until(self.orca.utterances()[start:]))
        self.orca.wait_quiet(settle)
        said = self.orca.utterances()[start:]
        print("%s:" % name)
        for u in said:
            print("    SPEECH OUTPUT: %r" % u)
        return said

    def expect(self, holds, message):
        if not holds:
            self.failures.append(message)
            print("FAIL: " + message)


def main():
    program, debug_file, documents, request = sys.argv[1:5]
    orca = Orca(debug_file)
    orca.wait_until("Orca to start", lambda: "Screen reader on." in orca.utterances())
    orca.wait_quiet()
    speech_server = "SPEECH: Using speech server factory: speechdispatcherfactory"
    if speech_server not in orca._text():
        print("FAIL: Orca speaks without Speech Dispatcher")
        return 1

    settings = os.path.join(os.environ["XDG_CONFIG_HOME"], "Tidewell", "Aerolume.ini")
    os.makedirs(os.path.dirname(settings), exist_ok=True)
    write_atomically(settings, SETTINGS)
    serve(documents, STORED)
    session = Session(orca)
    app = []  # started by the first step, so that all it makes Orca say counts

    def start_and_click():
        app.append(subprocess.Popen([program], stdout=open(debug_file + ".app", "w"),
                                    stderr=subprocess.STDOUT))
        click_strip(app[0].pid)

    try:
        said = session.step("The strip is activated and clicked", start_and_click,
                            lambda said: any(map(spoken_as(STORED), said)))
        at = said.index("Forecast read only text.") if "Forecast read only text." in said else -1
        session.expect(0 <= at < len(said) - 1 and spoken_as(STORED)(said[at + 1]),
                       "no \"Forecast read only text.\" and then the forecast on focus")
        session.expect(sum(map(spoken_as(STORED), said)) == 1, "the forecast not said once")
        # As before: the window by its title, and its hint.
        session.expect(any(u.endswith(" frame.") for u in said[:max(at, 0)]), "no window title")
        session.expect(HINT + "." in said, "no hint")

        said = session.step("Ticker steps", lambda: time.sleep(2), lambda said: True)
        session.expect(said == [], "something was said while the ticker stepped")

        said = session.step(
            "A new forecast from the half-hourly update while the strip has the focus",
            lambda: (serve(documents, BY_TIMER), open(request, "w").close()),
            lambda said: any(map(spoken_as(BY_TIMER), said)))
        session.expect(sum(map(spoken_as(BY_TIMER), said)) == 1, "the new forecast not said once")
        session.expect("notification New forecast." in said, "not announced as a new forecast")
        session.expect("Forecast read only text." not in said, "the ticker was presented anew")

        for keys in ("shift+F10", "Menu"):
            said = session.step(keys, lambda: xdotool("key", keys), lambda said: said != [])
            session.expect(said == ["Forecast."],
                           "%s: not the first item alone, but %r" % (keys, said))
            session.step("Escape", lambda: xdotool("key", "Escape"),
                         lambda said: "Forecast read only text." in said)

        session.step("Menu", lambda: (serve(documents, BY_UPDATE_NOW), xdotool("key", "Menu")),
                     lambda said: "Forecast." in said)
        session.step("Down", lambda: xdotool("key", "Down"), lambda said: "Update Now." in said)
        said = session.step("Return on Update Now", lambda: xdotool("key", "Return"),
                            lambda said: any(map(spoken_as(BY_UPDATE_NOW), said)), settle=2.0)
        session.expect(sum(map(spoken_as(BY_UPDATE_NOW), said)) == 1,
                       "the forecast of Update Now not said once")
    except Failure as failure:
        session.failures.append(str(failure))
        print("FAIL: %s" % failure)
    finally:
        status = end(app[0]) if app else 0
    if status != 0:
        with open(debug_file + ".app") as f:
            print(f.read())
        print("FAIL: the program ended with status %d" % status)
        return 1
    return 1 if session.failures else 0


def click_strip(pid):
    """Activates the strip and clicks its ticker. The pointer stays on the
    strip, to the right of where the menu opens below the ticker: over the
    menu it would choose an item, and off the strip the keyboard focus would
    follow it when the menu closes."""
    window = None
    deadline = time.monotonic() + 60
    while window is None and time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                               capture_output=True, text=True, timeout=20).stdout.split()
        window = found[0] if found else None
        time.sleep(0.2)
    if window is None:
        raise Failure("no window of the program")
    # Fails without harm where the window manager names no desktop.
    subprocess.run(["xdotool", "windowactivate", window], capture_output=True, timeout=20)
    xdotool("mousemove", "--window", window, "300", "17", "click", "1")


def end(app):
    if app.poll() is None:
        app.send_signal(signal.SIGTERM)
    try:
        return app.wait(timeout=30)
    except subprocess.TimeoutExpired:
        app.kill()
        app.wait()
        return -signal.SIGKILL


if __name__ == "__main__":
    sys.exit(main())
