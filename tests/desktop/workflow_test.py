"""The whole recording workflow on a real X desktop and real sound.

Run it through tests/support/with_sound_server, whose 440 Hz sine is ALSA's default source: it
chooses a file in the program's own save dialog, records for about 3 s, stops, dismisses the
saved box, waits out the pause after it, quits, and then judges the file that was written.
"""

import argparse
import array
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import wave

sys.path.insert(0, os.path.dirname(__file__))
from x_session import XSession  # noqa: E402

RATE = 8000
CHANNELS = 2
FRAME_BYTES = 4
BUFFER_FRAMES = 1024
START_UP_SECONDS = 0.5
RECORD_SECONDS = 3.0
PAUSE_SECONDS = 15.0
TONE_HZ = 440.0
TONE_TOLERANCE_HZ = 5.0
TONE_PEAK = 16384  # the sound server's sine is at half of full scale

# Client-area rectangles of the path label (标签2) and the status label (标签4).
PATH_LABEL = (5, 30, 245, 15)
STATUS_LABEL = (120, 140, 80, 15)

MAIN_TITLE = r"^Sonavel 1\.0$"
DIALOG_TITLE = r"^Save As$"  # Qt's own title: the program leaves the dialog's title empty
SAVED_TITLE = "^恭喜$"
HELP_TITLE = "^帮助$"


class Abort(Exception):
    """A step the rest of the workflow depends on failed."""


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = []

    def check(self, condition, what):
        print(("ok      " if condition else "FAILED  ") + what, flush=True)
        if condition:
            self.passed += 1
        else:
            self.failed.append(what)
        return condition

    def require(self, condition, what):
        if not self.check(condition, what):
            raise Abort(what)


def on_screen(client_origin, rect):
    return (client_origin[0] + rect[0], client_origin[1] + rect[1], rect[2], rect[3])


def find(session, title_pattern, timeout):
    """The id of the visible window with that title, or None when none appears in time."""
    try:
        return session.find_window(title_pattern, timeout=timeout)
    except (subprocess.TimeoutExpired, subprocess.CalledProcessError, IndexError):
        return None


def expected_header(data_bytes):
    return struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", data_bytes + 36, b"WAVE", b"fmt ", 16, 1,
                       CHANNELS, RATE, RATE * FRAME_BYTES, FRAME_BYTES, 16, b"data", data_bytes)


def rising_crossings(samples):
    """Positions (in frames, interpolated) where the signal passes zero going up."""
    positions = []
    for i in range(1, len(samples)):
        before, after = samples[i - 1], samples[i]
        if before < 0 <= after:
            positions.append(i - 1 + before / (before - after))
    return positions


def judge_file(checks, path, size_at_box, elapsed):
    size = os.path.getsize(path)
    checks.check(size == size_at_box,
                 f"the file was complete when the box appeared ({size_at_box} then {size} bytes)")
    with open(path, "rb") as file:
        header = file.read(44)
    data_bytes = size - 44
    checks.require(data_bytes >= 0 and header == expected_header(data_bytes),
                   f"RIFF/WAVE header for 2 ch, 8000 Hz, 16 bit, {data_bytes} data bytes "
                   f"(got {header.hex()})")
    checks.check(data_bytes % FRAME_BYTES == 0, f"{data_bytes} data bytes are whole frames")

    frames = data_bytes // FRAME_BYTES
    recorded = frames / RATE
    missing = elapsed * RATE - frames
    print(f"        {frames} frames = {recorded:.3f} s recorded, {elapsed:.3f} s between the "
          f"Alt+R and Alt+S keys: recorded minus between = {-missing / RATE * 1000:+.0f} ms",
          flush=True)
    checks.check(-BUFFER_FRAMES <= missing <= START_UP_SECONDS * RATE + BUFFER_FRAMES,
                 f"recorded length {recorded:.3f} s matches {elapsed:.3f} s between the keys "
                 f"within one buffer plus {START_UP_SECONDS} s start-up")

    with wave.open(path, "rb") as reader:
        samples = array.array("h", reader.readframes(reader.getnframes()))
    if sys.byteorder == "big":
        samples.byteswap()
    left, right = samples[0::CHANNELS], samples[1::CHANNELS]
    # The server's tone is the same on both channels: a sample out of place in the interleaving
    # would leave both at 440 Hz but make them differ.
    checks.check(left == right, "both channels carry the same samples")
    peak = max(map(abs, left), default=0)
    checks.check(TONE_PEAK * 0.98 <= peak <= TONE_PEAK * 1.02,
                 f"peak {peak} is the tone's level ({TONE_PEAK})")
    crossings = rising_crossings(left)
    checks.require(len(crossings) > 100, f"the tone is there ({len(crossings)} periods)")
    periods = [b - a for a, b in zip(crossings, crossings[1:])]
    frequency = len(periods) * RATE / (crossings[-1] - crossings[0])
    checks.check(abs(frequency - TONE_HZ) <= TONE_TOLERANCE_HZ,
                 f"{frequency:.2f} Hz ({TONE_HZ:.0f} ± {TONE_TOLERANCE_HZ:.0f})")
    # A lost or repeated stretch shifts the phase, which shows as one period far off.
    nominal = RATE / TONE_HZ
    worst = max(abs(period - nominal) for period in periods)
    checks.check(worst <= 0.5, f"no gap or repeat: the period furthest from {nominal:.2f} frames "
                               f"is off by {worst:.3f}")


