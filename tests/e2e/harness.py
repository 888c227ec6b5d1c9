"""End-to-end harness: a private X server (Xvfb) with a real window manager (openbox), the program started with its
own settings and runtime folders, and xdotool/xwininfo/xprop to look at and drive its windows.

    with Desktop() as desk:
        app = desk.start_program()
        main = desk.wait_for_window("Kelvora 2008", pid=app.pid, kind="normal")
        desk.click_client(main, 40, 220)

The program always runs in a PID namespace of the desktop's own (with its own /proc), so its priority sweep reaches
only what the test started there, never the machine's processes; where no namespace can be made (not root, no
unshare) start_program() skips the test with a message. `app.pid` is the program's id on the machine; window
lookups by pid translate it to the id the program sees (and writes into _NET_WM_PID).

Only processes started here are ever ended, each by its own id; everything is cleaned up on exit."""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

APP_TITLE = "Kelvora 2008"


class HarnessError(AssertionError):
    pass


def program_path():
    """The executable under test: the first command-line argument (ctest passes it)."""
    if len(sys.argv) < 2:
        raise SystemExit("usage: %s path/to/kelvora2008 [unittest options]" % sys.argv[0])
    return os.path.abspath(sys.argv.pop(1))


def wait_until(predicate, timeout, interval=0.1, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


class Window:
    def __init__(self, wid, x, y, width, height):
        self.id, self.x, self.y, self.width, self.height = wid, x, y, width, height

    def __repr__(self):
        return "Window(%s, %dx%d at %d,%d)" % (self.id, self.width, self.height, self.x, self.y)


def children_of(pid):
    """The machine's ids of the processes whose parent is `pid`."""
    found = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % name) as f:
                text = f.read()
        except OSError:
            continue
        if int(text[text.rindex(")") + 2:].split()[1]) == pid:
            found.append(int(name))
    return found


def namespace_pid(host_pid):
    """The id a process has inside its own PID namespace (the last NSpid field)."""
    with open("/proc/%d/status" % host_pid) as f:
        for line in f:
            if line.startswith("NSpid:"):
                return int(line.split()[-1])
    raise HarnessError("no NSpid line for process %d" % host_pid)


def namespaces_permitted():
    return os.geteuid() == 0 and shutil.which("nsenter") is not None and subprocess.run(
        ["unshare", "--pid", "--fork", "--mount-proc", "true"], stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL).returncode == 0


class NamespacedProgram:
    """The program started by nsenter inside the desktop's namespace: ids, signals and the exit status are the
    program's own (nsenter ends as its child did)."""

    def __init__(self, entering):
        self.entering = entering
        self.pid = wait_until(lambda: (children_of(entering.pid) or [None])[0], 10, what="the program in the namespace")
        self.ns_pid = namespace_pid(self.pid)
        self.stdin = entering.stdin
        self.log_path = None

    @property
    def returncode(self):
        return self.entering.returncode

    def poll(self):
        return self.entering.poll()

    def wait(self, timeout=None):
        return self.entering.wait(timeout=timeout)

    def send_signal(self, sig):
        if self.entering.poll() is None:
            os.kill(self.pid, sig)  # still nsenter's child, so still the program

    def terminate(self):
        self.send_signal(signal.SIGTERM)

    def kill(self):
        self.send_signal(signal.SIGKILL)


