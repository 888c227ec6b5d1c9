"""The Debian package: built by CPack from the build folder, extracted into a temporary root, checked by the
validators and started from there under Xvfb. With KELVORA_INSTALL_PACKAGE=1 (CI, as root) it is also installed with
apt-get, started from the PATH and purged again.

    test_package.py BUILD_DIR [unittest options]"""

import glob
import os
import re
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402

BUILD = None
APP_ID = "com.talvek.Kelvora2008"
SHARE = "usr/share/kelvora-2008"
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
LANGUAGES = ("English", "Polish", "Deutsch")
DEB = None  # built once for every test


def build_package():
    global DEB
    if DEB is None:
        out = tempfile.mkdtemp(prefix="kelvora-deb-")
        subprocess.run(["cpack", "-G", "DEB", "-B", out, "--config", os.path.join(BUILD, "CPackConfig.cmake")],
                       check=True, stdout=subprocess.DEVNULL)
        DEB = glob.glob(os.path.join(out, "kelvora-2008_*.deb"))[0]
    return DEB


def run(args):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


def png_size(path):
    with open(path, "rb") as f:
        return struct.unpack(">II", f.read(24)[16:24])


def about_title(desk, app, main):
    harness.click_main(desk, main, 40, 196)  # "About..." in the left column
    about = desk.wait_for_window(pid=app.pid, kind="dialog", timeout=10)
    return desk.title(about.id)


def slot_text(share, slot):
    with open(os.path.join(share, "languages", "English", "English.txt"), "rb") as f:
        for line in f.read().decode("utf-8").split("\r\n"):
            if line[:3] == str(slot):
                return line[4:]
    raise AssertionError("slot %d missing" % slot)


class PackageTest(unittest.TestCase):
    def setUp(self):
        self.deb = build_package()
        self.temp = tempfile.mkdtemp(prefix="kelvora-root-")
        self.addCleanup(shutil.rmtree, self.temp, True)

    def start_with_recording_opener(self, desk, program):
        """Starts the program with a stand-in for xdg-open that records what it is asked to open."""
        bin_dir = os.path.join(desk.temp, "bin")
        os.makedirs(bin_dir, exist_ok=True)
        opened = os.path.join(desk.temp, "opened.txt")
        opener = os.path.join(bin_dir, "xdg-open")
        with open(opener, "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$@\" > '%s.part'\nmv '%s.part' '%s'\n" % (opened, opened, opened))
        os.chmod(opener, os.stat(opener).st_mode | stat.S_IXUSR)
        desk.program = program
        path = bin_dir + os.pathsep + os.environ.get("PATH", "/usr/bin:/bin")
        app, main = harness.start_to_main_window(desk, dict(desk.new_profile(), PATH=path))
        return app, main, opened

    def open_readme(self, desk, main, opened):
        desk.key(main, "alt+h")
        time.sleep(0.5)
        desk.xdotool("key", "r")
        harness.wait_until(lambda: os.path.exists(opened), 10, what="the readme to be opened")
        with open(opened) as f:
            return f.read().split("\n")[0]

    def test_the_extracted_package_holds_the_layout_passes_the_validators_and_runs(self):
        root = os.path.join(self.temp, "root")
        subprocess.run(["dpkg-deb", "-x", self.deb, root], check=True)
        share = os.path.join(root, SHARE)
        expected = ["usr/bin/kelvora2008", "usr/share/applications/%s.desktop" % APP_ID,
                    "usr/share/metainfo/%s.metainfo.xml" % APP_ID, "usr/share/icons/hicolor/scalable/apps/%s.svg" % APP_ID,
                    "usr/share/doc/kelvora-2008/copyright", "usr/share/doc/kelvora-2008/changelog.Debian.gz",
                    "usr/share/man/man1/kelvora2008.1.gz", "etc/security/limits.d/kelvora-2008.conf"]
        expected += ["%s/languages/%s/%s" % (SHARE, name, doc) for name in LANGUAGES
                     for doc in (name + ".txt", "readme.txt", "license.txt")]
        for path in expected:
            self.assertTrue(os.path.isfile(os.path.join(root, path)), path)
        for size in ICON_SIZES:
            icon = os.path.join(root, "usr/share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, APP_ID))
            self.assertEqual(png_size(icon), (size, size))
        with open(os.path.join(root, "usr/share/applications/%s.desktop" % APP_ID)) as f:
            entry = f.read()
        self.assertIn("\nExec=kelvora2008\n", entry)
        self.assertIn("\nIcon=%s\n" % APP_ID, entry)
        with open(os.path.join(root, "etc/security/limits.d/kelvora-2008.conf")) as f:
            self.assertRegex(f.read(), r"(?m)^@kelvora\s+-\s+nice\s+-10$")

        info = run(["dpkg-deb", "-f", self.deb, "Depends", "Section", "Description"]).stdout
        self.assertRegex(info, r"libqt6widgets6", "dependencies computed from the binary")
        self.assertIn("qt6-qpa-plugins", info)
        self.assertIn("Section: utils", info)
        for command in (["desktop-file-validate", os.path.join(root, "usr/share/applications/%s.desktop" % APP_ID)],
                        ["appstreamcli", "validate", "--no-net",
                         os.path.join(root, "usr/share/metainfo/%s.metainfo.xml" % APP_ID)]):
            result = run(command)
            self.assertEqual(result.returncode, 0, result.stdout)
        lintian = run(["lintian", "--fail-on", "error", "--tag-display-limit", "0", self.deb])
        sys.stderr.write("lintian:\n%s\n" % lintian.stdout)
        self.assertEqual(lintian.returncode, 0, lintian.stdout)
        self.assertNotRegex(lintian.stdout, r"(?m)^E: ")

        with harness.Desktop() as desk:
            app, main, opened = self.start_with_recording_opener(desk, os.path.join(root, "usr/bin/kelvora2008"))
            self.assertEqual(about_title(desk, app, main), slot_text(share, 118), "its English texts were found")
            desk.key(desk.wait_for_window(pid=app.pid, kind="dialog", timeout=10), "Escape")
            desk.wait_for_no_window(10, pid=app.pid, kind="dialog")
            self.assertEqual(self.open_readme(desk, main, opened),
                             os.path.join(share, "languages/English/readme.txt"))

    @unittest.skipUnless(os.environ.get("KELVORA_INSTALL_PACKAGE") == "1" and os.geteuid() == 0,
                         "installs into the running system: CI only (KELVORA_INSTALL_PACKAGE=1, as root)")
    def test_apt_installs_it_the_menu_command_starts_it_and_purge_removes_it(self):
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        subprocess.run(["apt-get", "install", "-y", "-q", self.deb], check=True, env=env)
        try:
            self.assertEqual(run(["getent", "group", "kelvora"]).returncode, 0)
            with open("/usr/share/applications/%s.desktop" % APP_ID) as f:
                command = re.search(r"(?m)^Exec=(\S+)", f.read()).group(1)
            program = shutil.which(command)
            self.assertEqual(program, "/usr/bin/kelvora2008")
            with harness.Desktop() as desk:
                app, main, opened = self.start_with_recording_opener(desk, program)
                self.assertEqual(self.open_readme(desk, main, opened),
                                 "/usr/share/kelvora-2008/languages/English/readme.txt")
        finally:
            subprocess.run(["apt-get", "purge", "-y", "-q", "kelvora-2008"], check=True, env=env)
        for path in ("/usr/bin/kelvora2008", "/usr/share/kelvora-2008", "/etc/security/limits.d/kelvora-2008.conf"):
            self.assertFalse(os.path.exists(path), path)


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
