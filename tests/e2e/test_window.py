"""The main window under a real window manager: moved by dragging its bare background, and by nothing else."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = None
BARE_BACKGROUND = (300, 68)
BANNER = (300, 30)
INFORMATION_PAGE = (300, 200)


class WindowTest(unittest.TestCase):
    def setUp(self):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)
        self.app, self.main = harness.start_to_main_window(self.desk, self.desk.new_profile())

    def drag(self, x, y, dx, dy, button=1):
        left, top = harness.client_origin(self.main)
        start_x, start_y = self.main.x + left + x, self.main.y + top + y
        self.desk.xdotool("mousemove", "--sync", start_x, start_y)
        self.desk.xdotool("mousedown", button)
        for step in range(1, 6):
            self.desk.xdotool("mousemove", "--sync", start_x + dx * step // 5, start_y + dy * step // 5)
            time.sleep(0.05)
        self.desk.xdotool("mouseup", button)
        time.sleep(0.3)
        return self.desk.geometry(self.main.id)

    def test_dragging_the_bare_background_with_the_left_button_moves_the_window(self):
        moved = self.drag(*BARE_BACKGROUND, 80, 50)
        self.assertGreater(moved.x, self.main.x)
        self.assertGreater(moved.y, self.main.y)

    def test_dragging_the_banner_a_page_or_with_the_right_button_does_not_move_it(self):
        for place, button in ((BANNER, 1), (INFORMATION_PAGE, 1), (BARE_BACKGROUND, 3)):
            after = self.drag(*place, 80, 50, button=button)
            self.assertEqual((after.x, after.y), (self.main.x, self.main.y), "%s button %d" % (place, button))
            self.desk.xdotool("key", "Escape")  # a context menu, if any, goes away
        self.assertIsNone(self.app.poll())


if __name__ == "__main__":
    PROGRAM = harness.program_path()
    harness.main(verbosity=2)
