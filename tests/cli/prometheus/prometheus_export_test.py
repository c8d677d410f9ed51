#!/usr/bin/python3
"""torvikctl's metrics for node_exporter's textfile collector.

Every emulated board's `sensors --format prometheus` output is read back with
the Prometheus client library's parser (and `promtool check metrics` where it
is installed), with the rules that parser lets pass checked here; the
textfile written by `monitor --textfile` is read while it is being rewritten
and must never be seen half-written.
"""
import json
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import unittest

from prometheus_client.parser import text_string_to_metric_families

TORVIKCTL = sys.argv.pop(1) if len(sys.argv) > 1 else "torvikctl"
FAMILIES = {
    "torvik_voltage_volts", "torvik_current_amperes", "torvik_power_watts", "torvik_temperature_celsius",
    "torvik_fan_rpm", "torvik_fan_duty_ratio", "torvik_battery_charge_ratio", "torvik_core_clock_hertz",
}
LABELS = {"chip", "sensor", "label", "machine"}


def run(env, *args, check=True):
    r = subprocess.run([TORVIKCTL, "--virtual-time", *args], env=env, capture_output=True, text=True, timeout=300)
    if check and r.returncode != 0:
        raise AssertionError(f"torvikctl {' '.join(args)} exited {r.returncode}: {r.stderr}")
    return r


def check_exposition(test, text, machine):
    """Checks one exposition; returns {family: number of samples}."""
    test.assertTrue(text.endswith("\n"), "the last line is unterminated")
    declared = {}
    series = set()
    for n, line in enumerate(text.splitlines(), 1):
        m = re.match(r"# (HELP|TYPE) (\S+) (.+)$", line)
        if m:
            declared.setdefault(m.group(2), set()).add(m.group(1))
            if m.group(1) == "TYPE":
                test.assertEqual(m.group(3), "gauge", line)
            continue
        name = line.split("{", 1)[0]
        test.assertIn(name, FAMILIES, f"line {n}: {line}")
        test.assertEqual(declared.get(name), {"HELP", "TYPE"}, f"line {n}: sample before HELP and TYPE")
    counts = {}
    for family in text_string_to_metric_families(text):
        test.assertEqual(family.type, "gauge")
        for s in family.samples:
            test.assertEqual(set(s.labels), LABELS, s)
            test.assertEqual(s.labels["machine"], machine, s)
            test.assertTrue(s.labels["chip"] and s.labels["label"] and s.labels["sensor"], s)
            key = (s.name, tuple(sorted(s.labels.items())))
            test.assertNotIn(key, series, f"duplicate series {key}")
            series.add(key)
            test.assertTrue(s.value == s.value and abs(s.value) != float("inf"), s)
            if s.name.endswith("_ratio"):
                test.assertTrue(0 <= s.value <= 1, s)
            counts[s.name] = counts.get(s.name, 0) + 1
    promtool = shutil.which("promtool")
    if promtool:
        r = subprocess.run([promtool, "check", "metrics"], input=text, capture_output=True, text=True)
        test.assertEqual(r.returncode, 0, r.stdout + r.stderr)
    return counts


