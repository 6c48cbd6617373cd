"""Tests of PrivateKey and PublicKey, their files, and agreement with the
vessa tool's key files and signatures both ways."""
import copy
import os
import pickle
import stat
import subprocess
import tempfile
import unittest

from hypothesis import given, strategies as st

import vessa
from test_vessa import INT64_MAX, INT64_MIN, KeyPairTestCase, quick


class KeyTypeTest(KeyPairTestCase):
    def test_equality_is_by_value_not_by_text(self):
        d = vessa.resolve_private(self.private_key.text)
        x, y = self.public_key.point
        repacked_private = vessa.PrivateKey(vessa.package_private(d))
        repacked_public = vessa.PublicKey(vessa.package_public(x, y))
        self.assertNotEqual(repacked_public.text, self.public_key.text)  # fresh filler
        self.assertEqual(repacked_private, self.private_key)
        self.assertEqual(repacked_public, self.public_key)
        self.assertEqual(hash(repacked_private), hash(self.private_key))
        self.assertEqual(hash(repacked_public), hash(self.public_key))
        self.assertEqual(repacked_public.fingerprint, self.public_key.fingerprint)
        self.assertEqual(len({self.public_key, repacked_public}), 1)
        other_private, other_public = self.curve.generate_keypair()
        self.assertNotEqual(other_public, self.public_key)
        self.assertNotEqual(other_public.fingerprint, self.public_key.fingerprint)
        self.assertNotEqual(self.private_key, self.public_key)
        self.assertNotEqual(self.public_key, self.public_key.text)

    def test_fingerprints_tell_all_keys_of_a_range_apart(self):
        prints = {vessa.PrivateKey(vessa.package_private(d)).fingerprint for d in range(1, 400)}
        self.assertEqual(len(prints), 399)
        self.assertTrue(all(len(p) == vessa.FINGERPRINT_LEN and int(p, 16) >= 0 for p in prints))
        self.assertEqual(self.private_key.fingerprint, self.public_key.fingerprint)

    @quick
    @given(st.integers(INT64_MIN, INT64_MAX), st.integers(1, 99918))
    def test_the_kinds_never_pass_for_each_other(self, d, k):
        private_text = vessa.package_private(d)
        self.assertEqual(vessa.PrivateKey(private_text), vessa.PrivateKey(private_text))
        with self.assertRaises(vessa.KeyKindError):
            vessa.PublicKey(private_text)
        public_text = self.curve.public_key(vessa.package_private(k)).text
        with self.assertRaises(vessa.KeyKindError):
            vessa.PrivateKey(public_text)

    def test_immutable_and_copyable(self):
        for key in (self.private_key, self.public_key):
            with self.subTest(key=type(key).__name__):
                with self.assertRaises(AttributeError):
                    key._text = b"x"
                with self.assertRaises(AttributeError):
                    key.text = "x"
                with self.assertRaises(AttributeError):
                    del key._text
                self.assertEqual(copy.copy(key), key)
                self.assertEqual(pickle.loads(pickle.dumps(key)), key)

    def test_repr_shows_no_secret(self):
        text = repr(self.private_key) + str(self.private_key) + f"{self.private_key}"
        self.assertNotIn(self.private_key.text[:40], text)
        self.assertNotIn(str(vessa.resolve_private(self.private_key.text)), text)
        self.assertIn(self.public_key.fingerprint, repr(self.private_key))
        self.assertEqual(repr(self.public_key),
                         f"PublicKey(fingerprint='{self.public_key.fingerprint}')")


