"""A journey through Vantrel with key presses only, checked against what Orca spoke.

Run by orca_journey.sh, which starts Orca with speech-dispatcher writing what it speaks to
SPOKEN, under a private X server with a window manager:
    orca_journey.py PROGRAM SPOKEN ORCA_PID

Every step waits for the words it expects, with time to spare on a loaded machine, rather
than for a fixed time.
"""

import datetime
import os
import re
import signal
import subprocess
import sys
import time

import a11y_setup

STEP_TIMEOUT = 90.0


class Speech:
    """What Orca has spoken, read from the end of the last step on."""

    def __init__(self, path):
        self.path = path
        self.mark = 0

    def text(self):
        with open(self.path, encoding="utf-8", errors="replace") as log:
            return log.read()

    def begin(self):
        self.mark = len(self.text())

    def never(self, what, pattern):
        """Checks that nothing matching pattern was spoken since the step began."""
        since = re.sub(r"\s+", " ", self.text()[self.mark:])
        if re.search(pattern, since):
            raise AssertionError("Orca spoke %s (/%s/):\n%s" % (what, pattern, since))

    def expect(self, what, pattern, timeout=STEP_TIMEOUT):
        deadline = time.monotonic() + timeout
        regex = re.compile(pattern, re.S)
        while True:
            # Speech-dispatcher's module gets a message a sentence at a time: one line each.
            since = re.sub(r"\s+", " ", self.text()[self.mark:])
            found = regex.search(since)
            if found:
                print("spoken for %s: %r" % (what, found.group(0)))
                return found.group(0)
            if time.monotonic() > deadline:
                raise AssertionError("Orca did not speak %s (/%s/); it spoke since the step:\n%s"
                                     % (what, pattern, since))
            time.sleep(0.2)


def keys(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--delay", "150", name], check=True)
        # Orca must see each key on its own, as a person's typing gives it.
        time.sleep(0.4)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "200", text], check=True)
    time.sleep(0.4)


def say(speech, pressed, what, pattern, typed=False, timeout=STEP_TIMEOUT):
    """Presses keys (or types text) and waits until Orca speaks what is expected."""
    speech.begin()
    for item in pressed:
        if typed:
            type_text(item)
        else:
            keys(item)
    return speech.expect(what, pattern, timeout)


def press_until(speech, key, what, pattern, tries):
    """Presses a key until Orca speaks what is expected, at most `tries` times."""
    for _ in range(tries - 1):
        try:
            return say(speech, [key], what, pattern, timeout=10)
        except AssertionError:
            continue
    return say(speech, [key], what, pattern)


def menu_with_reader_held(speech, orca):
    """Opens the Help menu with Alt+H while the screen reader is held up, as a busy one is: the
    program then gets the Alt press back only after the menu has opened. The menu must stay open
    (Down reads its next entry) rather than close and hand Down to the window beneath."""
    speech.begin()
    os.kill(orca, signal.SIGSTOP)
    try:
        subprocess.run(["xdotool", "key", "alt+h"], check=True)
        # Far longer than the toolkit waits for the screen reader's answer to a key.
        time.sleep(1.0)
    finally:
        os.kill(orca, signal.SIGCONT)
    speech.expect("the Help menu opened", r"Online Help")
    say(speech, ["Down"], "the Help menu still open", r"Visit Us Online")
    speech.begin()
    keys("Escape", "Escape")


def spoken_date(day):
    return "%d %s %d" % (day.day, day.strftime("%B"), day.year)


