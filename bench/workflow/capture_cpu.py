#!/usr/bin/env python3
"""CPU cost and latencies of a long recording with Sonavel, beside arecord on the same source.

Usage, from the project root after building the release program:

    python3 bench/workflow/capture_cpu.py --program build/release/sonavel [--seconds 60]

It runs itself under tests/support/with_sound_server (a private PulseAudio server whose default
source is a real-time 440 Hz sine) and starts its own Xvfb and openbox. Sonavel is driven with
xdotool as a user would: Alt+O and a typed path, Alt+R, the given number of seconds, Alt+S, Enter
on the saved box, Alt+Q. Then `arecord -D default -f S16_LE -c 2 -r 8000 -d SECONDS` records the
same source. It prints:

- CPU time (user + sys, all threads) of arecord's whole process, of Sonavel from the Alt+R key to
  the file being complete (/proc/PID/stat, the capture itself), of Sonavel's whole process
  (wait4 rusage: start-up, dialog and windows too), and the ratios to arecord's (target: 1.2 at
  most). Clock-tick resolution: 10 ms.
- start latency: from the Alt+R key to the sound server announcing Sonavel's record stream
  (`pactl subscribe`, event 'new' on source-output; the ALSA pulse plugin connects the stream
  uncorked, so capture begins then). arecord's time from spawn to its stream, for reference.
- stop latency: from the Alt+S key to the file reaching its final size (its size polled every
  5 ms until the box titled 恭喜 is up and the size has held for 0.5 s), and to the box.

It prints figures and asserts nothing. Needs Xvfb, openbox, xdotool, imagemagick, arecord,
pulseaudio and pactl (scripts/install-dependencies installs them).
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "desktop"))
from x_session import XSession  # noqa: E402

WITH_SOUND_SERVER = os.path.join(ROOT, "tests", "support", "with_sound_server")
FRAME_BYTES = 4
RATE = 8000
HEADER_BYTES = 44
SIZE_POLL_SECONDS = 0.005
SETTLED_SECONDS = 0.5
PAUSE_SECONDS = 15
TICK = os.sysconf("SC_CLK_TCK")


class BenchError(Exception):
    pass


class StreamWatch:
    """When the sound server announced each new record stream, from `pactl subscribe`."""

    def __init__(self):
        self.process = subprocess.Popen(["pactl", "subscribe"], stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                        text=True)
        self.created = []
        self.sinks_created = 0
        self.changed = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()
        self._wait_until_listening()

    def _read(self):
        for line in self.process.stdout:
            moment = time.monotonic()
            with self.changed:
                if line.startswith("Event 'new' on source-output"):
                    self.created.append(moment)
                elif line.startswith("Event 'new' on sink"):
                    self.sinks_created += 1
                self.changed.notify_all()

    def _wait_until_listening(self):
        # A sink loaded and unloaded again shows the subscription is in place.
        loaded = subprocess.run(["pactl", "load-module", "module-null-sink", "sink_name=Probe"],
                                capture_output=True, text=True, timeout=10, check=True)
        subprocess.run(["pactl", "unload-module", loaded.stdout.strip()], timeout=10, check=True)
        with self.changed:
            if not self.changed.wait_for(lambda: self.sinks_created > 0, timeout=10):
                raise BenchError("pactl subscribe reported no events")

    def first_after(self, moment, timeout):
        """The first record stream announced after the moment, or None."""
        def found():
            return next((t for t in self.created if t >= moment), None)

        with self.changed:
            self.changed.wait_for(lambda: found() is not None, timeout=timeout)
            return found()

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def cpu_of(pid):
    """(user, sys) seconds of a running process, all its threads."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) / TICK, int(fields[12]) / TICK


def reap(pid, timeout):
    """Waits for the child with a bound: (exit status, rusage)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        done, status, usage = os.wait4(pid, os.WNOHANG)
        if done:
            return os.waitstatus_to_exitcode(status), usage
        time.sleep(0.05)
    raise BenchError(f"process {pid} did not end within {timeout} s")


class SizeWatch:
    """Every change of a file's size, polled every 5 ms on a thread of its own."""

    def __init__(self, path):
        self.path = path
        self.changes = []  # (moment, size); -1 while the file does not exist
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._poll, daemon=True)
        self.thread.start()

    def _poll(self):
        last = None
        while not self.stopping.is_set():
            try:
                size = os.stat(self.path).st_size
            except FileNotFoundError:
                size = -1
            if size != last:
                self.changes.append((time.monotonic(), size))
                last = size
            time.sleep(SIZE_POLL_SECONDS)

    def held_since(self):
        return time.monotonic() - self.changes[-1][0] if self.changes else 0.0

    def stop(self):
        self.stopping.set()
        self.thread.join(timeout=5)


