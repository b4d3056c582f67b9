"""A private X display with a window manager, for tests that drive the real program."""

import os
import shutil
import subprocess
import tempfile
import time


class XSession:
    """Xvfb picks a free display; openbox manages windows. Both are stopped by PID."""

    def __init__(self, width=1024, height=768):
        self.size = (width, height)
        self.processes = []
        self.runtime = tempfile.mkdtemp(prefix="sonavel-x-")
        os.chmod(self.runtime, 0o700)

    def __enter__(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{self.size[0]}x{self.size[1]}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.processes.append(xvfb)
        with os.fdopen(read_end) as displays:
            number = displays.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not report a display")
        self.env = dict(os.environ, DISPLAY=f":{number}", XDG_RUNTIME_DIR=self.runtime,
                        QT_QPA_PLATFORM="xcb")
        self.processes.append(subprocess.Popen(["openbox"], env=self.env,
                                               stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL))
        self._wait_for_window_manager()
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.runtime, ignore_errors=True)
        return False

    def _wait_for_window_manager(self):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            probe = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
            if "window id" in probe.stdout:
                return
            time.sleep(0.1)
        raise RuntimeError("openbox did not start")

    def run(self, command, check=True, timeout=20):
        return subprocess.run(command, env=self.env, capture_output=True, text=True,
                              check=check, timeout=timeout)

    def start(self, command, **kwargs):
        process = subprocess.Popen(command, env=self.env, **kwargs)
        self.processes.append(process)
        return process

    def find_window(self, title_pattern, timeout=20):
        found = self.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", title_pattern],
                         timeout=timeout)
        return found.stdout.split()[0]

    def window_gone(self, title_pattern, timeout=20):
        """Waits until no visible window's title matches; False if one is still there."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.run(["xdotool", "search", "--onlyvisible", "--name", title_pattern],
                             check=False)
            if not found.stdout.split():
                return True
            time.sleep(0.05)
        return False

    def press(self, window, keys):
        """Focuses the window (X input focus, which needs no answer from the client) and presses
        the keys there, as a user would. Returns the moment the keys were sent."""
        self.run(["xdotool", "windowfocus", "--sync", window])
        sent = time.monotonic()
        self.run(["xdotool", "key", keys])
        return sent

    def type_text(self, window, text):
        self.run(["xdotool", "windowfocus", "--sync", window])
        self.run(["xdotool", "type", "--delay", "20", text], timeout=60)

    def outer_rect(self, window):
        """The window's rectangle with the manager's frame: (left, top, width, height)."""
        info = self.run(["xwininfo", "-id", window]).stdout
        value = {line.split(":")[0].strip(): line.split(":")[1].strip()
                 for line in info.splitlines() if ":" in line}
        x, y = int(value["Absolute upper-left X"]), int(value["Absolute upper-left Y"])
        width, height = int(value["Width"]), int(value["Height"])
        extents = self.run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"]).stdout
        left, right, top, bottom = (int(v) for v in extents.split("=")[1].split(","))
        return (x - left, y - top, width + left + right, height + top + bottom), (x, y)

    def screenshot(self, path, rect=None):
        self.run(["import", "-window", "root", path])
        if rect:
            left, top, width, height = rect
            self.run(["convert", path, "-crop", f"{width}x{height}+{left}+{top}", "+repage", path])

    def pixels(self, rect):
        """Raw RGB bytes of a screen rectangle."""
        left, top, width, height = rect
        shot = os.path.join(self.runtime, "pixels.png")
        self.run(["import", "-window", "root", shot])
        return subprocess.run(["convert", shot, "-crop", f"{width}x{height}+{left}+{top}",
                               "+repage", "rgb:-"], capture_output=True, check=True).stdout