def journey(speech, orca):
    today = datetime.date.today()

    # The start-up window opens with the analysis type in focus.
    speech.expect("the first focus", r"Type of Analysis combo box")

    # A menu opened by its shortcut stays open however late the screen reader answers.
    for _ in range(3):
        menu_with_reader_held(speech, orca)
    speech.expect("the focus back on the analysis type", r"Type of Analysis combo box")

    # The analysis type, chosen with the arrow keys, then Where Am I (keypad Enter).
    say(speech, ["Down"], "the analysis type chosen", r"notification SELF")
    say(speech, ["KP_Enter"], "Where Am I on the analysis type",
        r"Type of Analysis combo box\. SELF")

    # On to the entry panel: Recall Information, then Next.
    say(speech, ["Tab"], "the focus on Recall Information", r"Recall Information")
    say(speech, ["Tab"], "the focus on Next", r"Next")
    say(speech, ["space"], "the entry panel's first field", r"Person's Name")

    # The member: a name, then a date of birth typed in the field's own form and read back
    # (a key it cannot take refused out loud first).
    type_text("Ann")
    say(speech, ["Tab"], "the date field", r"Date of Birth")
    say(speech, ["x"], "a refused key", r"Not taken: type the date as day, month name, year\. "
        r"The date stays 26 Dec 2006", typed=True)
    say(speech, ["14 Mar 1984"], "the typed date read back", r"notification 14 Mar 1984",
        typed=True)
    speech.never("the closed calendar while the date was typed", r"table with")

    # The sex option buttons, named with their group's label (the swatch is off for SELF).
    press_until(speech, "Tab", "the first sex option", r"Sex\. Male\. not selected radio button",
                4)
    say(speech, ["space"], "the option chosen", r"selected")

    # Next stores the member: the progress line is spoken.
    say(speech, ["alt+n"], "the progress after storing the member",
        r"notification You have already entered your details")

    # View Result: the chart opens with itself in focus, and says where the curves stand.
    say(speech, ["alt+v"], "the chart's description after View Result",
        r"Biorhythm chart of Ann chart\. Report date %s\. Ann, Physical: [a-z ,]+; "
        r"next crossing [0-9]+ [A-Za-z]+ [0-9]+\. Ann, Emotional: .*Ann, Intellectual: "
        % re.escape(spoken_date(today)))

    # Next Day, pressed on its picture button: the new description is spoken.
    for name in ("Previous Day", "Today", "Show All", "Next Day"):
        say(speech, ["Tab"], "the focus on " + name, name)
    tomorrow = today + datetime.timedelta(days=1)
    say(speech, ["space"], "the chart's description after Next Day",
        r"notification Report date %s\. Ann, Physical: .*Ann, Intellectual: "
        % re.escape(spoken_date(tomorrow)))

    # A view of its own: the explanation heading, then the one cycle.
    say(speech, ["alt+p"], "the Physical view",
        r"notification Physical: Report date %s\. Ann, Physical: [a-z ,]+; next crossing "
        r"[0-9]+ [A-Za-z]+ [0-9]+\.(?! Ann, Emotional)" % re.escape(spoken_date(tomorrow)))

    # Back To Main: the start-up window is built again.
    say(speech, ["alt+b"], "the rebuilt start-up window", r"Type of Analysis combo box")

    # SELF, Recall Information, and a tick on the saved list and off again.
    say(speech, ["Down"], "SELF chosen again", r"SELF")
    say(speech, ["Tab"], "the focus on Recall Information", r"Recall Information")
    say(speech, ["space"], "the saved list, named",
        r"Saved Information You can choose to view the chart or delete information for a "
        r"maximum of 1 Person\(s\) list")
    # The first entry is the current one; Down goes to the second, and says it is unticked.
    say(speech, ["Down"], "the second saved person", r"Bob check box not checked")
    say(speech, ["space"], "the tick", r"(?<!not )checked")
    say(speech, ["space"], "the untick", r"not checked")


def main():
    program, spoken, orca = sys.argv[1], sys.argv[2], int(sys.argv[3])
    env = a11y_setup.prepare(program)

    speech = Speech(spoken)
    started = time.monotonic()
    # Orca first, so that it meets the program from its first window on.
    speech.expect("Orca's start", r"Screen reader on", 120)
    speech.begin()
    process = subprocess.Popen([program], env=env)
    failed = None
    try:
        journey(speech, orca)
    except AssertionError as error:
        failed = str(error)
    finally:
        a11y_setup.end(process)
    if failed:
        print("FAIL: " + failed)
    print("%s in %.1f s" % ("FAILED" if failed else "passed", time.monotonic() - started))
    return 1 if failed else 0


if __name__ == "__main__":
    # Stopped by the runner's time limit: still end the program on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main())