def wait_for_box(session, title_pattern, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = session.run(["xdotool", "search", "--onlyvisible", "--name", title_pattern],
                            check=False)
        if found.stdout.split():
            return time.monotonic(), found.stdout.split()[0]
    raise BenchError(f"no window titled {title_pattern} within {timeout} s")


def record_with_sonavel(program, seconds, folder, watch):
    target = os.path.join(folder, "sonavel.MP3")
    with XSession(1024, 768) as session:
        process = session.start([program], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        main = session.find_window(r"^Sonavel 1\.0$")
        session.press(main, "alt+o")
        dialog = session.find_window(r"^Save As$")
        session.type_text(dialog, target)
        session.press(dialog, "Return")
        if not session.window_gone(r"^Save As$", 10):
            raise BenchError("the save dialog did not close")
        time.sleep(1)  # let start-up work finish before measuring

        before = cpu_of(process.pid)
        record_key = session.press(main, "alt+r")
        stream = watch.first_after(record_key, timeout=10)
        time.sleep(max(0.0, record_key + seconds - time.monotonic()))
        sizes = SizeWatch(target)
        stop_key = session.press(main, "alt+s")
        box_up, box = wait_for_box(session, "^恭喜$", 60)
        while sizes.held_since() < SETTLED_SECONDS:
            time.sleep(SIZE_POLL_SECONDS)
        sizes.stop()
        during = cpu_of(process.pid)
        complete, size = sizes.changes[-1]
        if size < HEADER_BYTES:
            raise BenchError(f"no recording at {target} (size {size})")

        session.press(box, "Return")
        # Read once the pause after the box is over.
        session.press(main, "alt+q")
        code, usage = reap(process.pid, PAUSE_SECONDS + 30)
    if code != 0:
        raise BenchError(f"Sonavel ended with code {code}")
    return {
        "recording": (during[0] - before[0], during[1] - before[1]),
        "whole": (usage.ru_utime, usage.ru_stime),
        "peak_kb": usage.ru_maxrss,
        "start": None if stream is None else stream - record_key,
        "file_complete": complete - stop_key,
        "box": box_up - stop_key,
        "keys": stop_key - record_key,
        "size": size,
    }


def record_with_arecord(seconds, folder, watch):
    target = os.path.join(folder, "arecord.wav")
    spawned = time.monotonic()
    process = subprocess.Popen(["arecord", "-q", "-D", "default", "-f", "S16_LE", "-c", "2", "-r",
                                str(RATE), "-d", str(seconds), target], stdin=subprocess.DEVNULL)
    stream = watch.first_after(spawned, timeout=10)
    code, usage = reap(process.pid, seconds + 30)
    if code != 0:
        raise BenchError(f"arecord ended with code {code}")
    return {
        "whole": (usage.ru_utime, usage.ru_stime),
        "peak_kb": usage.ru_maxrss,
        "start": None if stream is None else stream - spawned,
        "size": os.path.getsize(target),
    }


def milliseconds(value):
    return "not seen" if value is None else f"{value * 1000:.0f} ms"


def report(seconds, sonavel, arecord):
    def row(name, cpu, peak_kb=None):
        peak = "" if peak_kb is None else f"  {peak_kb / 1024:6.1f} MB peak"
        print(f"  {name:34} {cpu[0]:6.2f} {cpu[1]:6.2f} {sum(cpu):6.2f}{peak}")

    print(f"\n{seconds} s at 2 ch / 8000 Hz / 16 bit from the sound server's 440 Hz sine\n")
    print(f"  {'CPU seconds':34} {'user':>6} {'sys':>6} {'total':>6}")
    row("arecord, whole process", arecord["whole"], arecord["peak_kb"])
    row("Sonavel, Alt+R to file complete", sonavel["recording"])
    row("Sonavel, whole process", sonavel["whole"], sonavel["peak_kb"])
    reference = sum(arecord["whole"])
    for name, key in (("recording", "recording"), ("whole process", "whole")):
        ratio = sum(sonavel[key]) / reference if reference > 0 else float("inf")
        print(f"  Sonavel / arecord, {name}: {ratio:.2f}x (target: 1.2x at most)")

    print("\n  start: Alt+R key to Sonavel's record stream on the server: "
          f"{milliseconds(sonavel['start'])}")
    print(f"         (arecord, spawn to its record stream: {milliseconds(arecord['start'])})")
    print(f"  stop:  Alt+S key to the file complete: {milliseconds(sonavel['file_complete'])}; "
          f"to the 恭喜 box: {milliseconds(sonavel['box'])}")
    for name, result, span in (("Sonavel", sonavel, f"{sonavel['keys']:.3f} s between the keys"),
                               ("arecord", arecord, f"-d {seconds}")):
        recorded = (result["size"] - HEADER_BYTES) / FRAME_BYTES / RATE
        print(f"  {name} file: {result['size']} bytes = {recorded:.3f} s ({span})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", required=True, help="the sonavel program to measure")
    parser.add_argument("--seconds", type=int, default=60, help="length of each recording")
    args = parser.parse_args()
    if "SONAVEL_SOUND_SINK" not in os.environ:
        os.execv(sys.executable, [sys.executable, WITH_SOUND_SERVER, "--", sys.executable,
                                  os.path.abspath(__file__), *sys.argv[1:]])
    program = os.path.abspath(args.program)
    if not os.access(program, os.X_OK):
        print(f"capture_cpu: {program} is not an executable program", file=sys.stderr)
        return 2

    folder = tempfile.mkdtemp(prefix="sonavel-bench-")
    watch = None
    try:
        watch = StreamWatch()
        print(f"Recording {args.seconds} s with Sonavel...", flush=True)
        sonavel = record_with_sonavel(program, args.seconds, folder, watch)
        print(f"Recording {args.seconds} s with arecord...", flush=True)
        arecord = record_with_arecord(args.seconds, folder, watch)
        report(args.seconds, sonavel, arecord)
        return 0
    except (BenchError, subprocess.SubprocessError, RuntimeError) as error:
        print(f"capture_cpu: {error}", file=sys.stderr)
        return 1
    finally:
        if watch is not None:
            watch.close()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
