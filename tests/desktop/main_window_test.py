"""The real program on a real X desktop: its window, Tab, and closing through the manager."""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from x_session import XSession  # noqa: E402

# Client-area rectangle of 按钮2.
BUTTON2 = (20, 55, 60, 25)


def on_screen(client_origin, rect):
    return (client_origin[0] + rect[0], client_origin[1] + rect[1], rect[2], rect[3])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    os.makedirs(args.artifacts, exist_ok=True)
    failures = []
    checks = [0]

    def check(condition, what):
        checks[0] += 1
        print(("ok      " if condition else "FAILED  ") + what)
        if not condition:
            failures.append(what)

    with XSession(1024, 768) as session:
        program = session.start([args.program])
        window = session.find_window(r"^Sonavel 1\.0$")
        time.sleep(0.5)  # let the manager's frame settle
        outer, client = session.outer_rect(window)
        check(outer == (387, 289, 250, 190), f"outer rectangle {outer} is centred 250 x 190")
        title = session.run(["xdotool", "getwindowname", window]).stdout.strip()
        check(title == "Sonavel 1.0", f"title {title!r}")
        session.screenshot(os.path.join(args.artifacts, "main-window.png"), outer)

        session.run(["xdotool", "windowfocus", "--sync", window])
        button2 = on_screen(client, BUTTON2)
        unfocused = session.pixels(button2)
        session.run(["xdotool", "key", "Tab"])
        time.sleep(0.3)
        check(session.pixels(button2) != unfocused, "Tab moves the focus to 按钮2")
        session.screenshot(os.path.join(args.artifacts, "after-tab.png"), outer)
        session.run(["xdotool", "key", "Tab"])
        time.sleep(0.3)
        check(session.pixels(button2) == unfocused, "a second Tab moves it on to 按钮3")

        session.run(["xdotool", "key", "alt+F4"])
        try:
            code = program.wait(timeout=10)
        except Exception:
            code = None
        check(code == 0, f"closing through the window manager ends with code {code}")

    print(f"{checks[0] - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
