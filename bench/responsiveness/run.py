"""How late a demanding foreground application's frames are done while CPU hogs run in another session, with and
without the program's priority policy. Everything runs in a PID namespace of its own (Xvfb, openbox, the program,
the foreground client and the hogs), so the program's sweep reaches only what this benchmark started.

    python3 bench/responsiveness/run.py build/kelvora2008 build/kelvora_bench_responsiveness_client

Variants: the client and the hogs in one cpu cgroup (nice and session groups decide), and in two cpu cgroups of
their own (cgroup v1 cpu.shares here; on a cgroup v2 machine the same with cpu.weight). Conditions, interleaved,
3 rounds: no load; load without the program; load with the program at its default classes, the client focused;
load with "Low" for the background (and the default "High" for the foreground); the ideal (the hogs and their
session group at nice 19 by hand, their cgroup at the weight of nice 19). Prints p50/p99 of the frames' lateness
and the ratios to no load and to the ideal. Needs root (unshare, nice below 0, cgroups)."""

import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness  # noqa: E402

ROUNDS = int(os.environ.get("KELVORA_BENCH_ROUNDS", "3"))
SPAN = float(os.environ.get("KELVORA_BENCH_SPAN", "4"))  # seconds measured per condition
HOGS = 4 * os.cpu_count()
CGROUP_V1 = "/sys/fs/cgroup/cpu"
CPU_PAGE = (40, 124)  # the navigation item, in the main window's client area
LOW_OPTION = (176 + 128 + 20, 72 + 56 + 6)  # the background's "Low" on the CPU page
CONDITIONS = ["no load", "load, no program", "load, defaults", "load, Low/High", "ideal"]


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))] if ordered else float("nan")


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