class KeyFileTest(unittest.TestCase):
    def setUp(self):
        directory = tempfile.TemporaryDirectory()
        self.addCleanup(directory.cleanup)
        self.directory = directory.name
        self.private_key = vessa.PrivateKey.generate()
        self.public_key = self.private_key.public_key()

    def path(self, name):
        return os.path.join(self.directory, name)

    def test_save_writes_the_text_a_newline_and_the_mode(self):
        self.private_key.save(self.path("a.key"))
        self.public_key.save(self.path("a.pub"))
        for name, key, mode in [("a.key", self.private_key, 0o600), ("a.pub", self.public_key, 0o644)]:
            with self.subTest(file=name):
                with open(self.path(name), "rb") as file:
                    self.assertEqual(file.read(), key.text.encode() + b"\n")
                self.assertEqual(stat.S_IMODE(os.stat(self.path(name)).st_mode), mode)
        self.assertEqual(sorted(os.listdir(self.directory)), ["a.key", "a.pub"])  # no leftovers
        self.assertEqual(vessa.PrivateKey.load(self.path("a.key")), self.private_key)
        self.assertEqual(vessa.PublicKey.load(self.path("a.pub")), self.public_key)

    def test_save_keeps_an_existing_file_unless_told(self):
        other = vessa.PrivateKey.generate()
        self.private_key.save(self.path("a.key"))
        with self.assertRaises(FileExistsError):
            other.save(self.path("a.key"))
        self.assertEqual(vessa.PrivateKey.load(self.path("a.key")), self.private_key)
        other.save(self.path("a.key"), overwrite=True)
        self.assertEqual(vessa.PrivateKey.load(self.path("a.key")), other)
        self.assertEqual(os.listdir(self.directory), ["a.key"])

    def test_load_tolerates_whitespace_and_names_the_file(self):
        variants = {"crlf": "\r\n", "none": "", "spaces": "  \n\n"}
        for name, ending in variants.items():
            with self.subTest(ending=name):
                with open(self.path(name), "w") as file:
                    file.write(self.private_key.text + ending)
                self.assertEqual(vessa.PrivateKey.load(self.path(name)), self.private_key)
        with open(self.path("bad"), "w") as file:
            file.write("not a key\n")
        with self.assertRaisesRegex(vessa.KeyTextError, "bad"):
            vessa.PrivateKey.load(self.path("bad"))
        self.public_key.save(self.path("a.pub"))
        with self.assertRaisesRegex(vessa.KeyKindError, "a.pub"):
            vessa.PrivateKey.load(self.path("a.pub"))


@unittest.skipUnless(os.environ.get("VESSA_TOOL"), "VESSA_TOOL is not set")
class ToolAgreementTest(unittest.TestCase):
    """Key files and signature texts pass between the tool and the package
    both ways."""

    def setUp(self):
        directory = tempfile.TemporaryDirectory()
        self.addCleanup(directory.cleanup)
        self.directory = directory.name
        self.curve = vessa.Curve()
        self.addCleanup(self.curve.close)
        self.message = os.path.join(self.directory, "message")
        with open(self.message, "wb") as file:
            file.write(b"pay Bob 10\n\0\xff" * 1000)  # binary, NUL bytes included

    def tool(self, *args):
        return subprocess.run([os.environ["VESSA_TOOL"], *args], cwd=self.directory,
                              capture_output=True, text=True, timeout=60)

    def test_tool_keys_and_signatures_in_python(self):
        made = self.tool("keygen", "--out", "alice")
        self.assertEqual(made.returncode, 0, made.stderr)
        private_key = vessa.PrivateKey.load(os.path.join(self.directory, "alice.key"))
        public_key = vessa.PublicKey.load(os.path.join(self.directory, "alice.pub"))
        self.assertEqual(private_key.public_key(), public_key)
        signed = self.tool("sign", "--key", "alice.key", "--in", "message", "--out", "message.sig")
        self.assertEqual(signed.returncode, 0, signed.stderr)
        with open(os.path.join(self.directory, "message.sig")) as file:
            signature = file.read()
        self.assertTrue(self.curve.verify_file(public_key, self.message, signature))
        self.assertFalse(self.curve.verify(public_key, b"pay Bob 99", signature))

    def test_python_keys_and_signatures_in_the_tool(self):
        private_key, public_key = self.curve.generate_keypair()
        private_key.save(os.path.join(self.directory, "bob.key"))
        public_key.save(os.path.join(self.directory, "bob.pub"))
        derived = self.tool("pubkey", "--key", "bob.key", "--out", "derived.pub")
        self.assertEqual(derived.returncode, 0, derived.stderr)
        self.assertEqual(vessa.PublicKey.load(os.path.join(self.directory, "derived.pub")),
                         public_key)
        signature = self.curve.sign_file(private_key, self.message)
        verified = self.tool("verify", "--key", "bob.pub", "--signature", signature,
                             "--in", "message")
        self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)
        refused = self.tool("verify", "--key", "bob.pub", "--signature", signature,
                            "--message", "pay Bob 99")
        self.assertEqual(refused.returncode, 1, refused.stdout + refused.stderr)


if __name__ == "__main__":
    unittest.main()
