"""The memory release in the real program, with memory figures from a fixture file instead of /proc/meminfo.

The fixtures describe a tiny machine, so a release claims a few dozen MB of real memory at most (except inside the
512 MiB cgroup of the last test). What the release did is read from the program's own /proc/<pid>/status: its peak
resident size (VmHWM) rises by the claimed blocks and its resident size (VmRSS) falls back once they are freed."""

import os
import sys
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = None
MEMORY_NAV_LABEL = (60, 148)  # Label5 in the navigation column
OPTIMIZE_BUTTON = (176 + 224 + 56, 72 + 32 + 12)  # Command3 on the memory page
MIB = 1024  # status figures are in kB
LIMIT = 512 * 1024 * 1024  # of the cgroup below


def group_file(group, name, value=None):
    with open(os.path.join(group, name), "r" if value is None else "w") as f:
        return f.read() if value is None else f.write(value)


def make_group():
    """A child of this test's own v1 memory group, limited to LIMIT; or None and the reason."""
    with open("/proc/self/cgroup") as f:
        own = [p for _, c, p in (line.rstrip("\n").split(":", 2) for line in f) if "memory" in c.split(",")]
    group = "/sys/fs/cgroup/memory%s/kelvora-e2e-%d" % (own[0] if own else "/none", os.getpid())
    try:
        os.mkdir(group)
    except OSError as error:
        return None, "no memory cgroup can be made here: %s" % error
    group_file(group, "memory.limit_in_bytes", str(LIMIT))
    return group, None


def write_meminfo(path, total_kb, avail_kb, swap_free_kb):
    temp = path + ".new"
    with open(temp, "w") as f:
        f.write("MemTotal:       %d kB\nMemFree:        %d kB\nMemAvailable:   %d kB\n"
                "SwapTotal:      %d kB\nSwapFree:       %d kB\n" % (total_kb, avail_kb, avail_kb, swap_free_kb,
                                                                    swap_free_kb))
    os.replace(temp, path)  # the program never reads half a file


def status_kb(pid, field):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise AssertionError("no %s for process %d" % (field, pid))


class MemoryReleaseTest(unittest.TestCase):
    def start(self, total_kb, avail_kb, swap_free_kb, group=None):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)
        if group:  # joins the group before it becomes the program, so all its memory is charged there
            self.desk.program = os.path.join(self.desk.temp, "in-group.sh")
            with open(self.desk.program, "w") as f:
                f.write('#!/bin/sh\necho $$ > "%s/cgroup.procs" || exit 97\nexec "%s"\n' % (group, PROGRAM))
            os.chmod(self.desk.program, 0o755)
        self.meminfo = os.path.join(self.desk.temp, "meminfo")
        write_meminfo(self.meminfo, total_kb, avail_kb, swap_free_kb)
        profile = self.desk.new_profile()
        profile["KELVORA_MEMINFO"] = self.meminfo
        self.app, self.main = harness.start_to_main_window(self.desk, profile)
        time.sleep(2.5)  # two panel refreshes
        return status_kb(self.app.pid, "VmHWM")

    def wait_for_peak_above(self, kb, timeout=15):
        return harness.wait_until(lambda: status_kb(self.app.pid, "VmHWM") >= kb, timeout,
                                  what="the peak resident size to reach %d kB" % kb)

    def wait_for_resident_below(self, kb, timeout=15):
        return harness.wait_until(lambda: status_kb(self.app.pid, "VmRSS") <= kb, timeout,
                                  what="the resident size to fall to %d kB" % kb)

    def test_optymalizuj_claims_the_blocks_then_frees_them(self):
        # 31 MB total, 16 MB free (half): no automatic release; the button claims 16 + 20 % of 15 = 19 blocks (38 MiB).
        peak_before = self.start(31 * 1000 * 1000 // 1024, 16 * 1000 * 1000 // 1024, 4 * 1024 * MIB)
        harness.click_main(self.desk, self.main, *MEMORY_NAV_LABEL)
        time.sleep(0.5)
        harness.click_main(self.desk, self.main, *OPTIMIZE_BUTTON)
        self.wait_for_peak_above(peak_before + 25 * MIB)
        peak = status_kb(self.app.pid, "VmHWM")
        self.wait_for_resident_below(peak - 25 * MIB)
        self.assertIsNone(self.app.poll(), "the program still runs")

    # Inside a real cgroup v1 memory group of 512 MiB, on a 16 GB machine a quarter free: the threshold check and the
    # button each ask for gigabytes, and only the group's limit can stop them.
    def test_releases_inside_a_512_mib_group_stop_below_its_limit(self):
        group, reason = make_group()
        if group is None:
            self.skipTest(reason)
        self.addCleanup(lambda: harness.wait_until(lambda: not group_file(group, "cgroup.procs").strip(), 10)
                        and os.rmdir(group))
        scores, done = [], threading.Event()  # each change of the program's oom_score_adj

        def watch():
            while not done.wait(0.005):
                try:
                    with open("/proc/%d/oom_score_adj" % self.desk.processes[-1].pid) as f:
                        value = int(f.read())
                except (AttributeError, IndexError, OSError, ValueError):
                    continue  # not started yet, or already gone
                if not scores or scores[-1] != value:
                    scores.append(value)

        def wait_for_releases(count):
            harness.wait_until(lambda: scores.count(1000) >= count and scores[-1] != 1000, 30, what="a release")

        threading.Timer(0.05, watch).start()
        self.addCleanup(done.set)
        self.start(16 * 10 ** 9 // 1024, 4 * 10 ** 9 // 1024, 0, group)
        wait_for_releases(1)  # the threshold release, cut short by the limit
        threshold_peak = int(group_file(group, "memory.max_usage_in_bytes"))
        time.sleep(2)
        self.assertEqual(scores.count(1000), 1, "three refreshes start no other: the threshold check backs off")

        baseline = int(group_file(group, "memory.usage_in_bytes"))
        group_file(group, "memory.max_usage_in_bytes", "0")
        harness.click_main(self.desk, self.main, *MEMORY_NAV_LABEL)
        time.sleep(0.5)
        harness.click_main(self.desk, self.main, *OPTIMIZE_BUTTON)  # not held back
        wait_for_releases(2)
        button_peak = int(group_file(group, "memory.max_usage_in_bytes"))

        oom_kills = int(group_file(group, "memory.oom_control").split("oom_kill ")[1].split()[0])
        self.assertIsNone(self.app.poll(), "the program still runs")
        self.assertEqual(oom_kills, 0)
        self.assertEqual(scores, [0, 1000, 0, 1000, 0])
        self.assertLess(max(threshold_peak, button_peak), LIMIT)
        self.assertGreater(button_peak - baseline, 64 << 20, "the button's release claimed memory")
        sys.stderr.write("\nlimit %d, peaks %d and %d from %d (MiB), failcnt %s\n" % (
            LIMIT >> 20, threshold_peak >> 20, button_peak >> 20, baseline >> 20, group_file(group, "memory.failcnt")))


if __name__ == "__main__":
    PROGRAM = harness.program_path()
    harness.main(verbosity=2)