class PrometheusExport(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="torvik-prom-")
        runtime = os.path.join(self.tmp, "run")
        os.mkdir(runtime, 0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=runtime,
                        TORVIK_LOCK_NAMESPACE=f"torvik-test-{os.getpid()}-{time.monotonic_ns() % 1000000}")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def test_every_emulated_board_passes_the_format_check(self):
        """Each board's metrics parse and carry exactly the readings its JSON listing has."""
        boards = [m["machine"] for m in json.loads(run(self.env, "--json", "machines").stdout)
                  if m["machine"].startswith("emulated:")]
        self.assertGreater(len(boards), 5)
        families = {"voltage": ("torvik_voltage_volts", 1), "current": ("torvik_current_amperes", 1),
                    "power": ("torvik_power_watts", 1), "temperature": ("torvik_temperature_celsius", 1),
                    "fan": ("torvik_fan_rpm", 1), "pwm": ("torvik_fan_duty_ratio", 0.01),
                    "charge": ("torvik_battery_charge_ratio", 0.01)}
        compared = 0
        for machine in boards:
            with self.subTest(machine=machine):
                out = run(self.env, "--machine", machine, "sensors", "--format", "prometheus").stdout
                counts = check_exposition(self, out, machine)
                self.assertGreater(counts.get("torvik_core_clock_hertz", 0), 0, out)
                samples = {(s.name, s.labels["chip"], s.labels["label"]): s.value
                           for f in text_string_to_metric_families(out) for s in f.samples
                           if s.name != "torvik_core_clock_hertz"}
                listing = json.loads(run(self.env, "--machine", machine, "--json", "sensors").stdout)
                expected = {}
                seen = {}
                for chip in listing["chips"]:
                    # A second chip of the same model is numbered.
                    seen[chip["name"]] = seen.get(chip["name"], 0) + 1
                    name = chip["name"] + (f" #{seen[chip['name']]}" if seen[chip["name"]] > 1 else "")
                    for s in chip["sensors"]:
                        # Rails may be negative; speeds, duties and charges are not.
                        unsigned = s["class"] in ("fan", "pwm", "charge")
                        if s["raw"] != -1 and (s["value"] >= 0 or not unsigned):
                            family, factor = families[s["class"]]
                            expected[(family, name, s["label"])] = s["value"] * factor
                self.assertEqual(set(samples), set(expected))
                for key, value in expected.items():
                    self.assertAlmostEqual(samples[key], value, delta=abs(value) * 1e-6, msg=key)
                compared += len(expected)
        self.assertGreater(compared, 100)

    def test_arguments_are_checked_before_the_hardware(self):
        textdir = os.path.join(self.tmp, "missing")
        cases = [
            (["sensors", "--format", "xml"], 2),
            (["sensors", "--format"], 2),
            (["monitor", "--once", "--textfile", self.tmp], 2),  # the textfile takes metrics only
            (["monitor", "--once", "--format", "prometheus", "--textfile"], 2),
            (["monitor", "--once", "--format", "prometheus", "--textfile", textdir], 1),
        ]
        for args, status in cases:
            with self.subTest(args=args):
                r = run(self.env, "--machine", "emulated", *args, check=False)
                self.assertEqual(r.returncode, status, r.stdout + r.stderr)
                self.assertFalse(os.path.exists(textdir))

    def test_textfile_is_never_seen_half_written(self):
        textdir = os.path.join(self.tmp, "textfile")
        os.mkdir(textdir)
        target = os.path.join(textdir, "torvik.prom")
        proc = subprocess.Popen([TORVIKCTL, "--virtual-time", "--machine", "emulated:brenmor-5520dp", "monitor",
                                 "--count", "60", "--format", "prometheus", "--textfile", textdir],
                                env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        reads, versions, expected = 0, set(), None
        while True:
            finished = proc.poll() is not None
            try:
                with open(target) as f:
                    text = f.read()
            except FileNotFoundError:
                text = None
            if text is not None:
                reads += 1
                versions.add(os.stat(target).st_ino)
                counts = check_exposition(self, text, "emulated:brenmor-5520dp")
                # Fans may join from one cycle to the next; the voltages and,
                # last in the file, the core clocks are there every time.
                stable = {k: counts.get(k) for k in ("torvik_voltage_volts", "torvik_core_clock_hertz")}
                if expected is None:
                    expected = stable
                self.assertEqual(stable, expected, "a read saw a cut file")
            if finished:
                break
        out, err = proc.communicate()
        proc.stdout.close()
        proc.stderr.close()
        self.assertEqual(proc.returncode, 0, err)
        self.assertEqual(out, "", "the textfile export prints nothing")
        self.assertGreater(len(versions), 1, "the file was rewritten")
        self.assertEqual(os.listdir(textdir), ["torvik.prom"], "no temporary file is left")
        self.assertEqual(stat.S_IMODE(os.stat(target).st_mode), 0o644)


if __name__ == "__main__":
    unittest.main(verbosity=2)
