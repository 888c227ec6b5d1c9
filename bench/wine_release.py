"""A release of the same fixture machine (368 blocks of 2 MB) in the Win32 program under Wine and in the Qt program,
in one run, each on a virtual display of its own: the time from the press of "Optimize!" to the blocks being freed,
three releases each, taken in turns, each program going first in turn. Prints both figures and their ratio (the goal
is at most 1.5).

    python3 bench/wine_release.py build/kelvora2008 build-windows/kelvora2008.exe

It runs itself in a PID namespace of its own, so the priority policy of either program reaches only what it starts.
The end of a release is seen in the program's resident memory: it rises by the blocks, then falls when they are
freed."""

import os
import statistics
import subprocess
import sys
import tempfile
import time

BLOCKS = 368
BLOCK_KB = 2_000_000 // 1024
# 640 MB total, 300 MB available: 300 + 20 % of the 340 MB used is 368 blocks at the best level.
MEMINFO = "MemTotal: 625000 kB\nMemAvailable: 292969 kB\nSwapFree: 4194304 kB\n"
CLIENT_HEIGHT = 358
MEMORY_ITEM = (60, 148)  # the navigation column's "Memory optimization", in client pixels
OPTIMIZE = (456, 116)  # "Optimize!" on the memory page
ROUNDS = 3


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        return next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))


class Display:
    def __init__(self, folder):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten",
                                      "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as number:
            self.name = ":" + number.readline().strip()
        config = os.path.join(folder, "wm")
        os.makedirs(config)
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=dict(self.env(), XDG_CONFIG_HOME=config),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1)

    def env(self):
        return dict(os.environ, DISPLAY=self.name)

    def run(self, *command):
        return subprocess.run(command, env=self.env(), capture_output=True, text=True, timeout=60).stdout

    def main_window(self, timeout=120):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            for window in self.run("xdotool", "search", "--onlyvisible", "--name", "^Kelvora 2008$").split():
                info = self.run("xwininfo", "-id", window)
                fields = dict(line.strip().split(": ", 1) for line in info.splitlines() if ": " in line)
                if fields.get("Width") == "568":
                    return window, int(fields["Height"]) - CLIENT_HEIGHT
            time.sleep(0.3)
        raise SystemExit("the main window did not appear on " + self.name)

    def click(self, window, top, place):
        self.run("xdotool", "mousemove", "--window", window, str(place[0]), str(place[1] + top), "click", "1")

    def close(self):
        for proc in (self.wm, self.xvfb):
            proc.kill()
            proc.wait()


class Program:
    def __init__(self, label, display, proc):
        self.label, self.display, self.proc = label, display, proc
        self.window, self.top = display.main_window()
        time.sleep(2)
        display.click(self.window, self.top, MEMORY_ITEM)
        time.sleep(1)
        self.times = []

    def release(self):
        """One press of "Optimize!": seconds until the blocks are freed, and how many were held at the peak."""
        base = rss_kb(self.proc.pid)
        start = time.monotonic()
        self.display.click(self.window, self.top, OPTIMIZE)
        peak = base
        while time.monotonic() - start < 300:
            now = rss_kb(self.proc.pid)
            peak = max(peak, now)
            if peak - base > 50 * BLOCK_KB and now - base < (peak - base) // 4:
                break
            time.sleep(0.01)
        self.times.append(time.monotonic() - start)
        time.sleep(2)  # the next refresh, and the freed memory settles
        return self.times[-1], (peak - base) // BLOCK_KB


def start_qt(program, folder, meminfo):
    display = Display(os.path.join(folder, "qt"))
    config = os.path.join(folder, "qt", "config")
    os.makedirs(os.path.join(config, "Talvek"))
    with open(os.path.join(config, "Talvek", "kelvora-2008.reg"), "w") as f:
        f.write('[HKEY_CURRENT_USER\\SOFTWARE\\Talvek\\Kelvora 2008\\Settings]\n"curLang"="English"\n')
    runtime = os.path.join(folder, "qt", "runtime")
    os.makedirs(runtime, mode=0o700)
    env = dict(display.env(), QT_QPA_PLATFORM="xcb", XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime,
               HOME=os.path.join(folder, "qt"), KELVORA_MEMINFO=meminfo, KELVORA_VENDOR_URL="http://127.0.0.1:9")
    proc = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return Program("Qt", display, proc)


def start_wine(program, folder, meminfo):
    display = Display(os.path.join(folder, "wine"))
    env = dict(display.env(), WINEPREFIX=os.path.join(folder, "prefix"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=", KELVORA_MEMINFO="Z:" + meminfo,
               KELVORA_VENDOR_URL="http://127.0.0.1:9")
    subprocess.run(["wineboot", "-i"], env=env, capture_output=True, timeout=300)
    for key, value, data in (("HKCU\\Software\\Talvek\\Kelvora 2008\\Settings", "curLang", "English"),
                             ("HKCU\\Software\\Wine\\Fonts\\Replacements", "Calibri", "Carlito")):
        subprocess.run(["wine", "reg", "add", key, "/v", value, "/t", "REG_SZ", "/d", data, "/f"], env=env,
                       capture_output=True, timeout=120)
    proc = subprocess.Popen(["wine", program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    program = Program("Win32 under Wine", display, proc)
    program.env = env
    return program


def main():
    if os.environ.get("KELVORA_BENCH_NAMESPACE") != "1":
        os.environ["KELVORA_BENCH_NAMESPACE"] = "1"
        os.execvp("unshare", ["unshare", "--pid", "--fork", "--mount-proc", sys.executable, *sys.argv])
    qt_program, wine_program = (os.path.abspath(p) for p in sys.argv[1:3])
    with tempfile.TemporaryDirectory(prefix="kelvora-bench-") as folder:
        meminfo = os.path.join(folder, "meminfo")
        with open(meminfo, "w") as f:
            f.write(MEMINFO)
        programs = [start_wine(wine_program, folder, meminfo), start_qt(qt_program, folder, meminfo)]
        try:
            for round_number in range(ROUNDS):
                # Each goes first in turn: the one after finds the memory the other just freed, not yet reclaimed.
                for program in programs if round_number % 2 == 0 else programs[::-1]:
                    seconds, held = program.release()
                    print("round %d  %-17s %6.2f s  (%d blocks held at the peak)" % (round_number + 1, program.label,
                                                                                     seconds, held), flush=True)
        finally:
            subprocess.run(["wineserver", "-k"], env=programs[0].env, timeout=60)
            for program in programs:
                program.proc.kill()
                program.display.close()
    wine, qt = (statistics.median(p.times) for p in programs)
    print("release of %d blocks, median of %d: Win32 under Wine %.2f s, Qt %.2f s, ratio %.2f (goal at most 1.5)"
          % (BLOCKS, ROUNDS, wine, qt, wine / qt))


if __name__ == "__main__":
    main()