def dismiss_and_wait_out_the_pause(checks, session, main, box):
    """Enter on the 恭喜 box; the program answers Alt+H only once its pause is over."""
    dismissed = session.press(box, "Return")
    checks.require(session.window_gone(SAVED_TITLE, 10), "Enter dismisses the 恭喜 box")
    # Sent at once: the program reads it only when its pause is over.
    session.press(main, "alt+h")
    help_box = find(session, HELP_TITLE, PAUSE_SECONDS + 25)
    checks.require(help_box is not None, "the program answers Alt+H after its pause")
    waited = time.monotonic() - dismissed
    checks.check(waited >= PAUSE_SECONDS,
                 f"the help box came {waited:.1f} s after the 恭喜 box was dismissed, not before "
                 f"the {PAUSE_SECONDS:.0f} s pause ended")
    session.press(help_box, "Return")
    checks.require(session.window_gone(HELP_TITLE, 10), "Enter dismisses the help box")


def quit_and_judge(checks, session, main, program, target, size_at_box, elapsed, timeout=15):
    """Alt+Q must end the program with code 0; then the recording is judged."""
    session.press(main, "alt+q")
    try:
        code = program.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        code = None
    checks.check(code == 0, f"Alt+Q ends the program with code {code}")
    judge_file(checks, target, size_at_box, elapsed)


def parse_arguments():
    """The program and the artifacts folder; None when no private sound server is there."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    if "PULSE_SERVER" not in os.environ:
        print("run this through tests/support/with_sound_server: it records that server's tone",
              file=sys.stderr)
        return None
    return args


def run_workflow(checks, session, program, target, artifacts):
    def shot(name, window):
        session.screenshot(os.path.join(artifacts, name), session.outer_rect(window)[0])

    main = find(session, MAIN_TITLE, 20)
    checks.require(main is not None, "the main window 'Sonavel 1.0' appears")
    time.sleep(0.5)  # let the manager's frame settle
    client = session.outer_rect(main)[1]
    path_label = on_screen(client, PATH_LABEL)
    status_label = on_screen(client, STATUS_LABEL)
    path_unchosen = session.pixels(path_label)
    status_idle = session.pixels(status_label)

    session.press(main, "alt+o")
    dialog = find(session, DIALOG_TITLE, 20)
    checks.require(dialog is not None, "Alt+O opens the save dialog")
    session.type_text(dialog, target)
    time.sleep(0.3)
    shot("workflow-save-dialog.png", dialog)
    session.press(dialog, "Return")
    checks.require(session.window_gone(DIALOG_TITLE, 10), "Enter confirms the typed path")
    time.sleep(0.3)
    checks.check(session.pixels(path_label) != path_unchosen, "the path label changes")
    shot("workflow-path-chosen.png", main)

    record_key = session.press(main, "alt+r")
    time.sleep(0.5)
    checks.check(session.pixels(status_label) != status_idle, "Alt+R changes the status")
    shot("workflow-recording.png", main)
    time.sleep(max(0.0, record_key + RECORD_SECONDS - time.monotonic()))
    stop_key = session.press(main, "alt+s")

    box = find(session, SAVED_TITLE, 20)
    checks.require(box is not None, "Alt+S shows the box titled 恭喜")
    checks.require(os.path.exists(target), f"the recording is at {target}")
    size_at_box = os.path.getsize(target)
    shot("workflow-saved-box.png", box)

    dismiss_and_wait_out_the_pause(checks, session, main, box)
    time.sleep(0.3)
    checks.check(session.pixels(status_label) == status_idle, "the status is back to 未录音")
    shot("workflow-after-pause.png", main)

    quit_and_judge(checks, session, main, program, target, size_at_box, stop_key - record_key)


def main():
    args = parse_arguments()
    if args is None:
        return 2
    os.makedirs(args.artifacts, exist_ok=True)

    checks = Checks()
    folder = tempfile.mkdtemp(prefix="sonavel-workflow-")
    # A name with its own extension keeps it. The space checks the path reaches the file system
    # intact; Chinese characters would check more, but xdotool drops some of them when typing.
    target = os.path.join(folder, "my takes", "take.MP3")
    os.mkdir(os.path.dirname(target))
    log_path = os.path.join(folder, "program.log")
    try:
        with XSession(1024, 768) as session, open(log_path, "wb") as log:
            program = session.start([args.program], stdout=log, stderr=subprocess.STDOUT)
            try:
                run_workflow(checks, session, program, target, args.artifacts)
            except Abort:
                session.screenshot(os.path.join(args.artifacts, "workflow-failure.png"))
        if checks.failed:
            with open(log_path, encoding="utf-8", errors="replace") as log:
                print("program output:\n" + log.read())
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    print(f"{checks.passed} passed, {len(checks.failed)} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
