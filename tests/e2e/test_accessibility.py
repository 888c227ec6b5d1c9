"""The main window as a screen reader and a keyboard-only user meet it, through the accessibility bus (AT-SPI)."""

import contextlib
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from test_memory_release import write_meminfo  # noqa: E402
from gi.repository import GLib  # noqa: E402

PROGRAM = None
PAGES = ["Information", "CPU optimization", "Memory optimization", "Settings"]
NAVIGATION = PAGES + ["About...", "Exit", "Check for updates..."]
OPERABLE = {"push button", "check box", "radio button", "combo box", "list", "link", "page tab", "progress bar"}


class AccessibilityTest(unittest.TestCase):
    def controls(self):
        return list(harness.accessibles(self.frame))

    def press(self, name):
        item = next(c for c in self.controls() if c.get_name() == name and c.get_role_name() in ("link", "page tab"))
        actions = [item.get_action_name(i).lower() for i in range(item.get_n_actions())]
        self.assertIn("press", actions, name)
        item.do_action(actions.index("press"))

    def wait_for_page(self, name):
        harness.wait_until(lambda: [c.get_name() for c in self.controls() if c.get_role_name() == "panel"
                                    and c.get_name() in PAGES and harness.has_state(c, "showing")] == [name], 10,
                           what="page %r alone shown" % name)

    def focused(self):
        # A tab bar calls its current tab focused even though the bar refuses the focus; those are left out.
        return next((c.get_name() for c in self.controls() if harness.has_state(c, "focused")
                     and c.get_parent().get_role_name() != "page tab list"), None)

    def tab_to(self, name, visited):
        while len(visited) < 40 and (not visited or visited[-1] != name):
            self.desk.key(self.main, "Tab")
            visited.append(harness.wait_until(self.focused, 5, what="a focused control"))
        self.assertEqual(visited[-1], name, visited)

    def test_keyboard_and_screen_reader_reach_every_page_and_function(self):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)
        profile = dict(self.desk.new_profile(), **self.desk.start_accessibility_bus())
        # 31 MB total, 16 MB free: no release by itself; "Optimize!" claims 19 blocks.
        profile["KELVORA_MEMINFO"] = os.path.join(self.desk.temp, "meminfo")
        write_meminfo(profile["KELVORA_MEMINFO"], 31 * 1000 * 1000 // 1024, 16 * 1000 * 1000 // 1024, 4 << 20)
        self.app, self.main = harness.start_to_main_window(self.desk, profile)
        self.frame = harness.accessible_frame(self.app, harness.APP_TITLE)

        nameless = [c.get_role_name() for c in self.controls() if c.get_role_name() in OPERABLE and not c.get_name()]
        self.assertEqual(nameless, [], "every operable control has a name")
        for name in PAGES[1:] + PAGES[:1]:
            self.press(name)
            self.wait_for_page(name)

        # Tab and Enter alone: the items in screen order, the memory page, "Optimize!", and the gauge runs, one
        # value change per block (read later, the values themselves would be those after the release).
        visited = []
        self.tab_to("Memory optimization", visited)
        self.desk.key(self.main, "Return")
        self.wait_for_page("Memory optimization")
        self.tab_to("Optimize!", visited)
        items = [name for name in visited if name in NAVIGATION]
        self.assertEqual(visited[:len(items)], NAVIGATION[NAVIGATION.index(items[0]):], visited)
        changes = harness.value_changes_while(lambda: self.desk.key(self.main, "Return"), "progress bar", 19)
        self.assertGreaterEqual(changes, 19)

        # About and the update tile open their windows; Exit ends the program, maybe before its answer leaves.
        for name in ("About...", "Check for updates..."):
            before = len(self.desk.window_ids(pid=self.app.pid))
            self.press(name)
            harness.wait_until(lambda: len(self.desk.window_ids(pid=self.app.pid)) > before, 10, what=name)
        with contextlib.suppress(GLib.GError):
            self.press("Exit")
        self.desk.wait_for_exit(self.app)


if __name__ == "__main__":
    PROGRAM = harness.program_path()
    harness.main(verbosity=2, warnings="ignore")  # the bindings' own deprecation notes