class Desktop:
    """A context manager: Xvfb on a free display plus openbox; start_program() runs the executable there."""

    def __init__(self, program=None, width=1024, height=768):
        self.program = program
        self.size = (width, height)
        self.processes = []  # every process started here, ended in reverse order
        self.temp = None
        self.display = None
        self.namespace = None  # the machine's id of the namespace's first process, once one is made
        self.ns_pids = {}  # the machine's id of each program started -> its id in the namespace

    # --- set-up and clean-up ---------------------------------------------------------------------------------------

    def __enter__(self):
        self.temp = tempfile.mkdtemp(prefix="kelvora-e2e-")
        try:
            self._start_x()
            self._start_window_manager()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for proc in reversed(self.processes):
            self._end(proc)
        self.processes = []
        if self.temp:
            shutil.rmtree(self.temp, ignore_errors=True)
            self.temp = None
        return False

    def _start_x(self):
        read_end, write_end = os.pipe()
        width, height = self.size
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height), "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.processes.append(xvfb)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or xvfb.poll() is not None:
                os.close(read_end)
                raise HarnessError("Xvfb did not start")
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        wait_until(lambda: self._x_ok(), 20, what="the X server")

    def _x_ok(self):
        return subprocess.run(["xprop", "-root", "-display", self.display, "_NET_SUPPORTED"], env=self.base_env(),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0

    def _start_window_manager(self):
        config = os.path.join(self.temp, "wm-config")
        os.makedirs(config)
        env = self.base_env()
        env["XDG_CONFIG_HOME"] = config
        self.processes.append(subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL))
        wait_until(lambda: "window id #" in self._run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]), 20,
                   what="openbox")

    @staticmethod
    def _end(proc, timeout=5):
        if getattr(proc, "group", False) and proc.poll() is None:
            os.killpg(proc.pid, signal.SIGTERM)  # with the helpers it started
        if proc.poll() is not None:
            return
        try:
            proc.send_signal(signal.SIGTERM)
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=timeout)
        except ProcessLookupError:
            pass

    # --- environment and programs ------------------------------------------------------------------------------------

    def base_env(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XDG_", "WAYLAND_"))}
        env["DISPLAY"] = self.display or ""
        env.pop("XAUTHORITY", None)
        env["QT_QPA_PLATFORM"] = "xcb"
        env["LANG"] = env.get("LANG", "C.UTF-8")
        return env

    def new_profile(self, name="profile"):
        """A fresh user: its own settings folder and runtime folder (where the single-instance lock lives)."""
        root = tempfile.mkdtemp(prefix=name + "-", dir=self.temp)
        config = os.path.join(root, "config")
        runtime = os.path.join(root, "runtime")
        os.makedirs(config)
        os.makedirs(runtime, mode=0o700)
        return {"XDG_CONFIG_HOME": config, "XDG_RUNTIME_DIR": runtime, "HOME": root}

    def start_program(self, profile=None, extra_env=None, program=None):
        """Starts the executable; `profile` from new_profile() (a fresh one when omitted)."""
        env = self.base_env()
        env.update(profile if profile is not None else self.new_profile())
        env.update(extra_env or {})
        env.setdefault("KELVORA_VENDOR_URL", "http://127.0.0.1:9")  # never the network
        log_path = os.path.join(self.temp, "program-%d.log" % len(self.processes))
        with open(log_path, "wb") as log:
            proc = self.start_in_namespace([program or self.program], env=env, stdout=log, stderr=subprocess.STDOUT)
        proc.log_path = log_path  # what the program printed, for a failing test's message
        return proc

    def start_in_namespace(self, args, **popen_options):
        """Runs `args` in the desktop's PID namespace; ended with the desktop. The process may exec the program."""
        # A preloaded library is the program's, not nsenter's: a sanitized one loaded into nsenter spins at its exit.
        env = popen_options.get("env")
        preload = []
        if env and "LD_PRELOAD" in env:
            env = popen_options["env"] = dict(env)
            preload = ["env", "LD_PRELOAD=" + env.pop("LD_PRELOAD")]
        entering = subprocess.Popen(["nsenter", "--target", str(self._namespace()), "--pid", "--mount", "--"] +
                                    preload + args, **popen_options)
        self.processes.append(entering)
        proc = NamespacedProgram(entering)
        self.ns_pids[proc.pid] = proc.ns_pid
        self.processes.append(proc)
        return proc

    def _namespace(self):
        """A PID namespace with its own /proc, made at the first start and ended with the desktop."""
        if self.namespace is None:
            if not namespaces_permitted():
                raise unittest.SkipTest("the program must run in a PID namespace of its own, so that its priority "
                                        "sweep never reaches this machine's processes: needs root, unshare and "
                                        "nsenter")
            holder = subprocess.Popen(["unshare", "--pid", "--fork", "--mount-proc", "--kill-child", "sleep",
                                       "infinity"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.processes.insert(0, holder)  # ended last, taking whatever is left in the namespace with it
            self.namespace = wait_until(lambda: (children_of(holder.pid) or [None])[0], 10,
                                        what="the namespace's first process")
        return self.namespace

    def start_accessibility_bus(self):
        """A private session bus with the accessibility bus on it; returns the environment that makes a program
        expose its widgets there. This process reads them through Atspi (`accessible_frame`)."""
        env = dict(self.base_env(), HOME=tempfile.mkdtemp(prefix="a11y-", dir=self.temp))  # the bus socket's folder
        read_end, write_end = os.pipe()
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=%d" % write_end],
                               pass_fds=(write_end,), env=env, start_new_session=True, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            env["DBUS_SESSION_BUS_ADDRESS"] = os.environ["DBUS_SESSION_BUS_ADDRESS"] = f.readline().strip()
        launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately", "--a11y=1"],
                                    env=env, start_new_session=True, stderr=subprocess.DEVNULL)
        for proc in (bus, launcher):
            proc.group = True  # ended with the helpers it starts
            self.processes.append(proc)
        return {"DBUS_SESSION_BUS_ADDRESS": env["DBUS_SESSION_BUS_ADDRESS"], "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}

    def _run(self, args, check=False):
        result = subprocess.run(args, env=self.base_env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                timeout=30)
        if check and result.returncode != 0:
            raise HarnessError("%s failed: %s" % (" ".join(args), result.stderr.strip()))
        return result.stdout

    def xdotool(self, *args):
        return self._run(["xdotool"] + [str(a) for a in args], check=True)

    # --- looking at windows ------------------------------------------------------------------------------------------

    def window_ids(self, name=None, pid=None):
        """Visible top-level windows, by exact title and/or owning process."""
        args = ["xdotool", "search", "--all", "--onlyvisible"]
        if pid is not None:
            args += ["--pid", str(self.ns_pids.get(pid, pid))]  # as the program sees itself
        if name is not None:
            args += ["--name", "^%s$" % re.escape(name)]
        else:
            args += ["--name", ".*"]
        return self._run(args).split()

    def geometry(self, wid):
        info = self._run(["xwininfo", "-id", str(wid)])
        def field(label):
            match = re.search(r"%s:\s+(-?\d+)" % label, info)
            return int(match.group(1)) if match else 0
        return Window(wid, field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                      field("Height"))

    def window_type(self, wid):
        """'normal', 'dialog', 'splash', ... from _NET_WM_WINDOW_TYPE."""
        out = self._run(["xprop", "-id", str(wid), "_NET_WM_WINDOW_TYPE"])
        match = re.search(r"_NET_WM_WINDOW_TYPE_([A-Z_]+)", out)
        return match.group(1).lower() if match else ""

    def title(self, wid):
        return self._run(["xdotool", "getwindowname", str(wid)]).strip()

    def find_windows(self, name=None, pid=None, kind=None, size=None):
        found = []
        for wid in self.window_ids(name, pid):
            if kind is not None and self.window_type(wid) != kind:
                continue
            win = self.geometry(wid)
            if size is not None and (win.width, win.height) != tuple(size):
                continue
            found.append(win)
        return found

    def wait_for_window(self, name=None, timeout=20, pid=None, kind=None, size=None):
        what = "window %r (pid %s, type %s, size %s)" % (name, pid, kind, size)
        return wait_until(lambda: (self.find_windows(name, pid, kind, size) or [None])[0], timeout, what=what)

    def wait_for_no_window(self, timeout=20, **criteria):
        wait_until(lambda: not self.find_windows(**criteria), timeout, what="windows %r to go" % (criteria,))

    def wait_for_exit(self, proc, timeout=20):
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("process %d still runs after %.1f s" % (proc.pid, timeout))

    # --- acting on windows -------------------------------------------------------------------------------------------

    def activate(self, win):
        self.xdotool("windowactivate", "--sync", win.id)

    def key(self, win, *keys):
        self.activate(win)
        self.xdotool("key", "--clearmodifiers", *keys)

    def click_client(self, win, x, y, button=1):
        """Clicks at (x, y) in the window's own coordinates."""
        self.xdotool("mousemove", "--sync", win.x + x, win.y + y)
        self.xdotool("click", button)

    def screenshot(self, path):
        """Saves the whole screen when ImageMagick's import is installed; returns whether it did."""
        if not shutil.which("import"):
            return False
        return subprocess.run(["import", "-window", "root", path], env=self.base_env(),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


# --- the program's own windows ---------------------------------------------------------------------------------------



def main_window(desk, proc, timeout=30):
    return desk.wait_for_window(APP_TITLE, timeout, pid=proc.pid, kind="normal")


def client_origin(win):
    """The main window's client area (below the menu bar) in the window's coordinates."""
    return 0, win.height - 358


def click_main(desk, win, x, y):
    """Clicks at (x, y) of the main window's client area (the place the layout gives)."""
    left, top = client_origin(win)
    desk.click_client(win, left + x, top + y)


def dismiss_message(desk, proc, timeout=20):
    """Waits for a message box of the program and closes it with Return."""
    box = desk.wait_for_window(APP_TITLE, timeout, pid=proc.pid, kind="dialog")
    desk.key(box, "Return")
    desk.wait_for_no_window(timeout, name=APP_TITLE, pid=proc.pid, kind="dialog")
    return box


def store_files(profile):
    """Every file below the profile's settings folder."""
    found = []
    for folder, _, names in os.walk(profile["XDG_CONFIG_HOME"]):
        found += [os.path.join(folder, name) for name in names]
    return found


def stored_language(profile):
    """The curLang value in the settings store, or None."""
    for path in store_files(profile):
        with open(path, "rb") as f:
            text = f.read().decode("utf-8", "replace")
        match = re.search(r'^"curLang"="([^"\r\n]*)"', text, re.MULTILINE | re.IGNORECASE)
        if match:
            return match.group(1)
    return None


def start_to_main_window(desk, profile, timeout=30):
    """Starts the program and returns (process, main window), answering the first start's language message."""
    proc = desk.start_program(profile)
    deadline = time.monotonic() + timeout

    def ready():
        for box in desk.find_windows(APP_TITLE, pid=proc.pid, kind="dialog"):
            desk.key(box, "Return")
        found = desk.find_windows(APP_TITLE, pid=proc.pid, kind="normal")
        return found[0] if found else None

    win = wait_until(ready, max(1, deadline - time.monotonic()), what="the main window")
    return proc, win


# --- the accessibility bus ---------------------------------------------------------------------------------------------


def atspi():
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
    return Atspi


def accessible_frame(proc, title, timeout=30):
    """The program's window titled `title` on the accessibility bus, read afresh on every call (no cache)."""
    Atspi = atspi()

    def find():
        desktop = Atspi.get_desktop(0)
        desktop.clear_cache()
        apps = [app for app in map(desktop.get_child_at_index, range(desktop.get_child_count()))
                if app is not None and app.get_process_id() == proc.pid]
        for app in apps:
            app.set_cache_mask(Atspi.Cache.NONE)
        return next((w for app in apps for w in accessibles(app, ()) if (w.get_role_name(), w.get_name())
                     == ("frame", title)), None)
    return wait_until(find, timeout, interval=0.3, what="%r on the accessibility bus" % title)


def accessibles(root, skip_roles=("list", "table", "tree")):
    """Every accessible below root, depth first; rows of lists are left out."""
    for child in (root.get_child_at_index(i) for i in range(root.get_child_count())):
        if child is not None:
            yield child
            if child.get_role_name() not in skip_roles:
                yield from accessibles(child, skip_roles)


def has_state(acc, name):
    return acc.get_state_set().contains(getattr(atspi().StateType, name.upper()))


def value_changes_while(act, role, enough, timeout=10):
    """How many value changes accessibles of `role` announce while `act` runs, waiting for `enough` of them."""
    from gi.repository import GLib
    changes = []
    listener = atspi().EventListener.new(lambda event: changes.append(event.source.get_role_name() == role))
    listener.register("object:property-change:accessible-value")
    time.sleep(1)  # the program learns of the listener
    act()
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and changes.count(True) < enough:
        GLib.MainContext.default().iteration(False) or time.sleep(0.01)
    return changes.count(True)


def main(**kwargs):
    """unittest.main for a test script run by ctest: exits 77 (the tests' SKIP_RETURN_CODE) when nothing failed but
    something was skipped, so ctest reports the script as skipped instead of passed."""
    result = unittest.main(exit=False, **kwargs).result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.skipped:
        print(f"skipped: {len(result.skipped)} of {result.testsRun}", file=sys.stderr)
        sys.exit(77)
    sys.exit(0)
