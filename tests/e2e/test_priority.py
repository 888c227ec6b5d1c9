"""The foreground priority policy on a real desktop: the active window's process gets the foreground class (nice -5),
every other process of ours the background class (nice 0), the program's own process included.

The program and its two X clients run alone in a PID namespace of their own, so the program's sweep reaches only the
processes this test started."""

import json
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = harness.program_path()
FOREGROUND_NICE = -5  # above normal, the default foreground choice
BACKGROUND_NICE = 0   # normal, the default background choice

# Runs as pid 1 of the namespace: a session of its own (so its session group is its own too), two xmessage clients
# that carry their process ids, and the program. Prints the namespace's ids, then waits until told to end.
INSIDE = r"""
import json, os, subprocess, sys, time
os.setsid()
def client(title):
    proc = subprocess.Popen(["xmessage", "-title", title, "-geometry", "240x80+%d+500" % (40 + len(title) * 7),
                             "priority test " + title], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % title], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True).stdout.split()
        if found:
            # xmessage does not say which process owns its window; the window manager protocol asks for it.
            for wid in found:
                subprocess.run(["xprop", "-id", wid, "-f", "_NET_WM_PID", "32c", "-set", "_NET_WM_PID",
                                str(proc.pid)], check=True)
            return proc
        time.sleep(0.1)
    raise SystemExit("no window for " + title)
first, second = client("kelvora-e2e-first"), client("kelvora-e2e-second")
program = subprocess.Popen([sys.argv[1]], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(json.dumps({"first": first.pid, "second": second.pid, "program": program.pid}), flush=True)
sys.stdin.read()
for proc in (program, first, second):
    proc.kill()
    proc.wait()
"""


def namespace_permitted():
    if os.geteuid() != 0:
        return False
    return subprocess.run(["unshare", "--pid", "--fork", "--mount-proc", "true"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def thread_nices(host_pid):
    """The nice value of every thread of a process, read from the machine's /proc."""
    nices = []
    task_dir = "/proc/%d/task" % host_pid
    for tid in os.listdir(task_dir):
        try:
            with open(os.path.join(task_dir, tid, "stat")) as f:
                text = f.read()
        except OSError:
            continue
        nices.append(int(text[text.rindex(")") + 2:].split()[16]))
    return nices


def expect_nices(test, host, expected, what):
    """Waits until every thread of each process named in `expected` (by its host pid in `host`) has its nice."""
    def matches():
        return all(set(thread_nices(host[name])) == {nice} for name, nice in expected.items())
    try:
        harness.wait_until(matches, 8, interval=0.2, what=what)
    except harness.HarnessError:
        seen = {name: sorted(set(thread_nices(host[name]))) for name in expected}
        test.fail("%s: expected %s, threads have %s" % (what, expected, seen))


class NamespacePids:
    """Maps the namespace's process ids to the machine's, through each process's NSpid line."""

    def __init__(self, unshare_pid):
        init = harness.wait_until(lambda: harness.children_of(unshare_pid), 10, what="the namespace's first process")
        self.link = os.readlink("/proc/%d/ns/pid" % init[0])

    def host_pid(self, ns_pid):
        for name in os.listdir("/proc"):
            if not name.isdigit():
                continue
            try:
                if os.readlink("/proc/%s/ns/pid" % name) != self.link:
                    continue
                with open("/proc/%s/status" % name) as f:
                    for line in f:
                        if line.startswith("NSpid:") and int(line.split()[-1]) == ns_pid:
                            return int(name)
            except OSError:
                continue
        raise harness.HarnessError("process %d of the namespace not found" % ns_pid)


@unittest.skipUnless(namespace_permitted(), "needs root and unshare --pid (a PID namespace of its own): not permitted "
                                            "here, so the program's sweep could reach processes of others")
class PriorityTest(unittest.TestCase):
    def setUp(self):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)
        env = self.desk.base_env()
        env.update(self.desk.new_profile())
        env["KELVORA_VENDOR_URL"] = "http://127.0.0.1:9"
        self.inside = subprocess.Popen(["unshare", "--pid", "--fork", "--mount-proc", sys.executable, "-c", INSIDE,
                                        PROGRAM], env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.addCleanup(self._end_inside)
        self.ns = json.loads(self.inside.stdout.readline() or "{}")
        self.assertEqual(set(self.ns), {"first", "second", "program"}, "the namespace did not start its processes")
        pids = NamespacePids(self.inside.pid)
        self.host = {name: pids.host_pid(pid) for name, pid in self.ns.items()}

    def _end_inside(self):
        if self.inside.poll() is None:
            self.inside.stdin.close()  # the namespace ends its own processes
            try:
                self.inside.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.inside.kill()
                self.inside.wait()
        self.inside.stdout.close()

    def main_window(self):
        # The first start asks about the language: answer every message box until the main window shows.
        def ready():
            for box in self.desk.find_windows(harness.APP_TITLE, pid=self.ns["program"], kind="dialog"):
                self.desk.key(box, "Return")
            found = self.desk.find_windows(harness.APP_TITLE, pid=self.ns["program"], kind="normal")
            return found[0] if found else None
        return harness.wait_until(ready, 40, what="the main window")

    def client(self, title):
        return self.desk.wait_for_window(title, 20)

    def expect_nices(self, expected, what):
        expect_nices(self, self.host, expected, what)

    def test_the_active_window_gets_the_foreground_class(self):
        main = self.main_window()
        first, second = self.client("kelvora-e2e-first"), self.client("kelvora-e2e-second")

        self.desk.activate(main)
        self.expect_nices({"program": FOREGROUND_NICE, "first": BACKGROUND_NICE, "second": BACKGROUND_NICE},
                          "the program's own window active")
        self.desk.activate(first)
        self.expect_nices({"first": FOREGROUND_NICE, "second": BACKGROUND_NICE, "program": BACKGROUND_NICE},
                          "the first client active")
        self.desk.activate(second)
        self.expect_nices({"second": FOREGROUND_NICE, "first": BACKGROUND_NICE, "program": BACKGROUND_NICE},
                          "the second client active")
        self.desk.activate(first)
        self.expect_nices({"first": FOREGROUND_NICE, "second": BACKGROUND_NICE, "program": BACKGROUND_NICE},
                          "the first client active again")


if __name__ == "__main__":
    harness.main()
