"""The whole recording workflow of the Windows program, under Wine, with real sound.

Run it inside tests/support/with_wine_display (display and Chinese prefix) and through
tests/support/with_sound_server, whose 440 Hz sine Wine records through PulseAudio: it types a
full Windows path into Wine's own save dialog, records for about 3 s, stops, dismisses the saved
box, waits out the pause after it, quits, and judges the file with the Linux workflow's checks.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from workflow_test import (MAIN_TITLE, RECORD_SECONDS, SAVED_TITLE, Abort, Checks,  # noqa: E402
                           dismiss_and_wait_out_the_pause, find, parse_arguments,
                           quit_and_judge)
from x_session import XSession  # noqa: E402

SKIP = 77
DIALOG_TITLE = "^另存为$"  # Wine's own title in the Chinese prefix
PROGRAM_SECONDS = 150  # bounds the whole run of the program: it must never outlive the test


class WineSession(XSession):
    """Drives the display with_wine_display set up: no Xvfb of its own and no window manager
    (the prefix has Managed=N, so Wine draws the frames inside each X window)."""

    def __enter__(self):
        self.env = dict(os.environ)
        return self

    def outer_rect(self, window):
        info = self.run(["xwininfo", "-id", window]).stdout
        value = {line.split(":")[0].strip(): line.split(":")[1].strip()
                 for line in info.splitlines() if ":" in line}
        x, y = int(value["Absolute upper-left X"]), int(value["Absolute upper-left Y"])
        return (x, y, int(value["Width"]), int(value["Height"])), (x, y)


def windows_path(path):
    """Wine maps drive Z: to the Linux root."""
    return "Z:" + path.replace("/", "\\")


def run_workflow(checks, session, program, target, artifacts):
    def shot(name, window):
        session.screenshot(os.path.join(artifacts, name), session.outer_rect(window)[0])

    main = find(session, MAIN_TITLE, 30)
    checks.require(main is not None, "the main window 'Sonavel 1.0' appears")
    time.sleep(0.5)
    shot("windows-workflow-main.png", main)

    session.press(main, "alt+o")
    dialog = find(session, DIALOG_TITLE, 20)
    checks.require(dialog is not None, "Alt+O opens Wine's save dialog 另存为")
    session.type_text(dialog, windows_path(target))
    time.sleep(0.3)
    shot("windows-workflow-save-dialog.png", dialog)
    session.press(dialog, "Return")
    checks.require(session.window_gone(DIALOG_TITLE, 10), "Enter confirms the typed path")
    time.sleep(0.3)

    record_key = session.press(main, "alt+r")
    time.sleep(max(0.0, record_key + RECORD_SECONDS - time.monotonic()))
    stop_key = session.press(main, "alt+s")

    box = find(session, SAVED_TITLE, 20)
    checks.require(box is not None, "Alt+S shows the box titled 恭喜")
    checks.require(os.path.exists(target), f"the recording is at {target}")
    size_at_box = os.path.getsize(target)
    time.sleep(0.3)
    shot("windows-workflow-saved-box.png", box)

    dismiss_and_wait_out_the_pause(checks, session, main, box)

    quit_and_judge(checks, session, main, program, target, size_at_box, stop_key - record_key)


def main():
    args = parse_arguments()
    if args is None:
        return 2
    if not os.environ.get("SONAVEL_WINE_DISPLAY"):
        print("run this inside tests/support/with_wine_display: it needs its display and prefix",
              file=sys.stderr)
        return SKIP
    os.makedirs(args.artifacts, exist_ok=True)

    checks = Checks()
    folder = tempfile.mkdtemp(prefix="sonavel-wine-workflow-")
    # The space and the upper-case extension check the typed path reaches the file intact.
    target = os.path.join(folder, "my takes", "take.MP3")
    os.mkdir(os.path.dirname(target))
    log_path = os.path.join(folder, "program.log")
    try:
        with WineSession() as session, open(log_path, "wb") as log:
            program = session.start(
                ["timeout", "-k", "5", str(PROGRAM_SECONDS), "wine", args.program],
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
            try:
                run_workflow(checks, session, program, target, args.artifacts)
            except (Abort, subprocess.TimeoutExpired, subprocess.CalledProcessError) as error:
                if not isinstance(error, Abort):
                    checks.check(False, f"an X tool failed: {error}")
                session.screenshot(os.path.join(args.artifacts, "windows-workflow-failure.png"))
        if checks.failed:
            with open(log_path, encoding="utf-8", errors="replace") as log:
                print("program output:\n" + log.read())
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    print(f"{checks.passed} passed, {len(checks.failed)} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
