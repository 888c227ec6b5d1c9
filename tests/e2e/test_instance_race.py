"""Single instance under a race: two copies of the real program released at the same moment on one profile, 50 times.
Each time exactly one runs on and the other shows its message and ends; the one that ran on is then killed with
SIGKILL, and the next round shows that the killed copy left no stale claim behind."""

import os
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

PROGRAM = None
ROUNDS = 50
SETTINGS_KEY = "HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Settings"


def seed_language(profile):
    """Stores a language, so that no first-start message stands in for the refusal."""
    folder = os.path.join(profile["XDG_CONFIG_HOME"], "Talvek")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "kelvora-2008.reg"), "w", encoding="utf-8") as store:
        store.write('REGEDIT4\n\n[%s]\n"curLang"="English"\n' % SETTINGS_KEY)


class InstanceRaceTest(unittest.TestCase):
    def setUp(self):
        self.desk = harness.Desktop(PROGRAM).__enter__()
        self.addCleanup(self.desk.__exit__, None, None, None)
        self.profile = self.desk.new_profile()
        seed_language(self.profile)

    def start_together(self):
        """Two copies, each held at a gate by a shell until both exist, then let through with one write each."""
        env = self.desk.base_env()
        env.update(self.profile)
        env["KELVORA_VENDOR_URL"] = "http://127.0.0.1:9"  # never the network
        copies = []
        for _ in range(2):
            log = open(os.path.join(self.desk.temp, "race-%d.log" % len(self.desk.processes)), "wb")
            proc = self.desk.start_in_namespace(["/bin/sh", "-c", 'read gate && exec "$0"', self.desk.program],
                                                env=env, stdin=subprocess.PIPE, stdout=log, stderr=subprocess.STDOUT)
            log.close()
            proc.log_path = log.name  # ended by the desktop if the test stops early
            copies.append(proc)
        for proc in copies:
            proc.stdin.write(b"go\n")
            proc.stdin.flush()
        for proc in copies:
            proc.stdin.close()
        return copies

    def dialogs_of(self, proc):
        return self.desk.find_windows(harness.APP_TITLE, pid=proc.pid, kind="dialog")

    def own_windows(self, proc):
        return [win for win in self.desk.find_windows(pid=proc.pid) if self.desk.window_type(win.id) != "dialog"]

    def run_round(self, number):
        copies = self.start_together()

        def one_refused():
            for proc in copies:
                self.assertIsNone(proc.poll(), "round %d: pid %d ended before any refusal; log %s"
                                  % (number, proc.pid, proc.log_path))
            refused = [proc for proc in copies if self.dialogs_of(proc)]
            return refused or None

        refused = harness.wait_until(one_refused, 30, interval=0.05, what="round %d: the refusal" % number)
        self.assertEqual(len(refused), 1, "round %d: both copies refused" % number)
        loser = refused[0]
        winner = copies[1] if loser is copies[0] else copies[0]

        harness.dismiss_message(self.desk, loser)
        self.assertEqual(self.desk.wait_for_exit(loser, 15), 0, "round %d: the refused copy ends" % number)
        self.assertIsNone(winner.poll(), "round %d: the admitted copy runs on" % number)
        # Only an admitted copy goes on to its splash or main window.
        harness.wait_until(lambda: self.own_windows(winner), 30, interval=0.05,
                           what="round %d: the splash or main window of the admitted copy" % number)
        self.assertFalse(self.dialogs_of(winner), "round %d: the admitted copy shows no message" % number)

        winner.send_signal(signal.SIGKILL)
        winner.wait(timeout=10)

    def test_two_copies_released_together_admit_exactly_one_and_a_killed_copy_blocks_nothing(self):
        started = time.monotonic()
        for number in range(1, ROUNDS + 1):
            self.run_round(number)
        # A copy alone after the last kill starts without a message.
        alone = self.desk.start_program(self.profile)
        harness.main_window(self.desk, alone)
        self.assertFalse(self.dialogs_of(alone))
        print("%d rounds in %.1f s" % (ROUNDS, time.monotonic() - started))


if __name__ == "__main__":
    PROGRAM = harness.program_path()
    harness.main(verbosity=2)
