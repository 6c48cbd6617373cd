"""Tests of how the package finds libvessa and refuses one that is too old."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import vessa
from vessa import _library

PACKAGE_DIR = os.path.dirname(vessa.__file__)
PROBE = "import vessa; vessa.Curve().close(); print(vessa.load_library()._name)"


class LibraryLookupTest(unittest.TestCase):
    def setUp(self):
        directory = tempfile.TemporaryDirectory()
        self.addCleanup(directory.cleanup)
        self.directory = directory.name
        # The package as installed, without the library link beside it.
        shutil.copytree(PACKAGE_DIR, os.path.join(self.directory, "vessa"),
                        ignore=shutil.ignore_patterns("libvessa.so*", "__pycache__"))
        self.built = os.environ.get("VESSA_BUILT_LIBRARY")
        if not self.built:
            self.skipTest("VESSA_BUILT_LIBRARY is not set")

    def run_python(self, code=PROBE, **variables):
        env = {k: v for k, v in os.environ.items()
               if k not in ("VESSA_LIBRARY", "LD_LIBRARY_PATH", "PYTHONPATH")}
        env.update(variables, PYTHONDONTWRITEBYTECODE="1")
        return subprocess.run([sys.executable, "-c", code], cwd=self.directory, env=env,
                              capture_output=True, text=True, timeout=60)

    def test_installed_package_uses_the_library_beside_it(self):
        if "VESSA_LIBRARY" in os.environ:
            self.skipTest("VESSA_LIBRARY is set")
        self.assertEqual(vessa.load_library()._name, os.path.join(PACKAGE_DIR, "libvessa.so.1"))

    def test_places_in_order(self):
        beside = os.path.join(self.directory, "vessa", "libvessa.so.1")
        loader_dir = os.path.join(self.directory, "lib")
        os.mkdir(loader_dir)
        shutil.copy(self.built, os.path.join(loader_dir, "libvessa.so.1"))
        # Nothing beside the package: the system loader, here through LD_LIBRARY_PATH.
        found = self.run_python(LD_LIBRARY_PATH=loader_dir)
        self.assertEqual((found.returncode, found.stdout.strip()), (0, "libvessa.so.1"),
                         found.stderr)
        missing = self.run_python()
        self.assertNotEqual(missing.returncode, 0)
        self.assertIn("set VESSA_LIBRARY", missing.stderr)
        # Beside the package comes before the loader; VESSA_LIBRARY before both.
        shutil.copy(self.built, beside)
        found = self.run_python(LD_LIBRARY_PATH=loader_dir)
        self.assertEqual((found.returncode, found.stdout.strip()), (0, beside), found.stderr)
        found = self.run_python(VESSA_LIBRARY=self.built)
        self.assertEqual((found.returncode, found.stdout.strip()), (0, self.built), found.stderr)
        nowhere = self.run_python(VESSA_LIBRARY=os.path.join(self.directory, "nowhere.so"))
        self.assertNotEqual(nowhere.returncode, 0)
        self.assertIn("nowhere.so", nowhere.stderr)

    def test_a_library_without_the_1_1_interface_is_refused(self):
        refused = self.run_python(VESSA_LIBRARY="libc.so.6")
        self.assertNotEqual(refused.returncode, 0)
        self.assertIn("vessa.errors.LibraryError: libc.so.6 has no vessa_version: it is libvessa "
                      "1.0, or not libvessa at all; this package needs libvessa 1.1 or newer",
                      refused.stderr)
        # Importing alone needs no library.
        imported = self.run_python("import vessa; print(vessa.__version__)",
                                   VESSA_LIBRARY="libc.so.6")
        self.assertEqual(imported.stdout.strip(), vessa.__version__, imported.stderr)


class VersionRuleTest(unittest.TestCase):
    """The version check alone, on a stand-in whose vessa_version says what
    the table says (other functions missing)."""

    def test_versions(self):
        cases = [
            (b"1.0.9", "needs libvessa 1.1 or newer"),
            (b"0.9.0", "needs libvessa 1.1 or newer"),
            (b"2.0.0", "within major version 1"),
            (b"one", "needs libvessa 1.1"),
            (None, "(no version)"),
            (b"1.1.0", "lacks the function"),  # accepted: the next check speaks
            (b"1.12.3", "lacks the function"),
        ]
        for reported, message in cases:
            with self.subTest(version=reported):
                class StandIn:
                    @staticmethod
                    def vessa_version():
                        return reported
                with self.assertRaisesRegex(vessa.LibraryError, message.replace("(", r"\(")
                                            .replace(")", r"\)")):
                    _library._declare(StandIn(), "stand-in")

    def test_the_library_in_use(self):
        self.assertGreaterEqual(_library.parse_version(vessa.library_version())[:2], (1, 1))


if __name__ == "__main__":
    unittest.main()
