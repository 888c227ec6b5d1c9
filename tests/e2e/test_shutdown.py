"""Every way the real program ends: "Zamknij" (label and menu) at once, the window manager's close."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = None
LABEL7 = (40, 196)  # About
LABEL8 = (40, 220)  # Zamknij


class ShutdownTest(unittest.TestCase):
    def setUp(self):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)
        self.app, self.main = harness.start_to_main_window(self.desk, self.desk.new_profile())

    def test_zamknij_label_ends_the_program_at_once(self):
        harness.click_main(self.desk, self.main, *LABEL8)
        self.assertEqual(self.desk.wait_for_exit(self.app, 5), 0)

    def test_zamknij_menu_item_ends_the_program_at_once(self):
        menu_bar_height = self.main.height - 358
        self.desk.click_client(self.main, 20, menu_bar_height // 2)  # the Program menu
        self.desk.xdotool("key", "Down", "Return")
        self.assertEqual(self.desk.wait_for_exit(self.app, 5), 0)

    def test_zamknij_ends_the_program_with_the_about_window_open(self):
        harness.click_main(self.desk, self.main, *LABEL7)
        harness.wait_until(lambda: len(self.desk.find_windows(pid=self.app.pid, kind="dialog")) == 1, 10,
                           what="the About window")
        self.desk.activate(self.main)
        harness.click_main(self.desk, self.main, *LABEL8)
        self.assertEqual(self.desk.wait_for_exit(self.app, 5), 0)

    def test_closing_through_the_window_manager_ends_the_program(self):
        self.desk.key(self.main, "alt+F4")
        self.assertEqual(self.desk.wait_for_exit(self.app, 15), 0)

    def test_closing_through_the_window_manager_closes_the_about_window_too(self):
        harness.click_main(self.desk, self.main, *LABEL7)
        harness.wait_until(lambda: self.desk.find_windows(pid=self.app.pid, kind="dialog"), 10,
                           what="the About window")
        self.desk.key(self.main, "alt+F4")
        self.assertEqual(self.desk.wait_for_exit(self.app, 15), 0)


if __name__ == "__main__":
    PROGRAM = harness.program_path()
    harness.main(verbosity=2)
