"""The foreground priority policy under real Wayland compositors, headless sway and KWin's virtual backend: the
program learns the focused window from sway's IPC socket or from its script inside KWin, and gives its owner the
foreground class (nice -5), every other process of ours the background class (nice 0).

sway refuses to run as root, so each session runs as the unprivileged user `nobody`, the program with an ambient
CAP_SYS_NICE to raise priorities; all of it alone in a PID namespace, like the X11 test."""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = harness.program_path()
sys.argv.insert(1, PROGRAM)  # the X11 test takes the program's path too when its helpers are imported
from test_priority import NamespacePids, expect_nices, namespace_permitted  # noqa: E402
CLIENT = os.path.join(os.path.dirname(PROGRAM), "kelvora_minimal_widgets")  # a one-label Qt program
FOREGROUND_NICE, BACKGROUND_NICE = -5, 0
SETTINGS_KEY = "HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Settings"
NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]

# Runs as pid 1 of the namespace: the compositor, the program and two clients as `nobody`, each waited for until the
# compositor has its window. Prints the namespace's ids and what the test needs to move the focus, then waits.
INSIDE = r"""
import glob, json, os, re, subprocess, sys, time
compositor, program, client, home = sys.argv[1:5]
os.setsid()
run = os.path.join(home, "run")
env = {"PATH": os.environ["PATH"], "HOME": home, "XDG_RUNTIME_DIR": run, "LANG": "C.UTF-8",
       "XDG_CONFIG_HOME": os.path.join(home, "config"), "KELVORA_VENDOR_URL": "http://127.0.0.1:9"}
user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
def start(cmd, extra=(), more_env=None):
    return subprocess.Popen(user + list(extra) + cmd, env=dict(env, **(more_env or {})), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
def wait(what, found):
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        result = found()
        if result:
            return result
        time.sleep(0.1)
    raise SystemExit("timed out waiting for " + what)
def output(cmd):
    return subprocess.run(user + cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
if compositor == "sway":
    sway = start(["sway", "-c", os.path.join(home, "sway.conf")],
                 more_env={"WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"})
    env["SWAYSOCK"] = wait("sway's socket", lambda: (glob.glob(os.path.join(run, "sway-ipc.*.sock")) or [None])[0])
    env["WAYLAND_DISPLAY"] = os.path.basename(wait("sway's display", lambda: glob.glob(os.path.join(run, "wayland-?")))[0])
    env["XDG_CURRENT_DESKTOP"] = "sway"
    def has_window(pid):
        return pid in set(int(p) for p in re.findall(r'"pid": (\d+)', output(["swaymsg", "-t", "get_tree", "-r"])))
    link = env["SWAYSOCK"]
else:
    # A window of ours gets the focus when it opens, so its owner's new nice tells that KWin has mapped it.
    env["DBUS_SESSION_BUS_ADDRESS"] = output(["dbus-daemon", "--session", "--fork", "--print-address=1"]).strip()
    start([os.path.join(home, "kwin_wayland"), "--virtual", "--socket", "wayland-kv"])
    wait("KWin on the bus", lambda: "boolean true" in output(
        ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/", "org.freedesktop.DBus.NameHasOwner",
         "string:org.kde.KWin"]))
    env.update(WAYLAND_DISPLAY="wayland-kv", XDG_CURRENT_DESKTOP="KDE")
    def has_window(pid):
        return os.getpriority(os.PRIO_PROCESS, pid) == -5
    link = env["DBUS_SESSION_BUS_ADDRESS"]
env["QT_QPA_PLATFORM"] = "wayland"
procs = {"program": start([program], ["--inh-caps=+sys_nice", "--ambient-caps=+sys_nice"])}
wait("the program's window", lambda: has_window(procs["program"].pid))
for name in ("first", "second"):
    procs[name] = start([client])
    wait("the %s client's window" % name, lambda: has_window(procs[name].pid))
print(json.dumps({name: proc.pid for name, proc in procs.items()}), flush=True)
print(link, flush=True)
sys.stdin.read()  # the namespace's processes end with it
"""

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
        self.inside = subprocess.Popen(["unshare", "--pid", "--fork", "--mount-proc", sys.executable, "-c", INSIDE,
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
        subprocess.run(["swaymsg", "-s", self.link, "[pid=%d] focus" % self.ns[name]], check=True,
                       stdout=subprocess.DEVNULL)


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
        subprocess.run(NOBODY + ["dbus-send", "--session", "--print-reply", "--dest=org.kde.KWin", "/Scripting",
                                 "org.kde.kwin.Scripting." + method] + list(arguments), check=True,
                       env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.link), stdout=subprocess.DEVNULL)


if __name__ == "__main__":
    unittest.main()
