"""A Wayland session for test_wayland_priority, run as pid 1 of a PID namespace of its own: the compositor, the
program and two clients, all as `nobody`, each waited for until the compositor has its window. Prints the
namespace's ids and the address the test moves the focus through, then waits until its input closes; the
namespace's processes end with it.

usage: wayland_session.py sway|kwin|gnome PROGRAM CLIENT HOME"""
import glob
import json
import os
import re
import subprocess
import sys
import time

NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]


def start(cmd, extra=(), more_env=None):
    return subprocess.Popen(NOBODY + list(extra) + cmd, env=dict(env, **(more_env or {})), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def output(cmd):
    return subprocess.run(NOBODY + cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout


def wait(what, found):
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        result = found()
        if result:
            return result
        time.sleep(0.1)
    raise SystemExit("timed out waiting for " + what)


def bus_call(address, destination, path, method, *arguments):
    """A method call on the session bus at `address`, as `nobody` (whose bus it is); returns dbus-send's output."""
    return subprocess.run(NOBODY + ["dbus-send", "--session", "--print-reply", "--dest=" + destination, path, method] +
                          list(arguments), env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=address),
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout


def new_bus():
    return output(["dbus-daemon", "--session", "--fork", "--print-address=1"]).strip()


def on_bus(name):
    return "boolean true" in bus_call(env["DBUS_SESSION_BUS_ADDRESS"], "org.freedesktop.DBus", "/",
                                      "org.freedesktop.DBus.NameHasOwner", "string:" + name)


def activate(address, pid):
    """Asks the test's GNOME extension to focus `pid`'s window; true once that window has the focus."""
    return "boolean true" in bus_call(address, "test.Kelvora.FocusMover", "/test/Kelvora/FocusMover",
                                      "test.Kelvora.FocusMover.Activate", "uint32:%d" % pid)


def sway():
    start(["sway", "-c", os.path.join(home, "sway.conf")],
          more_env={"WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"})
    env["SWAYSOCK"] = wait("sway's socket", lambda: (glob.glob(os.path.join(run, "sway-ipc.*.sock")) or [None])[0])
    env["WAYLAND_DISPLAY"] = os.path.basename(wait("sway's display", lambda: glob.glob(os.path.join(run, "wayland-?")))[0])
    env["XDG_CURRENT_DESKTOP"] = "sway"

    def has_window(pid):
        tree = output(["swaymsg", "-t", "get_tree", "-r"])
        return pid in set(int(p) for p in re.findall(r'"pid": (\d+)', tree))
    return has_window, env["SWAYSOCK"]


def kwin():
    env["DBUS_SESSION_BUS_ADDRESS"] = new_bus()
    start([os.path.join(home, "kwin_wayland"), "--virtual", "--socket", "wayland-kv"])
    wait("KWin on the bus", lambda: on_bus("org.kde.KWin"))
    env.update(WAYLAND_DISPLAY="wayland-kv", XDG_CURRENT_DESKTOP="KDE")

    def has_window(pid):  # a new window takes the focus, so its owner's nice tells that KWin has mapped it
        return os.getpriority(os.PRIO_PROCESS, pid) == -5
    return has_window, env["DBUS_SESSION_BUS_ADDRESS"]


def gnome():
    if os.path.isdir("/run/systemd/seats"):
        # No logind answers here: hidden, the shell takes its stand-in login manager.
        subprocess.run(["mount", "-t", "tmpfs", "none", "/run/systemd"], check=True)
    env["DBUS_SESSION_BUS_ADDRESS"] = new_bus()
    start(["gnome-shell", "--headless", "--wayland", "--no-x11", "--virtual-monitor", "800x600", "--wayland-display",
           "wayland-gs"], more_env={"DBUS_SYSTEM_BUS_ADDRESS": new_bus(), "GSETTINGS_BACKEND": "keyfile",
                                    "XDG_DATA_HOME": os.path.join(home, "data")})
    wait("the program's extension on the bus", lambda: on_bus("com.talvek.Kelvora2008.Shell"))
    wait("the focus mover on the bus", lambda: on_bus("test.Kelvora.FocusMover"))
    env.update(WAYLAND_DISPLAY="wayland-gs", XDG_CURRENT_DESKTOP="GNOME")
    return lambda pid: activate(env["DBUS_SESSION_BUS_ADDRESS"], pid), env["DBUS_SESSION_BUS_ADDRESS"]


if __name__ == "__main__":
    compositor, program, client, home = sys.argv[1:5]
    os.setsid()
    run = os.path.join(home, "run")
    env = {"PATH": os.environ["PATH"], "HOME": home, "XDG_RUNTIME_DIR": run, "LANG": "C.UTF-8",
           "XDG_CONFIG_HOME": os.path.join(home, "config"), "KELVORA_VENDOR_URL": "http://127.0.0.1:9"}
    has_window, link = {"sway": sway, "kwin": kwin, "gnome": gnome}[compositor]()
    env["QT_QPA_PLATFORM"] = "wayland"
    procs = {"program": start([program], ["--inh-caps=+sys_nice", "--ambient-caps=+sys_nice"])}
    wait("the program's window", lambda: has_window(procs["program"].pid))
    for name in ("first", "second"):
        procs[name] = start([client])
        wait("the %s client's window" % name, lambda: has_window(procs[name].pid))
    print(json.dumps({name: proc.pid for name, proc in procs.items()}), flush=True)
    print(link, flush=True)
    sys.stdin.read()
