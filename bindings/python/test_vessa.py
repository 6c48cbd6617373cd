"""Tests of the Python binding against the built libvessa.so (VESSA_LIBRARY)."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import vessa

INT64_MIN, INT64_MAX = -(2**63), 2**63 - 1


class KeyPairTestCase(unittest.TestCase):
    """One curve and one generated key pair shared by the tests of a class."""

    @classmethod
    def setUpClass(cls):
        cls.curve = vessa.Curve()
        cls.private_key, cls.public_key = cls.curve.generate_keypair()

    @classmethod
    def tearDownClass(cls):
        cls.curve.close()


class CurveLifetimeTest(unittest.TestCase):
    def test_parameters(self):
        with vessa.Curve() as curve:
            self.assertEqual((curve.a, curve.b, curve.p, curve.h, curve.n), (1, 1, 99991, 1, 99919))
            self.assertEqual(curve.g, (2617, 5304))

    def test_context_manager_releases_and_closed_curve_refuses(self):
        with vessa.Curve() as curve:
            self.assertFalse(curve.closed)
        self.assertTrue(curve.closed)
        with self.assertRaisesRegex(ValueError, "closed"):
            curve.generate_private_key()
        curve.close()  # a second close is harmless


class KeyTextTest(KeyPairTestCase):
    def test_private_and_public_round_trips(self):
        for d in [0, 1, -1, 14274, 99918, INT64_MIN, INT64_MAX]:
            with self.subTest(d=d):
                text = vessa.package_private(d)
                self.assertEqual(len(text), vessa.KEY_TEXT_LEN)
                self.assertEqual(vessa.resolve_private(text), d)
        for point in [(0, 0), (-1, -1), (2617, 5304), (INT64_MIN, INT64_MAX)]:
            with self.subTest(point=point):
                self.assertEqual(vessa.resolve_public(vessa.package_public(*point)), point)

    def test_generated_keys(self):
        private_key, public_key = self.curve.generate_keypair()
        self.assertEqual(len(private_key), vessa.KEY_TEXT_LEN)
        self.assertEqual(len(public_key), vessa.KEY_TEXT_LEN)
        self.assertTrue(14274 <= vessa.resolve_private(private_key) <= 99918)

    def test_public_keys_of_chosen_scalars(self):
        cases = {14274: (54539, 9345), 2: (99664, 35140), 1: (2617, 5304), 99919: (-1, -1)}
        for d, point in cases.items():
            with self.subTest(d=d):
                public_key = self.curve.public_key(vessa.package_private(d))
                self.assertEqual(vessa.resolve_public(public_key), point)

    def test_malformed_key_texts_raise_key_text_error(self):
        good_private, good_public = self.curve.generate_keypair()
        bad = ["", "x" * 344, good_private[:-3], good_private + "=", good_private.replace("=", "-")]
        operations = {
            "resolve_private": lambda k: vessa.resolve_private(k),
            "resolve_public": lambda k: vessa.resolve_public(k),
            "public_key": lambda k: self.curve.public_key(k),
            "sign": lambda k: self.curve.sign(k, "m"),
            "verify": lambda k: self.curve.verify(k, "m", "0" * 16),
            "encrypt": lambda k: self.curve.encrypt(k, b"m"),
            "decrypt": lambda k: self.curve.decrypt(k, bytes(12)),
        }
        for name, operation in operations.items():
            for text in bad:
                with self.subTest(operation=name, text=text[:12]):
                    with self.assertRaises(vessa.KeyTextError) as caught:
                        operation(text)
                    self.assertEqual(caught.exception.code, -1)
                    self.assertIsInstance(caught.exception, ValueError)
        with self.assertRaisesRegex(vessa.KeyTextError, "trailing newline"):
            self.curve.sign(good_private + "\n", "m")

    def test_key_text_as_bytes(self):
        private_key = vessa.package_private(12345)
        self.assertEqual(vessa.resolve_private(private_key.encode()), 12345)


class SignatureTest(KeyPairTestCase):
    def test_sign_and_verify_bytes_and_str(self):
        for message in [b"", b"hello", "Grüße".encode(), bytes(range(1, 256))]:
            with self.subTest(message=message[:8]):
                signature = self.curve.sign(self.private_key, message)
                self.assertRegex(signature, r"^[0-9a-f]{16}$")
                self.assertTrue(self.curve.verify(self.public_key, message, signature))
                self.assertTrue(self.curve.verify(self.public_key, message, signature.upper()))
        # A str is signed as its UTF-8 bytes.
        signature = self.curve.sign(self.private_key, "Grüße")
        self.assertTrue(self.curve.verify(self.public_key, "Grüße".encode(), signature))

    def test_mismatches_are_false(self):
        signature = self.curve.sign(self.private_key, "pay 10")
        _, other_public = self.curve.generate_keypair()
        challenge_changed = signature[:8] + ("0" if signature[8] != "0" else "1") + signature[9:]
        self.assertFalse(self.curve.verify(self.public_key, "pay 99", signature))
        self.assertFalse(self.curve.verify(other_public, "pay 10", signature))
        self.assertFalse(self.curve.verify(self.public_key, "pay 10", challenge_changed))

    def test_malformed_signature_texts_raise(self):
        for signature in ["", "0" * 15, "0" * 17, "g" * 16, " " + "0" * 15, "é" * 16]:
            with self.subTest(signature=signature):
                with self.assertRaises(vessa.SignatureTextError):
                    self.curve.verify(self.public_key, "m", signature)

    def test_inputs_the_text_interface_cannot_carry(self):
        with self.assertRaisesRegex(ValueError, "NUL byte at offset 2"):
            self.curve.sign(self.private_key, b"ab\0cd")
        with self.assertRaises(TypeError):
            self.curve.sign(self.private_key, 42)


class EncryptionTest(KeyPairTestCase):
    def test_round_trips(self):
        for plaintext in [b"", b"x", b"attack at dawn", bytes(range(1, 256)), "naïve".encode()]:
            with self.subTest(plaintext=plaintext[:8]):
                ciphertext = self.curve.encrypt(self.public_key, plaintext)
                self.assertEqual(len(ciphertext), 12 * len(plaintext))
                self.assertEqual(self.curve.decrypt(self.private_key, ciphertext), plaintext)
        ciphertext = self.curve.encrypt(self.public_key, "naïve")
        self.assertEqual(self.curve.decrypt(self.private_key, ciphertext), "naïve".encode())

    def test_each_encryption_is_fresh(self):
        first = self.curve.encrypt(self.public_key, b"same")
        second = self.curve.encrypt(self.public_key, b"same")
        self.assertNotEqual(first, second)

    def test_refusals(self):
        with self.assertRaisesRegex(ValueError, "NUL byte at offset 1"):
            self.curve.encrypt(self.public_key, b"a\0b")
        with self.assertRaises(vessa.TextTooLongError) as caught:
            self.curve.encrypt(self.public_key, b"a" * 32768)
        self.assertEqual(caught.exception.code, -2)
        with self.assertRaises(vessa.CiphertextError) as caught:
            self.curve.decrypt(self.private_key, bytes(13))
        self.assertEqual(caught.exception.code, -2)

    def test_wrong_key_gives_wrong_bytes(self):
        other_private, _ = self.curve.generate_keypair()
        ciphertext = self.curve.encrypt(self.public_key, b"hello world")
        wrong = self.curve.decrypt(other_private, ciphertext)
        self.assertEqual(len(wrong), 11)
        self.assertNotEqual(wrong, b"hello world")


class LibraryLookupTest(unittest.TestCase):
    """The binding finds the library next to itself when no variable names it."""

    def run_python(self, directory, env_library):
        env = dict(os.environ)
        env.pop("VESSA_LIBRARY", None)
        if env_library is not None:
            env["VESSA_LIBRARY"] = env_library
        env["PYTHONDONTWRITEBYTECODE"] = "1"
        code = "import vessa; vessa.Curve().close(); print(vessa.load_library()._name)"
        return subprocess.run([sys.executable, "-c", code], cwd=directory, env=env,
                              capture_output=True, text=True, timeout=60)

    def test_library_next_to_module_and_missing_library(self):
        built = os.environ.get("VESSA_LIBRARY")
        if not built:
            self.skipTest("VESSA_LIBRARY is not set")
        with tempfile.TemporaryDirectory() as directory:
            shutil.copy(vessa.__file__, directory)
            beside = os.path.join(directory, "libvessa.so.1")
            shutil.copy(built, beside)
            found = self.run_python(directory, None)
            self.assertEqual(found.returncode, 0, found.stderr)
            self.assertEqual(found.stdout.strip(), beside)
            missing = self.run_python(directory, os.path.join(directory, "nowhere.so"))
            self.assertNotEqual(missing.returncode, 0)
            self.assertIn("set VESSA_LIBRARY", missing.stderr)


if __name__ == "__main__":
    unittest.main()
