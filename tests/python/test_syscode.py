"""The Python module over the built libsyscode.

Run by CTest with SYSCODE_LIBRARY set to the build tree's library and
PYTHONPATH to python/; SYSCODE_CLI and SYSCODE_SOURCE_DIR name the command
line program and the source tree when the test has them.
"""

import json
import os
import re
import subprocess
import sys
import unittest

import syscode

WORKED = ["BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3"]
WORKED_CODE = "900603007249AQRXZ7MK29X31"
SOURCE_DIR = os.environ.get("SYSCODE_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
EXAMPLE_LOG = os.path.join(SOURCE_DIR, "examples", "LogD.txt")
CODE = re.compile(r"^[0-9A-Z]00([0-9A-Z]{21})?[0-9A-Z]$")


def has(name):
    return syscode.has_function(name)


class CodeFromValuesTest(unittest.TestCase):
    def test_codes(self):
        cases = [
            ("worked example", WORKED, WORKED_CODE),
            ("trailing Nones", WORKED + [None, None, None], WORKED_CODE),
            ("all seven of an inventory are taken, the unread ignored",
             WORKED + ["LEGACY BIOS 2.07", "ASUSTeK", "2864434397"], WORKED_CODE),
            ("bytes and non-ASCII text", [b"BFEBFBFF000306A9", "1.02b\u00e9", b"mb.42/77zx-r\xff", "S1A7-QX92-KM3"],
             WORKED_CODE),
            ("by source name", dict(zip(syscode.SOURCE_NAMES, WORKED)), WORKED_CODE),
            ("source 7 reached", ["BFEBFBFF000306A9", "", "", "", "", "", "2864434397"], "1008"),
            ("parts from sources 1, 4 and 5",
             ["BFEBFBFF000306A9", "1.02b", "", "S1A7-QX92-KM3", "LEGACY BIOS 2.07"], "100603009XQ9AB3MK202SOI73"),
        ]
        for name, values, code in cases:
            with self.subTest(name):
                self.assertEqual(syscode.code_from_values(values), code)

    def test_a_missing_value_raises_with_the_detail(self):
        with self.assertRaises(syscode.ValuesError) as caught:
            syscode.code_from_values(WORKED[:3] + [None, "x", "y", "z"])
        error = caught.exception
        self.assertIsInstance(error, ValueError)
        self.assertEqual(error.result, syscode.ERROR_VALUES)
        self.assertEqual(error.function, "syscode_code_from_values")
        self.assertIn("value 3 (HardDiskSerialNumber) is missing", str(error))

    def test_refused_before_the_call(self):
        cases = [
            ("eight values", WORKED * 2, ValueError, "8 values"),
            ("a NUL would cut the value short", ["BFEBFBFF\0000306A9"] + WORKED[1:], ValueError, "NUL"),
            ("unknown source name", {"CpuID": "x"}, ValueError, "unknown source 'CpuID'"),
            ("one text instead of values", "BFEBFBFF000306A9", TypeError, "sequence"),
            ("a number as value", [12345678], TypeError, "value 0 (CpuId)"),
        ]
        for name, values, kind, fragment in cases:
            with self.subTest(name):
                with self.assertRaises(kind) as caught:
                    syscode.code_from_values(values)
                self.assertIn(fragment, str(caught.exception))


class MachineTest(unittest.TestCase):
    def test_get_code_is_a_code_and_the_same_every_time(self):
        code = syscode.get_code()
        self.assertRegex(code, CODE)
        self.assertEqual(syscode.get_code(), code)

    def test_version(self):
        expected = os.environ.get("SYSCODE_VERSION_FOR_TEST")
        if expected:
            self.assertEqual(syscode.version(), expected)
        self.assertRegex(syscode.version(), r"^\d+\.\d+\.\d+")


class LoadingTest(unittest.TestCase):
    def run_python(self, library):
        env = dict(os.environ, SYSCODE_LIBRARY=library)
        return subprocess.run([sys.executable, "-c", "import syscode; print(syscode.version())"],
                              env=env, capture_output=True, text=True)

    def test_the_override_is_used_and_a_wrong_one_is_named(self):
        good = self.run_python(os.environ["SYSCODE_LIBRARY"])
        self.assertEqual(good.returncode, 0, good.stderr)
        bad = self.run_python("/nonexistent/libsyscode.so.1")
        self.assertNotEqual(bad.returncode, 0)
        self.assertIn("OSError: libsyscode could not be loaded: /nonexistent/libsyscode.so.1", bad.stderr)


def example_log():
    with open(EXAMPLE_LOG, "rb") as f:
        return f.read()


@unittest.skipUnless(has("decode_log") and has("free"), "this libsyscode has no syscode_decode_log yet")
class DecodeLogTest(unittest.TestCase):
    def test_the_command_lines_object(self):
        decoded = syscode.decode_log(example_log())
        self.assertIsInstance(decoded, dict)
        self.assertIn(WORKED_CODE, json.dumps(decoded))
        cli = os.environ.get("SYSCODE_CLI")
        if cli:
            out = subprocess.run([cli, "--from-log", EXAMPLE_LOG, "--json"], capture_output=True, check=True)
            expected = json.loads(out.stdout)
            # Bytes have no file name.
            self.assertEqual(expected.pop("file"), EXAMPLE_LOG)
            self.assertIsNone(decoded.pop("file"))
            self.assertEqual(decoded, expected)

    def test_text_instead_of_bytes(self):
        with self.assertRaises(TypeError):
            syscode.decode_log(example_log().decode("latin-1"))


@unittest.skipUnless(has("check_code") and has("free"), "this libsyscode has no syscode_check_code yet")
class CheckCodeTest(unittest.TestCase):
    def test_against_a_log(self):
        typed = "-".join(WORKED_CODE[i:i + 5] for i in range(0, 25, 5)).lower()
        cases = [
            ("as typed from the window's field", typed, True),
            ("wrong code", "900603007249AQRXZ7MK29X30", False),
        ]
        for name, code, expected in cases:
            with self.subTest(name):
                matches, report = syscode.check_code(code, example_log())
                self.assertIs(matches, expected)
                self.assertIsInstance(report, dict)
                self.assertTrue(report)

    def test_a_code_of_other_characters_is_refused_with_its_own_reason(self):
        with self.assertRaises(syscode.ValuesError):
            syscode.code_from_values(WORKED[:3])  # leaves a detail behind
        with self.assertRaises(syscode.ArgumentError) as caught:
            syscode.check_code("9006*0300", example_log())
        self.assertIsInstance(caught.exception, ValueError)
        self.assertIn("other than letters, digits, dashes and blanks", str(caught.exception))
        self.assertNotIn("HardDiskSerialNumber", str(caught.exception))

    def test_against_this_machine(self):
        matches, report = syscode.check_code(syscode.get_code())
        self.assertTrue(matches, report)


if __name__ == "__main__":
    unittest.main()
