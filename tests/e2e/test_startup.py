"""Start-up of the real program: the first start's language message, splash, main window, single instance."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = None
SPLASH_SIZE = (396, 92)  # the 392 x 88 client area in a frame of 2 pixels


class StartupTest(unittest.TestCase):
    def setUp(self):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)

    def test_first_start_reports_the_missing_language_then_shows_splash_and_main_window(self):
        profile = self.desk.new_profile()
        app = self.desk.start_program(profile)

        box = self.desk.wait_for_window(harness.APP_TITLE, 30, pid=app.pid, kind="dialog")
        self.assertFalse(self.desk.find_windows(pid=app.pid, kind="splash"), "no splash before the message is answered")
        answered_at = time.monotonic()
        self.desk.key(box, "Return")

        splash = self.desk.wait_for_window(pid=app.pid, kind="splash", timeout=20)
        self.assertEqual((splash.width, splash.height), SPLASH_SIZE)
        main = harness.main_window(self.desk, app)
        self.assertGreater(time.monotonic() - answered_at, 0.8, "the splash stays for three ticks of 300 ms")
        self.assertFalse(self.desk.find_windows(pid=app.pid, kind="splash"), "the splash is gone")
        self.assertEqual(main.width, 568)
        self.assertGreater(main.height, 358, "a menu bar above the 568x358 client area")
        self.assertEqual(harness.stored_language(profile), "English")
        self.assertIsNone(app.poll())

    def test_second_instance_shows_its_message_and_ends_while_the_first_runs_on(self):
        profile = self.desk.new_profile()
        first, main = harness.start_to_main_window(self.desk, profile)

        second = self.desk.start_program(profile)
        box = self.desk.wait_for_window(harness.APP_TITLE, 30, pid=second.pid, kind="dialog")
        self.assertFalse(self.desk.find_windows(pid=second.pid, kind="splash"))
        self.desk.key(box, "Return")
        self.assertEqual(self.desk.wait_for_exit(second, 15), 0)

        self.assertIsNone(first.poll(), "the running instance is untouched")
        self.assertTrue(self.desk.find_windows(harness.APP_TITLE, pid=first.pid, kind="normal"))

    def test_two_copies_started_together_admit_exactly_one(self):
        profile = self.desk.new_profile()
        app, _ = harness.start_to_main_window(self.desk, profile)  # stores the language: no message at start
        harness.click_main(self.desk, harness.main_window(self.desk, app), 40, 220)  # Zamknij
        self.desk.wait_for_exit(app, 10)

        copies = [self.desk.start_program(profile) for _ in range(2)]

        def settled():
            mains = [p for p in copies if self.desk.find_windows(harness.APP_TITLE, pid=p.pid, kind="normal")]
            boxes = [p for p in copies if self.desk.find_windows(harness.APP_TITLE, pid=p.pid, kind="dialog")]
            return (mains, boxes) if mains and boxes else None

        mains, boxes = harness.wait_until(settled, 30, what="one main window and one refusal")
        self.assertEqual(len(mains), 1)
        self.assertEqual(len(boxes), 1)
        self.assertIsNot(mains[0], boxes[0])


if __name__ == "__main__":
    PROGRAM = harness.program_path()
    harness.main(verbosity=2)
