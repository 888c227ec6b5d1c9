"""The foreground priority policy under a real Wayland compositor (headless sway): the program learns the focused
window from sway's IPC socket, and gives its owner the foreground class (nice -5), every other process of ours the
background class (nice 0).

sway refuses to run as root, so the session runs as the unprivileged user `nobody`, the program with an ambient
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

# Runs as pid 1 of the namespace: sway, the program and two clients as `nobody`, each waited for in sway's tree.
INSIDE = r"""
import glob, json, os, subprocess, sys, time
program, client, home = sys.argv[1:4]
os.setsid()
run = os.path.join(home, "run")
env = {"PATH": os.environ["PATH"], "HOME": home, "XDG_RUNTIME_DIR": run, "LANG": "C.UTF-8",
       "XDG_CONFIG_HOME": os.path.join(home, "config"), "KELVORA_VENDOR_URL": "http://127.0.0.1:9",
       "WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"}
user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
def start(cmd, extra=()):
    return subprocess.Popen(user + list(extra) + cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
def wait(what, found):
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        result = found()
        if result:
            return result
        time.sleep(0.1)
    raise SystemExit("timed out waiting for " + what)
def pids_in_tree():
    tree = subprocess.run(["swaymsg", "-s", env["SWAYSOCK"], "-t", "get_tree", "-r"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True).stdout
    return set(int(p) for p in __import__("re").findall(r'"pid": (\d+)', tree))
sway = start(["sway", "-c", os.path.join(home, "sway.conf")])
env["SWAYSOCK"] = wait("sway's socket", lambda: (glob.glob(os.path.join(run, "sway-ipc.*.sock")) or [None])[0])
env["WAYLAND_DISPLAY"] = os.path.basename(wait("sway's display", lambda: glob.glob(os.path.join(run, "wayland-?")))[0])
env.update(QT_QPA_PLATFORM="wayland", XDG_CURRENT_DESKTOP="sway")
procs = {"program": start([program], ["--inh-caps=+sys_nice", "--ambient-caps=+sys_nice"])}
wait("the program's window", lambda: procs["program"].pid in pids_in_tree())
for name in ("first", "second"):
    procs[name] = start([client])
    wait("the %s client's window" % name, lambda: procs[name].pid in pids_in_tree())
print(json.dumps({name: proc.pid for name, proc in procs.items()}), flush=True)
print(env["SWAYSOCK"], flush=True)
sys.stdin.read()
for proc in list(procs.values()) + [sway]:
    proc.kill()
    proc.wait()
"""


@unittest.skipUnless(namespace_permitted() and shutil.which("sway") and os.path.exists(CLIENT),
                     "needs root, unshare --pid, sway and the kelvora_minimal_widgets client beside the program")
class WaylandPriorityTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="kelvora-wayland-")
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)
        self._prepare_home()
        self.inside = subprocess.Popen(["unshare", "--pid", "--fork", "--mount-proc", sys.executable, "-c", INSIDE,
                                        PROGRAM, CLIENT, self.home], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                       text=True)
        self.addCleanup(self._end_inside)
        self.ns = json.loads(self.inside.stdout.readline() or "{}")
        self.assertEqual(set(self.ns), {"first", "second", "program"}, "the session did not start its processes")
        self.sock = self.inside.stdout.readline().strip()
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
        for folder, dirs, files in os.walk(self.home):
            for name in [folder] + [os.path.join(folder, n) for n in dirs + files]:
                os.chown(name, 65534, 65534)

    def _end_inside(self):
        self.inside.stdin.close()  # the namespace ends its own processes
        try:
            self.inside.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.inside.kill()
            self.inside.wait()
        self.inside.stdout.close()

    def focus(self, name):
        subprocess.run(["swaymsg", "-s", self.sock, "[pid=%d] focus" % self.ns[name]], check=True,
                       stdout=subprocess.DEVNULL)
        others = {other: BACKGROUND_NICE for other in self.ns if other != name}
        expect_nices(self, self.host, dict(others, **{name: FOREGROUND_NICE}), name + " focused")

    def test_the_focused_wayland_window_gets_the_foreground_class(self):
        for name in ("first", "program", "second", "first"):
            self.focus(name)


if __name__ == "__main__":
    unittest.main()
