"""Soak run: the real program under Xvfb + openbox while processes start and end (10 a second) and the foreground
window changes every second. Samples the program's resident memory and open descriptors; fails on a crash, on
resident memory growing more than 2 MB after the first minute, or on a growing descriptor count.

    python3 soak.py path/to/kelvora2008 MINUTES

Run it inside its own PID namespace (tools/soak does) so the priority sweep reaches only processes started here."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

GROWTH_LIMIT_KB = 2048
WARM_UP_S = 60


def resident_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def descriptor_count(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


def start_client(desk, title):
    """An X client in the program's namespace, so the program sees it and may change it."""
    proc = desk.start_in_namespace(["xmessage", "-title", title, "-geometry", "+40+40", title], env=desk.base_env(),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    win = desk.wait_for_window(title, 20)
    # xmessage publishes no process id, and the X server's ids are not the namespace's: say it as the program sees it.
    subprocess.run(["xprop", "-id", win.id, "-f", "_NET_WM_PID", "32c", "-set", "_NET_WM_PID",
                                 str(proc.ns_pid)], env=desk.base_env(), check=True)
    return win


def soak(program, minutes):
    with harness.Desktop(program) as desk:
        profile = desk.new_profile()
        app, main = harness.start_to_main_window(desk, profile)
        windows = [main, start_client(desk, "soak-a"), start_client(desk, "soak-b")]
        # Short-lived processes the sweep meets, started inside the namespace by one shell of its own.
        desk.start_in_namespace(["sh", "-c", "while :; do sleep 0.3 & sleep 0.3 & sleep 0.3 & wait; done"],
                                stdout=subprocess.DEVNULL)
        samples = []
        started = time.monotonic()
        next_switch = next_sample = started
        turn = 0
        while time.monotonic() - started < minutes * 60:
            now = time.monotonic()
            if app.poll() is not None:
                raise harness.HarnessError("the program ended with status %s" % app.returncode)
            if now >= next_switch:
                desk.xdotool("windowactivate", windows[turn % len(windows)].id)
                turn += 1
                next_switch += 1.0
            if now >= next_sample:
                samples.append((now - started, resident_kb(app.pid), descriptor_count(app.pid)))
                next_sample += 5.0
            time.sleep(0.1)
        if app.poll() is not None:
            raise harness.HarnessError("the program ended with status %s" % app.returncode)
        return samples


def judge(samples):
    settled = [s for s in samples if s[0] >= WARM_UP_S] or samples[-1:]
    base_rss, base_fds = settled[0][1], settled[0][2]
    peak_rss = max(s[1] for s in settled)
    last_fds = settled[-1][2]
    print("soak: %d samples; resident %d kB after warm-up, peak %d kB (growth %d kB); descriptors %d -> %d"
          % (len(samples), base_rss, peak_rss, peak_rss - base_rss, base_fds, last_fds))
    failures = []
    if peak_rss - base_rss > GROWTH_LIMIT_KB:
        failures.append("resident memory grew by %d kB" % (peak_rss - base_rss))
    if last_fds > base_fds:
        failures.append("descriptors grew from %d to %d" % (base_fds, last_fds))
    return failures


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: soak.py path/to/kelvora2008 MINUTES")
    program, minutes = os.path.abspath(sys.argv[1]), float(sys.argv[2])
    samples = soak(program, minutes)
    for t, rss, fds in samples:
        print("  %6.0f s  %7d kB  %3d fds" % (t, rss, fds))
    failures = judge(samples)
    if failures:
        print("soak FAILED: " + "; ".join(failures))
        return 1
    print("soak passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
