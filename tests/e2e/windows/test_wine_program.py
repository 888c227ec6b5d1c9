"""The real kelvora2008.exe under Wine on Xvfb + openbox, in a fresh Wine prefix: installed silently by the installer,
the first start's fixed message and "English" stored in the Wine registry, the splash, the main window at its client
size, the silent update check against a local server publishing a newer version (the question, answered No), the
Memory page reached by Tab and Enter alone and "Optimize!" claiming and freeing a few blocks on a tiny fixture
machine, another language saved on the settings page, a second copy refused while the first runs, the window's close
ending the program, the next start speaking the saved language, Cancel ending at once a check the server never
answers, "Exit" ending the program, and the silent uninstall removing the program and its "Apps & features" entry
while the language choice stays. Then the keys and drawing: Enter and Escape in the main window open nothing and
end nothing, Enter on an option does nothing while the arrows move within its group, Escape and Enter on the focused
button close About and the update window, Tab visits each page's controls in the order of its control table, the
process list draws its class column, "Go >>" is drawn and the next-timed line is empty at start."""

import http.server
import threading

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

SETUP = None
PROBE = None
UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvora 2008"
SETTINGS_KEY = "HKCU\\Software\\Talvek\\Kelvora 2008\\Settings"
CLIENT = (568, 358)
MIB = 1024  # in kB
LINK = (160, 120, 205)
# The controls that take the focus on each page, in table order (the tab control of the page comes first).
PAGE_STOPS = [1, 3, 6, 2]


def status_kb(pid, field):
    with open("/proc/%d/status" % pid) as f:
        return next(int(line.split()[1]) for line in f if line.startswith(field + ":"))


