#!/usr/bin/python3
"""The Debian package, built from this build tree with CPack, unpacked into a
scratch root with dpkg -x: its control data, its files and their modes, and
that what it carries works from there (manual pages agree with --help, the
desktop entry, metainfo and polkit action validate, completion answers, the
textfile unit's command runs).

    package_layout_test.py BUILD_DIR LIBRARY_DIR
"""
import glob
import gzip
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

BUILD = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else "build-test")
# Where torvikctl's command library lies under the prefix (lib/x86_64-linux-gnu/torviktune).
LIBRARY_DIR = sys.argv.pop(1) if len(sys.argv) > 1 else "lib/torviktune"

# Every file of the package, with its mode.
EXPECTED = {
    "usr/bin/torvikctl": 0o755,
    f"usr/{LIBRARY_DIR}/libtorvikctl.so": 0o644,
    "usr/bin/torviktune": 0o755,
    "usr/bin/torviktune-pkexec": 0o755,
    "usr/libexec/torviktune/torviktune-elevated": 0o755,
    "lib/systemd/system/torvik-textfile.service": 0o644,
    "lib/systemd/system/torvik-textfile.timer": 0o644,
    "usr/share/applications/com.brenmor.torviktune.desktop": 0o644,
    "usr/share/metainfo/com.brenmor.torviktune.metainfo.xml": 0o644,
    "usr/share/polkit-1/actions/com.brenmor.torviktune.policy": 0o644,
    "usr/share/bash-completion/completions/torvikctl": 0o644,
    "usr/share/zsh/vendor-completions/_torvikctl": 0o644,
    "usr/share/doc/torviktune/copyright": 0o644,
    "usr/share/doc/torviktune/changelog.gz": 0o644,
    "usr/share/man/man1/torvikctl.1.gz": 0o644,
    "usr/share/man/man1/torviktune.1.gz": 0o644,
    "usr/share/man/man1/torviktune-pkexec.1.gz": 0o777,  # a link to torviktune.1.gz
    "usr/share/icons/hicolor/scalable/apps/torviktune.svg": 0o644,
    **{f"usr/share/icons/hicolor/{n}x{n}/apps/torviktune.png": 0o644 for n in (16, 22, 24, 32, 48, 64, 128, 256)},
}


def read(path):
    with open(path) as f:
        return f.read()


def run(*args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=600, **kw)


