"""Choosing a language on the Settings page stores it; the next start speaks that language."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = None
LABEL6 = (40, 196 - 24)    # Settings
LABEL7 = (40, 196)         # About
LABEL8 = (40, 220)         # Zamknij
OPT_LANG = (176 + 200, 72 + 51)
COMMAND2 = (176 + 336, 72 + 52)


def slot_text(language, slot):
    """A slot's text from the language file beside the executable."""
    path = os.path.join(os.path.dirname(PROGRAM), "languages", language, language + ".txt")
    with open(path, "rb") as f:
        for line in f.read().decode("utf-8").split("\r\n"):
            if line[:3].replace(" ", "") == str(slot):
                return line[4:].replace("_", "\r")
    raise AssertionError("slot %d missing from %s" % (slot, path))


class LanguageTest(unittest.TestCase):
    def setUp(self):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)

    def about_title(self, app, main):
        harness.click_main(self.desk, main, *LABEL7)
        about = self.desk.wait_for_window(pid=app.pid, kind="dialog", timeout=10)
        return self.desk.title(about.id)

    def test_polish_saved_on_the_settings_page_is_used_at_the_next_start(self):
        profile = self.desk.new_profile()
        app, main = harness.start_to_main_window(self.desk, profile)
        harness.click_main(self.desk, main, *LABEL6)
        harness.click_main(self.desk, main, *OPT_LANG)
        self.desk.xdotool("key", "Down", "Return")  # English -> Polish
        harness.click_main(self.desk, main, *COMMAND2)
        harness.dismiss_message(self.desk, app)
        self.assertEqual(harness.stored_language(profile), "Polish")
        # The running program keeps its language until the next start.
        self.assertEqual(self.about_title(app, main), slot_text("English", 118))

        harness.click_main(self.desk, main, *LABEL8)
        self.desk.wait_for_exit(app, 10)

        app = self.desk.start_program(profile)
        main = harness.main_window(self.desk, app)
        self.assertFalse(self.desk.find_windows(harness.APP_TITLE, pid=app.pid, kind="dialog"),
                         "a stored language starts without the message")
        self.assertEqual(self.about_title(app, main), slot_text("Polish", 118))


if __name__ == "__main__":
    PROGRAM = harness.program_path()
    harness.main(verbosity=2)
