"""The .deb made by CPack from BUILD_DIR: extracted into a temporary root, validated, started from there under Xvfb.
With KELVORA_INSTALL_PACKAGE=1 (CI, as root) also installed with apt-get, started from the PATH and purged.

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
ENTRY = "usr/share/applications/%s.desktop" % APP_ID
METAINFO = "usr/share/metainfo/%s.metainfo.xml" % APP_ID
README = "usr/share/kelvora-2008/languages/English/readme.txt"


def run(args):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


class PackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.out = tempfile.mkdtemp(prefix="kelvora-deb-")
        subprocess.run(["cpack", "-G", "DEB", "-B", cls.out, "--config", os.path.join(BUILD, "CPackConfig.cmake")],
                       check=True, stdout=subprocess.DEVNULL)
        cls.deb = glob.glob(os.path.join(cls.out, "kelvora-2008_*.deb"))[0]

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.out, ignore_errors=True)

    def start_and_open_readme(self, program):
        """Starts the program, checks its English texts, opens the readme; returns what xdg-open was given."""
        with harness.Desktop(program) as desk:
            opened = os.path.join(desk.temp, "opened")
            opener = os.path.join(desk.temp, "xdg-open")
            with open(opener, "w") as f:
                f.write("#!/bin/sh\necho \"$1\" > '%s.part' && mv '%s.part' '%s'\n" % (opened, opened, opened))
            os.chmod(opener, stat.S_IRWXU)
            profile = dict(desk.new_profile(), PATH=desk.temp + os.pathsep + os.environ["PATH"])
            app, main = harness.start_to_main_window(desk, profile)
            harness.click_main(desk, main, 40, 196)  # "About..." in the left column
            about = desk.wait_for_window(pid=app.pid, kind="dialog", timeout=10)
            self.assertEqual(desk.title(about.id), "Kelvora 2008 - About...", "the English texts were found")
            desk.key(about, "Escape")
            desk.wait_for_no_window(10, pid=app.pid, kind="dialog")
            desk.key(main, "alt+h")
            time.sleep(0.5)
            desk.xdotool("key", "r")  # Help > Readme file
            harness.wait_until(lambda: os.path.exists(opened), 10, what="the readme to be opened")
            with open(opened) as f:
                return f.read().strip()

    def test_the_extracted_package_holds_the_layout_passes_the_validators_and_runs(self):
        root = tempfile.mkdtemp(prefix="kelvora-root-")
        self.addCleanup(shutil.rmtree, root, True)
        subprocess.run(["dpkg-deb", "-x", self.deb, root], check=True)
        for path in ("usr/bin/kelvora2008", ENTRY, METAINFO, README, "usr/share/doc/kelvora-2008/copyright",
                     "usr/share/icons/hicolor/scalable/apps/%s.svg" % APP_ID, "etc/security/limits.d/kelvora-2008.conf"):
            self.assertTrue(os.path.isfile(os.path.join(root, path)), path)
        for size in (16, 24, 32, 48, 64, 128, 256):
            with open(os.path.join(root, "usr/share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, APP_ID)), "rb") as f:
                self.assertEqual(struct.unpack(">II", f.read(24)[16:]), (size, size))
        with open(os.path.join(root, ENTRY)) as f:
            self.assertRegex(f.read(), r"(?m)^Exec=kelvora2008\n(.*\n)*Icon=%s$" % APP_ID)
        with open(os.path.join(root, "etc/security/limits.d/kelvora-2008.conf")) as f:
            self.assertRegex(f.read(), r"(?m)^@kelvora\s+-\s+nice\s+-10$")
        self.assertRegex(run(["dpkg-deb", "-f", self.deb, "Depends"]).stdout, r"libqt6widgets6.*qt6-qpa-plugins|"
                         r"qt6-qpa-plugins.*libqt6widgets6")
        for command in (["desktop-file-validate", os.path.join(root, ENTRY)],
                        ["appstreamcli", "validate", "--no-net", os.path.join(root, METAINFO)],
                        ["lintian", "--fail-on", "error", "--tag-display-limit", "0", self.deb]):
            result = run(command)
            sys.stderr.write("%s: %s\n" % (command[0], result.stdout.strip()))
            self.assertEqual(result.returncode, 0, result.stdout)
        self.assertEqual(self.start_and_open_readme(os.path.join(root, "usr/bin/kelvora2008")),
                         os.path.join(root, README))

    @unittest.skipUnless(os.environ.get("KELVORA_INSTALL_PACKAGE") == "1" and os.geteuid() == 0,
                         "installs into the running system: CI only (KELVORA_INSTALL_PACKAGE=1, as root)")
    def test_apt_installs_it_the_menu_command_starts_it_and_purge_removes_it(self):
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        subprocess.run(["apt-get", "install", "-y", "-q", self.deb], check=True, env=env)
        try:
            self.assertEqual(run(["getent", "group", "kelvora"]).returncode, 0)
            with open("/" + ENTRY) as f:
                program = shutil.which(re.search(r"(?m)^Exec=(\S+)", f.read()).group(1))
            self.assertEqual(program, "/usr/bin/kelvora2008")
            self.assertEqual(self.start_and_open_readme(program), "/" + README)
        finally:
            subprocess.run(["apt-get", "purge", "-y", "-q", "kelvora-2008"], check=True, env=env)
        for path in ("/usr/bin/kelvora2008", "/usr/share/kelvora-2008", "/etc/security/limits.d/kelvora-2008.conf"):
            self.assertFalse(os.path.exists(path), path)


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