class PackageLayout(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="torvik-pkg-")
        out = os.path.join(cls.tmp, "out")
        r = run("cpack", "-G", "DEB", "-B", out, "-D", "CPACK_DEBIAN_COMPRESSION_TYPE=gzip", cwd=BUILD)
        if r.returncode != 0:
            raise AssertionError("cpack failed:\n" + r.stdout + r.stderr)
        debs = [f for f in os.listdir(out) if f.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(out, debs[0])
        cls.root = os.path.join(cls.tmp, "root")
        r = run("dpkg", "-x", cls.deb, cls.root)
        assert r.returncode == 0, r.stderr
        cls.env = dict(os.environ, XDG_RUNTIME_DIR=os.path.join(cls.tmp, "run"),
                       TORVIK_LOCK_NAMESPACE=f"torvik-test-pkg-{os.getpid()}")
        os.mkdir(cls.env["XDG_RUNTIME_DIR"], 0o700)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def path(self, rel):
        return os.path.join(self.root, rel)

    def control(self, field):
        return run("dpkg-deb", "-f", self.deb, field).stdout.strip()

    def test_control_fields_and_computed_dependencies(self):
        self.assertEqual(self.control("Package"), "torviktune")
        self.assertEqual(self.control("Section"), "utils")
        depends = self.control("Depends")
        # Dependencies computed from the binaries, plus the launcher's pkexec.
        for lib in ("libc6", "libstdc++6", "libqt6widgets6", "pkexec"):
            self.assertRegex(depends, rf"(^|, ){re.escape(lib)}( |,|$)", depends)
        # libcrypto is opened when a validation file is written, not linked:
        # the package that holds it is named by the build.
        crypto = sorted(glob.glob("/usr/lib/*/libcrypto.so.3") + glob.glob("/lib/*/libcrypto.so.3"))
        self.assertTrue(crypto, "libcrypto.so.3 is not installed")
        owner = run("dpkg-query", "-S", os.path.realpath(crypto[0])).stdout.split(":")[0]
        self.assertRegex(depends, rf"(^|, ){re.escape(owner)}( |,|$)", depends)
        # torvikctl's command library is private: no ldconfig in maintainer
        # scripts (there are none), no shared-library metadata.
        control_dir = os.path.join(self.tmp, "control")
        r = run("dpkg-deb", "-e", self.deb, control_dir)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(sorted(os.listdir(control_dir)), ["control", "md5sums"])

    def test_files_and_modes(self):
        found = {}
        for top, dirs, files in os.walk(self.root):
            for name in files + [d for d in dirs if os.path.islink(os.path.join(top, d))]:
                full = os.path.join(top, name)
                found[os.path.relpath(full, self.root)] = stat.S_IMODE(os.lstat(full).st_mode)
        self.assertEqual(found, EXPECTED)
        self.assertEqual(os.readlink(self.path("usr/share/man/man1/torviktune-pkexec.1.gz")), "torviktune.1.gz")

    def test_manual_pages_list_what_help_lists(self):
        for program in ("torvikctl", "torviktune"):
            with self.subTest(program=program):
                with gzip.open(self.path(f"usr/share/man/man1/{program}.1.gz"), "rt") as f:
                    page = f.read()
                self.assertTrue(page.startswith('.\\"'), page[:80])
                self.assertIn(f".TH {program.upper()} 1 ", page)
                lint = run("groff", "-man", "-ww", "-z", input=page)
                self.assertEqual(lint.stderr, "", lint.stderr)
                help_text = run(self.path(f"usr/bin/{program}"), "--help", env=self.env).stdout
                options = set(re.findall(r"^  (--[a-z-]+)", help_text, re.M))
                page_options = set(re.findall(r"^\\fB(\\-\\-[a-z\\-]+)\\fR", page, re.M))
                self.assertEqual({o.replace("\\-", "-") for o in page_options}, options)
                commands = re.findall(r"^  ([a-z]+) ", help_text.split("commands:", 1)[1], re.M) \
                    if "commands:" in help_text else []
                page_commands = re.findall(r"^\.SH COMMANDS\n|^\.TP\n\\fB([a-z]+)\\fR", page, re.M)
                self.assertEqual([c for c in page_commands if c], commands)
                self.assertGreater(len(options), 2)
                if program == "torvikctl":
                    self.assertIn("sensors", commands)

    def test_desktop_entry_launches_through_pkexec(self):
        desktop = self.path("usr/share/applications/com.brenmor.torviktune.desktop")
        r = run("desktop-file-validate", desktop)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        entry = dict(line.split("=", 1) for line in read(desktop).splitlines() if "=" in line)
        self.assertEqual(entry["Categories"], "System;Monitor;")
        self.assertTrue(os.access(self.path("usr/bin/" + entry["Exec"].split()[0]), os.X_OK))
        self.assertTrue(os.path.exists(self.path(f"usr/share/icons/hicolor/scalable/apps/{entry['Icon']}.svg")))

        policy = read(self.path("usr/share/polkit-1/actions/com.brenmor.torviktune.policy"))
        r = run("xmllint", "--noout", "-", input=policy)
        self.assertEqual(r.returncode, 0, r.stderr)
        exec_path = re.search(r'exec\.path">([^<]+)<', policy).group(1)
        self.assertTrue(os.access(self.path(exec_path.lstrip("/")), os.X_OK), exec_path)
        launcher = read(self.path("usr/bin/torviktune-pkexec"))
        self.assertIn(exec_path, launcher)
        for var in ("DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"):
            self.assertIn(f'"{var}=${{{var}-}}"', launcher)

    def test_elevated_helper_takes_only_the_display_variables(self):
        # The helper runs as root: run it with torviktune replaced by a
        # script that prints what it got.
        helper = read(self.path("usr/libexec/torviktune/torviktune-elevated"))
        fake = os.path.join(self.tmp, "fake-torviktune")
        with open(fake, "w") as f:
            f.write('#!/bin/sh\necho "DISPLAY=$DISPLAY WAYLAND_DISPLAY=$WAYLAND_DISPLAY ARGS=$*"\n')
        os.chmod(fake, 0o755)
        script = os.path.join(self.tmp, "elevated")
        with open(script, "w") as f:
            f.write(helper.replace("/usr/bin/torviktune", fake))
        env = {"PATH": "/usr/bin:/bin"}
        cases = [
            (["DISPLAY=:1", "XAUTHORITY=", "WAYLAND_DISPLAY=wayland-0", "XDG_RUNTIME_DIR=/run/user/1000", "--",
              "--machine", "host"], 0, "DISPLAY=:1 WAYLAND_DISPLAY=wayland-0 ARGS=--machine host"),
            (["LD_PRELOAD=/tmp/x.so", "--"], 2, ""),
            (["DISPLAY=:1\nLD_PRELOAD=/tmp/x.so", "--"], 2, ""),
        ]
        for args, status, out in cases:
            with self.subTest(args=args):
                r = run("sh", script, *args, env=env)
                self.assertEqual(r.returncode, status, r.stderr)
                self.assertEqual(r.stdout.strip(), out)

    def test_metainfo_validates(self):
        r = run("appstreamcli", "validate", "--no-net",
                self.path("usr/share/metainfo/com.brenmor.torviktune.metainfo.xml"))
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)

    def test_bash_completion_offers_commands_boards_and_chips(self):
        bash_completion = "/usr/share/bash-completion/bash_completion"
        if not os.path.exists(bash_completion):
            self.skipTest("bash-completion is not installed")
        bindir = self.path("usr/bin")
        completion = self.path("usr/share/bash-completion/completions/torvikctl")
        cases = [
            ("torvikctl sen", "sensors"),
            ("torvikctl --mach", "--machine"),
            ("torvikctl --machine emulated:brenmor-z", "emulated:brenmor-z68 emulated:brenmor-z77"),
            ("torvikctl --machine emulated:brenmor-z68 --load-dump up62", "up6228@0x45= up6228@0x46="),
            ("torvikctl sensors --format p", "prometheus"),
            ("torvikctl monitor --te", "--textfile"),
        ]
        for line, expected in cases:
            with self.subTest(line=line):
                words = line.split(" ")
                script = (f'. {bash_completion}; . {completion}; COMP_WORDS=({" ".join(map(repr, words))}); '
                          f'COMP_CWORD={len(words) - 1}; COMP_LINE={line!r}; COMP_POINT={len(line)}; '
                          '_torvikctl torvikctl; echo "${COMPREPLY[*]}"')
                env = dict(self.env, PATH=bindir + ":" + os.environ["PATH"])
                r = run("bash", "-c", script, env=env)
                self.assertEqual(" ".join(sorted(r.stdout.split())), expected, r.stderr)

    def test_textfile_unit_runs_its_command(self):
        unit = read(self.path("lib/systemd/system/torvik-textfile.service"))
        command = re.search(r"^ExecStart=(.+)$", unit, re.M).group(1).split()
        self.assertEqual(command[0], "/usr/bin/torvikctl")
        timer = read(self.path("lib/systemd/system/torvik-textfile.timer"))
        self.assertIn("OnCalendar=minutely", timer)
        # The same arguments on an emulated board and a directory of ours.
        textdir = os.path.join(self.tmp, "textfile")
        os.mkdir(textdir)
        args = command[1:]
        args[args.index("host")] = "emulated"
        args[-1] = textdir
        r = run(self.path("usr/bin/torvikctl"), "--virtual-time", *args, env=self.env)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("torvik_voltage_volts{", read(os.path.join(textdir, "torvik.prom")))


if __name__ == "__main__":
    unittest.main(verbosity=2)
