"""The memory release in the real program, with memory figures from a fixture file instead of /proc/meminfo.

The fixtures describe a tiny machine, so a release claims a few dozen MB of real memory at most. What the release did
is read from the program's own /proc/<pid>/status: its peak resident size (VmHWM) rises by the claimed blocks and its
resident size (VmRSS) falls back once they are freed."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = None
MEMORY_NAV_LABEL = (60, 148)  # Label5 in the navigation column
OPTIMIZE_BUTTON = (176 + 224 + 56, 72 + 32 + 12)  # Command3 on the memory page
MIB = 1024  # status figures are in kB


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
    def start(self, total_kb, avail_kb, swap_free_kb):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)
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
        time.sleep(2.5)
        self.assertLess(status_kb(self.app.pid, "VmHWM"), peak_before + 10 * MIB, "nothing is claimed unasked")

        harness.click_main(self.desk, self.main, *MEMORY_NAV_LABEL)
        time.sleep(0.5)
        harness.click_main(self.desk, self.main, *OPTIMIZE_BUTTON)
        self.wait_for_peak_above(peak_before + 25 * MIB)
        peak = status_kb(self.app.pid, "VmHWM")
        self.wait_for_resident_below(peak - 25 * MIB)
        self.assertIsNone(self.app.poll(), "the program still runs")

    def test_low_free_memory_releases_by_itself_but_never_into_the_safety_reserve(self):
        # 41 MB total, 8 MB free (under 30 %): each refresh wants 8 + 20 % of 34 = 15 blocks (30 MiB). Without free
        # swap that would leave less than the reserve, so nothing is claimed.
        total_kb, avail_kb = 41 * 1000 * 1000 // 1024, 8 * 1000 * 1000 // 1024
        peak_before = self.start(total_kb, avail_kb, 0)
        time.sleep(3.5)
        self.assertLess(status_kb(self.app.pid, "VmHWM"), peak_before + 10 * MIB, "the reserve stops the release")

        # With plenty of free swap the same figures release at the next refresh.
        write_meminfo(self.meminfo, total_kb, avail_kb, 4 * 1024 * MIB)
        self.wait_for_peak_above(peak_before + 20 * MIB)
        peak = status_kb(self.app.pid, "VmHWM")
        self.wait_for_resident_below(peak - 20 * MIB)
        self.assertIsNone(self.app.poll(), "the program still runs")


if __name__ == "__main__":
    PROGRAM = harness.program_path()
    unittest.main(verbosity=2)
