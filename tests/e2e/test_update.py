"""The silent update check of the real program against a local server publishing a newer version: the question
appears shortly after start, and Yes hands the current language's update page to the desktop's opener; quitting
while the check's name lookup hangs ends the program at once."""

import functools
import http.server
import os
import stat
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = None
UPDATE_PAGE = "/en/products/kelvora-2008/update.html"


class PublishingServer:
    """A Python http.server on 127.0.0.1 serving a folder, remembering the paths asked for."""

    def __init__(self, root):
        self.paths = []
        paths = self.paths

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                paths.append(self.path)

        handler = functools.partial(Handler, directory=root)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    @property
    def url(self):
        return "http://127.0.0.1:%d" % self.httpd.server_address[1]

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()
        self.thread.join()


class UpdateCheckTest(unittest.TestCase):
    def setUp(self):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)
        root = os.path.join(self.desk.temp, "site")
        os.makedirs(os.path.join(root, "updates"))
        with open(os.path.join(root, "updates", "kvora-2008.txt"), "wb") as f:
            f.write(b"2.41")
        self.server = PublishingServer(root)
        self.addCleanup(self.server.close)

        # A stand-in for the desktop's opener, first on PATH, that records its arguments.
        bin_dir = os.path.join(self.desk.temp, "bin")
        os.makedirs(bin_dir)
        self.opened = os.path.join(self.desk.temp, "opened.txt")
        opener = os.path.join(bin_dir, "xdg-open")
        with open(opener, "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$#\" \"$@\" > '%s.part'\nmv '%s.part' '%s'\n"
                    % (self.opened, self.opened, self.opened))
        os.chmod(opener, os.stat(opener).st_mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
        self.env = {
            "KELVORA_VENDOR_URL": self.server.url,
            "PATH": bin_dir + os.pathsep + os.environ.get("PATH", "/usr/bin:/bin"),
            "no_proxy": "127.0.0.1",
            "NO_PROXY": "127.0.0.1",
        }

    def read_opened(self):
        with open(self.opened) as f:
            return f.read().splitlines()

    def test_a_newer_published_version_asks_and_yes_opens_the_update_page(self):
        app = self.desk.start_program(self.desk.new_profile(), extra_env=self.env)
        # The first start reports the missing language before anything else; the main window follows.
        harness.dismiss_message(self.desk, app, timeout=30)
        harness.main_window(self.desk, app)
        self.assertFalse(os.path.exists(self.opened))

        question = self.desk.wait_for_window(harness.APP_TITLE, 20, pid=app.pid, kind="dialog")
        self.assertIn("/updates/kvora-2008.txt", self.server.paths)
        self.desk.key(question, "Return")  # Yes is the default button
        self.desk.wait_for_no_window(10, name=harness.APP_TITLE, pid=app.pid, kind="dialog")

        harness.wait_until(lambda: os.path.exists(self.opened), 10, what="the opener to run")
        self.assertEqual(self.read_opened(), ["1", self.server.url + UPDATE_PAGE])
        self.assertIsNone(app.poll(), "the program runs on")
        # The silent check runs once: no second question follows.
        harness.time.sleep(2)
        self.assertFalse(self.desk.find_windows(harness.APP_TITLE, pid=app.pid, kind="dialog"))
        self.assertEqual(self.server.paths.count("/updates/kvora-2008.txt"), 1)

    def test_quitting_while_the_name_lookup_stalls_ends_at_once_and_frees_the_lock(self):
        # A preloaded getaddrinfo stalls every name under .stall.invalid, like a dead name server.
        marker = os.path.join(self.desk.temp, "lookup-stalled")
        env = dict(self.env, KELVORA_VENDOR_URL="http://vendor.stall.invalid", KELVORA_STALL_MARKER=marker,
                   LD_PRELOAD=os.path.join(os.path.dirname(PROGRAM), "libkelvora_stalling_resolver.so"),
                   ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0")
        profile = self.desk.new_profile()
        app = self.desk.start_program(profile, extra_env=env)
        harness.dismiss_message(self.desk, app, timeout=30)
        main = harness.main_window(self.desk, app)
        harness.wait_until(lambda: os.path.exists(marker), 20, what="the silent check's name lookup")
        self.desk.key(main, "alt+F4")
        self.assertEqual(self.desk.wait_for_exit(app, 5), 0)
        # The lock went with the process: the next start is no second copy.
        harness.start_to_main_window(self.desk, profile)


if __name__ == "__main__":
    PROGRAM = harness.program_path()
    harness.main()
