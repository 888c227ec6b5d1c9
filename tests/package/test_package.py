"""test_package.py BUILD_DIR: the .deb CPack makes from BUILD_DIR, extracted into a temporary root, validated and
started from there under Xvfb (.ci/run also installs it for real)."""

import glob, os, shutil, stat, struct, subprocess, sys, tempfile, time, unittest  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402

BUILD = None
APP_ID = "com.talvek.Kelvora2008"
ENTRY = "usr/share/applications/%s.desktop" % APP_ID
METAINFO = "usr/share/metainfo/%s.metainfo.xml" % APP_ID
README = "usr/share/kelvora-2008/languages/English/readme.txt"

run = lambda args: subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)  # noqa: E731


class PackageTest(unittest.TestCase):
    def test_the_extracted_package_holds_the_layout_passes_the_validators_and_runs(self):
        temp = tempfile.mkdtemp(prefix="kelvora-deb-")
        self.addCleanup(shutil.rmtree, temp, True)
        subprocess.run(["cpack", "-G", "DEB", "-B", temp, "--config", os.path.join(BUILD, "CPackConfig.cmake")],
                       check=True, stdout=subprocess.DEVNULL)
        deb = glob.glob(os.path.join(temp, "kelvora-2008_*.deb"))[0]
        root = os.path.join(temp, "root")
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
        for path in ("usr/bin/kelvora2008", "usr/libexec/kelvora-2008/kelvora2008-fetch", ENTRY, METAINFO, README, "usr/share/doc/kelvora-2008/copyright",
                     "usr/share/icons/hicolor/scalable/apps/%s.svg" % APP_ID, "etc/security/limits.d/kelvora-2008.conf"):
            self.assertTrue(os.path.isfile(os.path.join(root, path)), path)
        for size in (16, 24, 32, 48, 64, 128, 256):
            with open(os.path.join(root, "usr/share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, APP_ID)), "rb") as f:
                self.assertEqual(struct.unpack(">II", f.read(24)[16:]), (size, size))
        with open(os.path.join(root, ENTRY)) as f:
            self.assertRegex(f.read(), r"(?m)^Exec=kelvora2008\n(.*\n)*Icon=%s$" % APP_ID)
        with open(os.path.join(root, "etc/security/limits.d/kelvora-2008.conf")) as f:
            self.assertRegex(f.read(), r"(?m)^@kelvora\s+-\s+nice\s+-10$")
        self.assertRegex(run(["dpkg-deb", "-f", deb, "Depends"]).stdout, "qt6-qpa-plugins.*libqt6widgets6")
        for command in (["desktop-file-validate", os.path.join(root, ENTRY)],
                        ["appstreamcli", "validate", "--no-net", os.path.join(root, METAINFO)],
                        ["lintian", "--fail-on", "error", "--tag-display-limit", "0", deb]):
            result = run(command)
            sys.stderr.write("%s: %s\n" % (command[0], result.stdout.strip()))
            self.assertEqual(result.returncode, 0, result.stdout)

        with harness.Desktop(os.path.join(root, "usr/bin/kelvora2008")) as desk:
            # A stand-in for the desktop's opener, first on PATH, records what it is asked to open.
            opened = os.path.join(desk.temp, "opened")
            with open(os.path.join(desk.temp, "xdg-open"), "w") as f:
                f.write("#!/bin/sh\necho \"$1\" > '%s.part' && mv '%s.part' '%s'\n" % (opened, opened, opened))
            os.chmod(os.path.join(desk.temp, "xdg-open"), stat.S_IRWXU)
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
                self.assertEqual(f.read().strip(), os.path.join(root, README))

if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