class Bench:
    def __init__(self, program, client):
        self.program, self.client_path = os.path.abspath(program), os.path.abspath(client)
        self.desk = harness.Desktop(self.program).__enter__()
        self.groups = []

    def close(self):
        self.desk.__exit__(None, None, None)
        for group in self.groups:
            for _ in range(50):
                try:
                    os.rmdir(group)
                    break
                except OSError:
                    time.sleep(0.1)

    def start(self):
        env = self.desk.base_env()
        self.client = self.desk.start_in_namespace(["setsid", self.client_path, "kelvora-bench-client"], env=env,
                                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.window = self.desk.wait_for_window("kelvora-bench-client", 20)
        loop = "while :; do :; done"
        self.hogs = self.desk.start_in_namespace(
            ["setsid", "sh", "-c", " ".join(["(%s) &" % loop] * HOGS) + " wait"], env=env)
        self.hog_pids = harness.wait_until(lambda: (lambda c: c if len(c) == HOGS else None)(
            harness.children_of(self.hogs.pid)), 10, what="the hogs")
        self.pause_hogs(True)

    def pause_hogs(self, paused):
        for pid in self.hog_pids:
            os.kill(pid, 19 if paused else 18)  # SIGSTOP / SIGCONT

    def cgroups(self, separate):
        """Puts the client and the hogs into cpu cgroups of their own, or back into the root group."""
        procs = [self.client.pid] + [int(t) for t in os.listdir("/proc/%d/task" % self.client.pid)]
        if not separate:
            for pid in [self.client.pid] + self.hog_pids:
                write(os.path.join(CGROUP_V1, "cgroup.procs"), str(pid))
            return
        for name, pids in (("kelvora-bench-client", [self.client.pid]), ("kelvora-bench-hogs", self.hog_pids)):
            group = os.path.join(CGROUP_V1, name)
            os.makedirs(group, exist_ok=True)
            if group not in self.groups:
                self.groups.append(group)
            for pid in pids:
                write(os.path.join(group, "cgroup.procs"), str(pid))
        del procs

    def reset(self):
        """What a condition starts from: every nice, session group and weight at its default."""
        for pid in [self.client.pid] + self.hog_pids:
            for task in os.listdir("/proc/%d/task" % pid):
                subprocess.run(["renice", "-n", "0", "-p", task], stdout=subprocess.DEVNULL, check=False)
            write("/proc/%d/autogroup" % pid, "0")
        for group in self.groups:
            write(os.path.join(group, "cpu.shares"), "1024")

    def measure(self):
        self.client.stdin.write("%s\n" % SPAN)
        self.client.stdin.flush()
        return json.loads(self.client.entering.stdout.readline())

    def with_program(self, low):
        app, main = harness.start_to_main_window(self.desk, self.desk.new_profile())
        if low:
            harness.click_main(self.desk, main, *CPU_PAGE)
            time.sleep(0.3)
            harness.click_main(self.desk, main, *LOW_OPTION)
        self.desk.activate(self.window)
        background = 10 if low else 0
        harness.wait_until(lambda: nice_of(self.client.pid) == -5 and nice_of(self.hog_pids[0]) == background, 15,
                           what="the client at the foreground class, the hogs at the background class")
        time.sleep(0.5)  # the session groups one per 100 ms
        return app

    def condition(self, name):
        self.reset()
        app = None
        if name == "ideal":
            for pid in self.hog_pids:
                subprocess.run(["renice", "-n", "19", "-p", str(pid)], stdout=subprocess.DEVNULL, check=False)
                write("/proc/%d/autogroup" % pid, "19")
            for group in self.groups:
                if group.endswith("hogs"):
                    write(os.path.join(group, "cpu.shares"), "15")
        elif name.startswith("load, ") and name != "load, no program":
            app = self.with_program(low=name == "load, Low/High")
        # The program starts and is set while the hogs are stopped; the load comes back for the measurement.
        self.pause_hogs(name == "no load")
        time.sleep(0.3)
        try:
            return self.measure()
        finally:
            if app is not None:
                app.kill()
                app.wait(timeout=10)
            self.pause_hogs(True)


def nice_of(pid):
    with open("/proc/%d/stat" % pid) as f:
        text = f.read()
    return int(text[text.rindex(")") + 2:].split()[16])


def main():
    if len(sys.argv) < 3:
        raise SystemExit("usage: run.py path/to/kelvora2008 path/to/kelvora_bench_responsiveness_client")
    if not harness.namespaces_permitted() or not os.access(CGROUP_V1, os.W_OK):
        print("skipped: needs root, unshare, nsenter and a writable v1 cpu hierarchy at %s" % CGROUP_V1)
        return
    bench = Bench(sys.argv[1], sys.argv[2])
    results = {}
    try:
        bench.start()
        for round_number in range(ROUNDS):
            for variant in ("one cpu group", "cpu cgroups"):
                bench.cgroups(variant == "cpu cgroups")
                for name in CONDITIONS:
                    results.setdefault((variant, name), []).extend(bench.condition(name))
            print("round %d done" % (round_number + 1), file=sys.stderr)
    finally:
        if getattr(bench, "hog_pids", None):
            bench.pause_hogs(False)  # stopped processes would not end on SIGTERM
        bench.close()
    print("frame lateness in ms: work done after slot + 12 ms (%d frames of 2 x 12 ms every 16 ms per condition and round; %d hogs; %d rounds)"
          % (SPAN / 0.016 * 2, HOGS, ROUNDS))
    print("%-14s %-18s %8s %8s %10s %10s" % ("variant", "condition", "p50", "p99", "p99/noload", "p99/ideal"))
    for variant in ("one cpu group", "cpu cgroups"):
        noload = percentile(results[(variant, "no load")], 0.99)
        ideal = percentile(results[(variant, "ideal")], 0.99)
        for name in CONDITIONS:
            values = results[(variant, name)]
            p99 = percentile(values, 0.99)
            print("%-14s %-18s %8.2f %8.2f %10.2f %10.2f" % (variant, name, percentile(values, 0.5), p99,
                                                              p99 / max(noload, 0.01), p99 / max(ideal, 0.01)))


if __name__ == "__main__":
    main()
