"""The foreground priority policy under real Wayland compositors, headless sway, KWin's virtual backend and headless
GNOME Shell: the program learns the focused window from sway's IPC socket, from its script inside KWin or from its
extension inside GNOME Shell, and gives its owner the foreground class (nice -5), every other process of ours the
background class (nice 0).

sway refuses to run as root, so each session runs as the unprivileged user `nobody`, the program with an ambient
CAP_SYS_NICE to raise priorities; all of it alone in a PID namespace, like the X11 test."""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = harness.program_path()
sys.argv.insert(1, PROGRAM)  # the X11 test takes the program's path too when its helpers are imported
from test_priority import NamespacePids, expect_nices, namespace_permitted  # noqa: E402
from wayland_session import activate, bus_call  # noqa: E402
CLIENT = os.path.join(os.path.dirname(PROGRAM), "kelvora_minimal_widgets")  # a one-label Qt program
FOREGROUND_NICE, BACKGROUND_NICE = -5, 0
SETTINGS_KEY = "HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Settings"
GNOME_EXTENSION = "kelvora2008-legacy@talvek.example"  # the one for GNOME Shell 40-44, as Debian 12's 43

SESSION = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wayland_session.py")
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# Loaded into KWin to move the focus as a user's click would: to the window of one process, now or once it opens.
KWIN_FOCUS = """
function focus(window) { if (window.pid == %d) workspace.activeClient = window; }
workspace.clientList().forEach(focus);
workspace.clientAdded.connect(focus);
"""


class WaylandPriorityTest:
    """Starts the session in setUp; each compositor's test says how to move its focus."""
    compositor = None

    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="kelvora-wayland-")
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)
        self._prepare_home()
        self.inside = subprocess.Popen(["unshare", "--pid", "--fork", "--mount-proc", sys.executable, SESSION,
                                        self.compositor, PROGRAM, CLIENT, self.home], stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, text=True)
        self.addCleanup(self._end_inside)
        self.ns = json.loads(self.inside.stdout.readline() or "{}")
        self.assertEqual(set(self.ns), {"first", "second", "program"}, "the session did not start its processes")
        self.link = self.inside.stdout.readline().strip()
        pids = NamespacePids(self.inside.pid)
        self.host = {name: pids.host_pid(pid) for name, pid in self.ns.items()}

    def _prepare_home(self):
        """A home of `nobody`'s own, with a language already chosen so no first-start message waits for an answer."""
        os.chmod(self.home, 0o755)
        store = os.path.join(self.home, "config", "Talvek")
        os.makedirs(store)
        os.makedirs(os.path.join(self.home, "run"), mode=0o700)
        with open(os.path.join(store, "kelvora-2008.reg"), "w", encoding="utf-8") as f:
            f.write('REGEDIT4\n\n[%s]\n"curLang"="English"\n' % SETTINGS_KEY)
        open(os.path.join(self.home, "sway.conf"), "w").close()
        if self.compositor == "gnome":
            extensions = os.path.join(self.home, "data", "gnome-shell", "extensions")
            for folder in (os.path.join(SOURCE, "packaging", "linux", "gnome-shell", GNOME_EXTENSION),
                           os.path.join(SOURCE, "tests", "e2e", "gnome-focus@kelvora.test")):
                shutil.copytree(folder, os.path.join(extensions, os.path.basename(folder)))
            settings = os.path.join(self.home, "config", "glib-2.0", "settings")
            os.makedirs(settings)
            with open(os.path.join(settings, "keyfile"), "w", encoding="utf-8") as f:
                f.write("[org/gnome/shell]\nenabled-extensions=['%s', 'gnome-focus@kelvora.test']\n" % GNOME_EXTENSION)
        if self.compositor == "kwin":
            # Debian gives kwin_wayland a file capability this container cannot grant; a copy has none.
            shutil.copy(shutil.which("kwin_wayland"), os.path.join(self.home, "kwin_wayland"))
        for folder, dirs, files in os.walk(self.home):
            for name in [folder] + [os.path.join(folder, n) for n in dirs + files]:
                os.chown(name, 65534, 65534)

    def _end_inside(self):
        self.inside.stdin.close()
        try:
            self.inside.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.inside.kill()
            self.inside.wait()
        self.inside.stdout.close()

    def move_focus(self, name):
        raise NotImplementedError

    def test_the_focused_wayland_window_gets_the_foreground_class(self):
        for name in ("first", "program", "second", "first"):
            self.move_focus(name)
            others = {other: BACKGROUND_NICE for other in self.ns if other != name}
            expect_nices(self, self.host, dict(others, **{name: FOREGROUND_NICE}), name + " focused")


@unittest.skipUnless(namespace_permitted() and shutil.which("sway") and os.path.exists(CLIENT),
                     "needs root, unshare --pid, sway and the kelvora_minimal_widgets client beside the program")
class SwayTest(WaylandPriorityTest, unittest.TestCase):
    compositor = "sway"

    def move_focus(self, name):
        # The program's splash closes before its main window maps; for a moment it has no window to focus.
        deadline = time.monotonic() + 15
        while subprocess.run(["swaymsg", "-s", self.link, "[pid=%d] focus" % self.ns[name]],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
            self.assertLess(time.monotonic(), deadline, "sway found no window of " + name)
            time.sleep(0.1)


@unittest.skipUnless(namespace_permitted() and shutil.which("kwin_wayland") and os.path.exists(CLIENT),
                     "needs root, unshare --pid, kwin_wayland and the kelvora_minimal_widgets client beside the program")
class KWinTest(WaylandPriorityTest, unittest.TestCase):
    compositor = "kwin"
    scripts = 0

    def move_focus(self, name):
        script = os.path.join(self.home, "focus-%d.js" % self.scripts)
        with open(script, "w", encoding="utf-8") as f:
            f.write(KWIN_FOCUS % self.ns[name])
        os.chmod(script, 0o644)
        if self.scripts:
            self.scripting("unloadScript", "string:test-focus-%d" % (self.scripts - 1))
        self.scripting("loadScript", "string:" + script, "string:test-focus-%d" % self.scripts)
        self.scripting("start")
        self.scripts += 1

    def scripting(self, method, *arguments):
        self.assertIn("method return", bus_call(self.link, "org.kde.KWin", "/Scripting",
                                                "org.kde.kwin.Scripting." + method, *arguments), method)


def gnome_shell_40_to_44():
    if not shutil.which("gnome-shell"):
        return False
    version = subprocess.run(["gnome-shell", "--version"], stdout=subprocess.PIPE, text=True).stdout.split()
    return len(version) == 3 and 40 <= int(version[2].split(".")[0]) <= 44


@unittest.skipUnless(namespace_permitted() and gnome_shell_40_to_44() and os.path.exists(CLIENT),
                     "needs root, unshare --pid, gnome-shell 40 to 44 and the kelvora_minimal_widgets client")
class GnomeTest(WaylandPriorityTest, unittest.TestCase):
    compositor = "gnome"

    def move_focus(self, name):
        harness.wait_until(lambda: activate(self.link, self.ns[name]), 8, interval=0.2, what=name + " taking the focus")


if __name__ == "__main__":
    harness.main()