def wait_for(what, timeout=30.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = what()
        if found:
            return found
        time.sleep(0.2)
    raise AssertionError("timed out waiting")


class Publisher(http.server.BaseHTTPRequestHandler):
    paths = []

    def do_GET(self):  # noqa: N802 (the handler's name is fixed)
        Publisher.paths.append(self.path)
        self.send_response(200)
        self.send_header("Content-Length", "4")
        self.end_headers()
        self.wfile.write(b"2.41")

    def log_message(self, *args):
        pass


class WineProgramTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="kelvora-wine-")
        self.server = http.server.HTTPServer(("127.0.0.1", 0), Publisher)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.env = dict(os.environ, WINEPREFIX=os.path.join(self.folder, "prefix"), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=",
                        KELVORA_VENDOR_URL="http://127.0.0.1:%d" % self.server.server_address[1])
        # A machine of 31 MB with 16 MB free and plenty of commit: nothing is claimed unasked, the button claims
        # 19 blocks of 2 MiB.
        meminfo = os.path.join(self.folder, "meminfo")
        with open(meminfo, "w") as f:
            f.write("MemTotal: 30273 kB\nMemAvailable: 15625 kB\nSwapFree: 4194304 kB\n")
        self.env["KELVORA_MEMINFO"] = "Z:" + meminfo
        self.children = []
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten",
                                      "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as display:
            self.env["DISPLAY"] = ":" + display.readline().strip()
        self.openbox = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineboot", "-i"], env=self.env, capture_output=True, timeout=120)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)

    def tearDown(self):
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60)
        self.server.shutdown()
        self.server.server_close()
        for child in self.children + [self.openbox, self.xvfb]:
            child.kill()
            child.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def wine(self, *command, settle=False):
        """Runs a Windows command to its end; `settle` also waits for every process of the prefix to end, as NSIS
        uninstallers copy themselves and go on running from the copy (only when nothing else runs)."""
        result = subprocess.run(["wine", *command], env=self.env, capture_output=True, text=True, timeout=120)
        if settle:
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)
        return result

    def install_location(self):
        for line in self.wine("reg", "query", UNINSTALL_KEY, "/v", "InstallLocation").stdout.splitlines():
            if "InstallLocation" in line:
                return line.split("REG_SZ", 1)[1].strip()
        return None

    def start(self):
        child = subprocess.Popen(["wine", self.program], env=self.env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        self.children.append(child)
        return child

    def windows(self):
        """The mapped windows called "Kelvora 2008", as {id: (width, height)}."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Kelvora 2008$"], env=self.env,
                               capture_output=True, text=True).stdout.split()
        sizes = {}
        for window in found:
            info = subprocess.run(["xwininfo", "-id", window], env=self.env, capture_output=True, text=True).stdout
            fields = dict(line.strip().split(": ", 1) for line in info.splitlines() if ": " in line)
            if "Width" in fields:
                sizes[window] = (int(fields["Width"]), int(fields["Height"]))
        return sizes

    def xdotool(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env=self.env, capture_output=True, text=True,
                              timeout=30).stdout.split()

    def keys(self, window, *keys):
        self.xdotool("windowactivate", "--sync", window, "key", "--delay", "200", *keys)

    def is_main(self, size):
        # Wine draws the menu bar inside the X window, above the client area.
        return size[0] == CLIENT[0] and CLIENT[1] + 15 <= size[1] <= CLIENT[1] + 30

    def click(self, window, x, y):
        """Clicks at (x, y) of the X window, whose top 19 pixels are Wine's menu bar."""
        subprocess.run(["xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1"], env=self.env,
                       timeout=30)
        time.sleep(0.3)

    def answer_box(self, key="Return"):
        box = wait_for(lambda: [w for w, size in self.windows().items() if not self.is_main(size) and size[0] < 500])
        subprocess.run(["xdotool", "windowactivate", "--sync", box[0], "key", key], env=self.env, timeout=30)
        wait_for(lambda: box[0] not in self.windows())

    def probe(self, what):
        """The main window's controls as the probe reads them: (class, id, checked, visible, (x, y, w, h), text),
        and the list rows."""
        lines = self.wine(PROBE, what).stdout.splitlines()
        controls, rows = [], []
        for line in lines:
            if line.startswith("row "):
                fields = line.split(" ", 5)
                rows.append((tuple(int(v) for v in fields[1:5]), fields[5]))
                continue
            fields = line.split(" ", 8)
            controls.append((fields[0], int(fields[1]), fields[2] == "1", fields[3] == "1",
                             tuple(int(v) for v in fields[4:8]), fields[8] if len(fields) > 8 else ""))
        return controls, rows

    def client_pixels(self, place):
        """The RGB pixels of a client rectangle (x, y, w, h) of the main window, as the screen shows them."""
        rows = self.wine(PROBE, "pixels", *(str(v) for v in place)).stdout.split()
        return [tuple(int(row[i + k:i + k + 2], 16) for k in (0, 2, 4)) for row in rows for i in range(0, len(row), 6)]

    def test_keys_tab_order_and_drawing(self):
        self.wine(SETUP, "/S", settle=True)
        self.program = self.install_location() + "\\kelvora2008.exe"
        self.wine("reg", "add", SETTINGS_KEY, "/v", "curLang", "/t", "REG_SZ", "/d", "English", "/f")
        silent = socket.create_server(("127.0.0.1", 0))  # the silent check waits for ever, quietly
        self.addCleanup(silent.close)
        self.env["KELVORA_VENDOR_URL"] = "http://127.0.0.1:%d" % silent.getsockname()[1]
        child = self.start()
        main = wait_for(lambda: [w for w, size in self.windows().items() if self.is_main(size)])[0]
        time.sleep(1)

        # Enter right after the start and Escape: the program goes on, no other window opens (no Readme).
        shown = set(self.xdotool("search", "--onlyvisible", "--name", "."))
        self.keys(main, "Return", "Escape")
        time.sleep(1.5)
        self.assertIsNone(child.poll())
        self.assertEqual(set(self.xdotool("search", "--onlyvisible", "--name", ".")), shown)

        controls, rows = self.probe("controls")
        texts = [c[5] for c in controls]
        # The next timed release is off: its line is empty, not a heading without a time.
        self.assertFalse([t for t in texts if t.startswith("Next timed optimization")])
        # Every row is a path, a tab and a class name, and the class is drawn at the row's right end, beyond the end
        # of a short path.
        self.assertTrue(rows and all("\t" in text for _, text in rows), rows)
        self.assertIn(rows[0][1].rsplit("\t", 1)[1], ["Idle", "Below normal", "Normal", "Above normal", "High"])
        self.click(main, 60, 143)  # the CPU page
        listbox = next(c for c in self.probe("controls")[0] if c[0] == "ListBox")[4]
        on_screen = [row for row in rows if row[0][1] + row[0][3] < listbox[3]]
        place, _ = min(on_screen, key=lambda row: len(row[1]))
        end = (listbox[0] + 1 + place[0] + place[2] - 80, listbox[1] + 1 + place[1] + 2, 76, place[3] - 4)
        self.assertGreater(sum(1 for p in self.client_pixels(end) if sum(p) < 400), 5)
        # "Go >>" on the update tile is drawn in the link colour.
        go = next(c for c in controls if c[5] == "Go >>" and c[4][0] < 176)[4]
        self.assertGreater(sum(1 for p in self.client_pixels(go)
                               if all(abs(a - b) < 40 for a, b in zip(p, LINK))), 10)

        # Tab visits the navigation column, then the shown page's controls in their table's order, one stop for
        # each option group.
        for page, stops in enumerate(PAGE_STOPS):
            self.click(main, 60, 119 + 24 * page)
            tabs = self.probe("tabs")[0]
            self.assertEqual([t[5] for t in tabs[:7]], texts[:6] + ["Check for updates..."])
            ids = [t[1] for t in tabs[7:]]
            self.assertEqual(len(ids), stops, tabs)
            self.assertEqual(ids, sorted(ids))

        # On the memory page Enter on the chosen level does nothing; the arrows move to the level above.
        self.click(main, 60, 167)
        for _ in range(8):
            if [c for c in self.probe("focus")[0] if c[5] == "Best"]:
                break
            self.keys(main, "Tab")
        self.keys(main, "Return", "Up")
        time.sleep(1)
        self.assertIsNone(child.poll())
        self.assertEqual(set(self.xdotool("search", "--onlyvisible", "--name", ".")), shown)
        checked = [c[5] for c in self.probe("controls")[0] if c[2] and c[3] and c[5] in ("Fast", "Normal", "Best")]
        self.assertEqual(checked, ["Normal"])

        # About: Enter on its focused OK closes it, and so does Escape.
        for key in ("Return", "Escape"):
            self.click(main, 60, 215)
            about = wait_for(lambda: self.xdotool("search", "--onlyvisible", "--name", "^Kelvora 2008 - About"))
            time.sleep(0.5)
            self.keys(about[0], key)
            wait_for(lambda: not self.xdotool("search", "--onlyvisible", "--name", "^Kelvora 2008 - About"), 5)
        # The update window: Escape, and Enter on its focused Cancel, close it while the check waits.
        for key in ("Escape", "Return"):
            self.click(main, 120, 300)
            update = wait_for(lambda: [w for w, size in self.windows().items() if not self.is_main(size)])
            time.sleep(0.5)
            self.keys(update[0], key)
            wait_for(lambda: update[0] not in self.windows(), 5)
        self.assertIsNone(child.poll())

    def test_install_first_start_second_copy_and_uninstall(self):
        self.wine(SETUP, "/S", settle=True)
        folder = self.install_location()
        self.assertTrue(folder)
        self.program = folder + "\\kelvora2008.exe"

        first = self.start()
        self.answer_box()  # no language stored yet: the fixed English message
        main = wait_for(lambda: [w for w, size in self.windows().items() if self.is_main(size)])
        self.assertIn("English", self.wine("reg", "query", SETTINGS_KEY, "/v", "curLang").stdout)
        self.answer_box("n")  # the silent check found 2.41: the question, answered No
        self.assertEqual(Publisher.paths, ["/updates/kvora-2008.txt"])

        # Tab visits the navigation items top to bottom: the third is Memory optimization, Enter shows its page.
        peak_before = status_kb(first.pid, "VmHWM")
        self.keys(main[0], "Tab", "Tab", "Tab", "Return")
        time.sleep(0.5)
        self.click(main[0], 456, 135)  # "Optimize!" on the Memory page
        wait_for(lambda: status_kb(first.pid, "VmHWM") >= peak_before + 25 * MIB)
        wait_for(lambda: status_kb(first.pid, "VmRSS") <= status_kb(first.pid, "VmHWM") - 25 * MIB)

        # The settings page: "Polish" chosen in the list by its first letter, saved with its button.
        self.click(main[0], 60, 190)
        self.click(main[0], 380, 143)
        subprocess.run(["xdotool", "key", "p"], env=self.env, timeout=30)
        self.click(main[0], 510, 143)
        self.answer_box()
        self.assertIn("Polish", self.wine("reg", "query", SETTINGS_KEY, "/v", "curLang").stdout)

        second = self.start()
        self.answer_box()  # the refusal of the second copy
        self.assertEqual(second.wait(timeout=30), 0)
        self.assertEqual([w for w, size in self.windows().items() if self.is_main(size)], main)
        self.assertIsNone(first.poll())

        subprocess.run(["xdotool", "windowactivate", "--sync", main[0], "key", "alt+F4"], env=self.env, timeout=30)
        self.assertEqual(first.wait(timeout=30), 0)

        # The next start speaks Polish: the fifth Tab stop, About..., opens a window titled in Polish.
        silent = socket.create_server(("127.0.0.1", 0))  # takes the connection, never answers
        self.addCleanup(silent.close)
        self.env["KELVORA_VENDOR_URL"] = "http://127.0.0.1:%d" % silent.getsockname()[1]
        third = self.start()
        main = wait_for(lambda: [w for w, size in self.windows().items() if self.is_main(size)])
        self.keys(main[0], *["Tab"] * 5, "Return")
        about = wait_for(lambda: self.xdotool("search", "--onlyvisible", "--name", "^Kelvora 2008 - O programie"))
        self.keys(about[0], "alt+F4")
        self.click(main[0], 120, 300)  # the update tile
        update = wait_for(lambda: [w for w, size in self.windows().items() if not self.is_main(size)])
        self.click(update[0], 312, 68)  # Cancel, while the server keeps silent
        wait_for(lambda: update[0] not in self.windows(), timeout=3)
        self.click(main[0], 60, 238)  # "Exit" in the navigation column ends the program at once
        self.assertEqual(third.wait(timeout=30), 0)

        self.wine(folder + "\\uninstall.exe", "/S", settle=True)
        self.assertIsNone(self.install_location())
        self.assertNotEqual(self.wine("cmd", "/c", "dir", self.program).returncode, 0)
        self.assertIn("Polish", self.wine("reg", "query", SETTINGS_KEY, "/v", "curLang").stdout)


if __name__ == "__main__":
    SETUP = sys.argv.pop(1)
    PROBE = sys.argv.pop(1)
    unittest.main()
