"""Tests of the vessa package as installed: curve, key texts, signatures and
encryption over bytes, and the refusal of every wrong argument."""
import array
import io
import os
import tempfile
import unittest

from hypothesis import given, settings, strategies as st

import vessa

INT64_MIN, INT64_MAX = -(2**63), 2**63 - 1
quick = settings(max_examples=40, deadline=None, database=None)


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

    def test_closed_curve_refuses_every_call(self):
        with vessa.Curve() as curve:
            private_key, public_key = curve.generate_keypair()
            signature = curve.sign(private_key, b"m")
        self.assertTrue(curve.closed)
        calls = {
            "generate_private_key": lambda: curve.generate_private_key(),
            "public_key": lambda: curve.public_key(private_key),
            "sign": lambda: curve.sign(private_key, b"m"),
            "verify": lambda: curve.verify(public_key, b"m", signature),
            "sign_message": lambda: curve.sign_message(private_key, vessa.Message(b"m")),
            "sign_file": lambda: curve.sign_file(private_key, io.BytesIO(b"m")),
            "verify_file": lambda: curve.verify_file(public_key, io.BytesIO(b"m"), signature),
            "encrypt": lambda: curve.encrypt(public_key, b"m"),
            "decrypt": lambda: curve.decrypt(private_key, bytes(12)),
            "with": lambda: curve.__enter__(),
        }
        for name, call in calls.items():
            with self.subTest(call=name), self.assertRaisesRegex(ValueError, "closed"):
                call()
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
        self.assertEqual(len(private_key.text), vessa.KEY_TEXT_LEN)
        self.assertEqual(len(public_key.text), vessa.KEY_TEXT_LEN)
        self.assertTrue(14274 <= vessa.resolve_private(private_key.text) <= 99918)
        self.assertTrue(14274 <= vessa.resolve_private(vessa.PrivateKey.generate().text) <= 99918)

    def test_public_keys_of_chosen_scalars(self):
        cases = {14274: (54539, 9345), 2: (99664, 35140), 1: (2617, 5304)}
        for d, point in cases.items():
            with self.subTest(d=d):
                self.assertEqual(self.curve.public_key(vessa.package_private(d)).point, point)
        # d = n gives the point at infinity, which is no public key.
        with self.assertRaisesRegex(vessa.KeyKindError, "point at infinity"):
            self.curve.public_key(vessa.package_private(99919))

    def test_malformed_key_texts_raise_key_text_error(self):
        good = self.private_key.text
        bad = ["", "x" * 344, good[:-3], good + "=", good.replace("=", "-"), good[:100] + " " +
               good[100:], good[:-1] + "é"]
        operations = {
            "resolve_private": vessa.resolve_private,
            "resolve_public": vessa.resolve_public,
            "PrivateKey": vessa.PrivateKey,
            "PublicKey": vessa.PublicKey,
            "public_key": self.curve.public_key,
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

    def test_key_texts_as_read_from_files(self):
        # Whitespace around a text, such as a key file's newline, is no part of it.
        for text in [self.private_key.text + "\n", self.private_key.text + "\r\n",
                     (self.private_key.text + "\n").encode(), " " + self.private_key.text]:
            with self.subTest(text=text[-2:]):
                signature = self.curve.sign(text, "m")
                self.assertTrue(self.curve.verify(self.public_key.text + "\n", "m", signature))
        self.assertEqual(vessa.resolve_private(vessa.package_private(12345).encode()), 12345)


class SignatureTest(KeyPairTestCase):
    @quick
    @given(st.binary(max_size=300))
    def test_any_bytes_sign_and_verify(self, message):
        signature = self.curve.sign(self.private_key, message)
        self.assertRegex(signature, r"^[0-9a-f]{16}$")
        self.assertTrue(self.curve.verify(self.public_key, message, signature))
        self.assertTrue(self.curve.verify(self.public_key, bytearray(message), signature.upper()))
        self.assertFalse(self.curve.verify(self.public_key, message + b"\0", signature))

    @quick
    @given(st.binary(max_size=2000), st.lists(st.integers(0, 2000), max_size=6))
    def test_any_split_signs_as_one_piece(self, message, cuts):
        bounds = [0] + sorted(cuts) + [len(message)]
        streamed = vessa.Message()
        for start, end in zip(bounds, bounds[1:]):
            streamed.update(message[start:end])
        self.assertEqual(streamed.length, len(message))
        # The streamed and one-shot forms accept each other's signatures.
        self.assertTrue(self.curve.verify(self.public_key, message,
                                          self.curve.sign_message(self.private_key, streamed)))
        self.assertTrue(self.curve.verify_message(self.public_key, streamed,
                                                  self.curve.sign(self.private_key, message)))
        self.assertTrue(self.curve.verify_file(self.public_key, io.BytesIO(message),
                                               self.curve.sign(self.private_key, message)))

    def test_message_forms(self):
        message = "Grüße\0".encode()
        signature = self.curve.sign(self.private_key, message)
        forms = {
            "str as UTF-8": "Grüße\0",
            "bytearray": bytearray(message),
            "memoryview slice": memoryview(b"xx" + message)[2:],
            "read-only memoryview": memoryview(message),
            "array of bytes": array.array("B", message),
            "stream state": vessa.Message().update(message[:3]).update(message[3:]),
        }
        for name, form in forms.items():
            with self.subTest(form=name):
                if isinstance(form, vessa.Message):
                    self.assertTrue(self.curve.verify_message(self.public_key, form, signature))
                    self.assertTrue(self.curve.verify_message(self.public_key, form.copy(),
                                                              signature))
                else:
                    self.assertTrue(self.curve.verify(self.public_key, form, signature))
        wiped = vessa.Message(message)
        wiped.wipe()
        self.assertEqual(wiped.length, 0)
        self.assertTrue(self.curve.verify(self.public_key, b"",
                                          self.curve.sign_message(self.private_key, wiped)))

    def test_files_are_read_in_bounded_pieces(self):
        class Source(io.RawIOBase):
            """8 MiB of generated bytes; notes the largest read asked for."""
            def __init__(self):
                self.left, self.largest = 8 << 20, 0

            def readable(self):
                return True

            def readinto(self, buffer):
                self.largest = max(self.largest, len(buffer))
                count = min(len(buffer), self.left)
                buffer[:count] = b"\x5a" * count
                self.left -= count
                return count

        source = Source()
        signature = self.curve.sign_file(self.private_key, source)
        self.assertLessEqual(source.largest, vessa.message.PIECE_SIZE)
        with tempfile.TemporaryDirectory() as directory:
            path = os.path.join(directory, "data")
            with open(path, "wb") as file:
                file.write(b"\x5a" * (8 << 20))
            self.assertTrue(self.curve.verify_file(self.public_key, path, signature))
            with open(path, "rb", buffering=0) as file:
                self.assertTrue(self.curve.verify_file(self.public_key, file, signature))
            with open(path) as text_file, self.assertRaisesRegex(TypeError, "binary mode"):
                self.curve.sign_file(self.private_key, text_file)

    def test_mismatches_are_false(self):
        signature = self.curve.sign(self.private_key, "pay 10")
        _, other_public = self.curve.generate_keypair()
        challenge_changed = signature[:8] + ("0" if signature[8] != "0" else "1") + signature[9:]
        self.assertFalse(self.curve.verify(self.public_key, "pay 99", signature))
        self.assertFalse(self.curve.verify(other_public, "pay 10", signature))
        self.assertFalse(self.curve.verify(self.public_key, "pay 10", challenge_changed))

    def test_malformed_signature_texts_raise(self):
        for signature in ["", "0" * 15, "0" * 17, "g" * 16, "0" * 8 + " " + "0" * 7, "é" * 16,
                          b"0" * 15]:
            with self.subTest(signature=signature):
                with self.assertRaises(vessa.SignatureTextError):
                    self.curve.verify(self.public_key, "m", signature)


class EncryptionTest(KeyPairTestCase):
    @quick
    @given(st.binary(max_size=300))
    def test_any_bytes_round_trip(self, plaintext):
        ciphertext = self.curve.encrypt(self.public_key, plaintext)
        self.assertEqual(len(ciphertext), vessa.CIPHERTEXT_ENTRY_SIZE * len(plaintext))
        self.assertEqual(self.curve.decrypt(self.private_key, ciphertext), plaintext)
        self.assertEqual(self.curve.decrypt(self.private_key, memoryview(ciphertext)), plaintext)

    def test_lengths_the_text_encryption_refused(self):
        # NUL bytes and lengths with bit 15 set (32768 to 65535) were refused by
        # the text functions; entries are those the text functions make.
        for plaintext in [b"a\0b", b"\xff" * 32768, "naïve"]:
            with self.subTest(length=len(plaintext)):
                ciphertext = self.curve.encrypt(self.public_key, plaintext)
                expected = plaintext.encode() if isinstance(plaintext, str) else plaintext
                self.assertEqual(self.curve.decrypt(self.private_key, ciphertext), expected)

    def test_each_encryption_is_fresh(self):
        first = self.curve.encrypt(self.public_key, b"same")
        second = self.curve.encrypt(self.public_key, b"same")
        self.assertNotEqual(first, second)

    def test_ciphertext_lengths(self):
        for length in [1, 11, 13, 25]:
            with self.subTest(length=length):
                with self.assertRaises(vessa.CiphertextError) as caught:
                    self.curve.decrypt(self.private_key, bytes(length))
                self.assertEqual(caught.exception.code, -2)

    def test_wrong_key_gives_wrong_bytes(self):
        other_private, _ = self.curve.generate_keypair()
        ciphertext = self.curve.encrypt(self.public_key, b"hello world")
        wrong = self.curve.decrypt(other_private, ciphertext)
        self.assertEqual(len(wrong), 11)
        self.assertNotEqual(wrong, b"hello world")


class ArgumentTest(KeyPairTestCase):
    """Every wrong argument raises TypeError, OverflowError or KeyKindError
    naming the parameter; no ctypes exception escapes."""

    def test_integers_outside_signed_64_bits_overflow(self):
        for value in [2**63, 2**64 + 5, 2**70, INT64_MIN - 1]:
            calls = {
                "d": lambda v: vessa.package_private(v),
                "x": lambda v: vessa.package_public(v, 0),
                "y": lambda v: vessa.package_public(0, v),
            }
            for name, call in calls.items():
                with self.subTest(value=value, parameter=name):
                    with self.assertRaisesRegex(OverflowError, f"^{name} = "):
                        call(value)

    def test_wrong_types_name_the_parameter(self):
        curve, private_key, public_key = self.curve, self.private_key, self.public_key
        cases = [
            ("d", lambda: vessa.package_private(1.0)),
            ("d", lambda: vessa.package_private("5")),
            ("x", lambda: vessa.package_public(None, 0)),
            ("y", lambda: vessa.package_public(0, 2.5)),
            ("text", lambda: vessa.resolve_private(None)),
            ("text", lambda: vessa.resolve_public(12)),
            ("private key", lambda: vessa.PrivateKey(12)),
            ("public key", lambda: vessa.PublicKey(None)),
            ("private_key", lambda: curve.sign(None, b"m")),
            ("private_key", lambda: curve.public_key(public_key.point)),
            ("message", lambda: curve.sign(private_key, 42)),
            ("message", lambda: curve.sign(private_key, None)),
            ("message", lambda: curve.verify(public_key, 1.5, "0" * 16)),
            ("signature", lambda: curve.verify(public_key, b"m", None)),
            ("signature", lambda: curve.verify(public_key, b"m", 12345)),
            ("public_key", lambda: curve.verify(private_key, b"m", "0" * 16)),
            ("public_key", lambda: curve.encrypt(None, b"m")),
            ("plaintext", lambda: curve.encrypt(public_key, 7)),
            ("ciphertext", lambda: curve.decrypt(private_key, 24)),
            ("ciphertext", lambda: curve.decrypt(private_key, "x" * 12)),
            ("message", lambda: curve.sign_message(private_key, b"m")),
            ("file", lambda: curve.sign_file(private_key, 3.0)),
            ("data", lambda: vessa.Message().update(None)),
        ]
        for parameter, call in cases:
            with self.subTest(parameter=parameter):
                with self.assertRaisesRegex(TypeError, f"^{parameter} must be"):
                    call()

    def test_keys_of_the_wrong_kind(self):
        curve, private_key, public_key = self.curve, self.private_key, self.public_key
        off_curve = vessa.package_public(1, 1)
        cases = [
            ("public key to sign", lambda: curve.sign(public_key.text, b"m")),
            ("public key to decrypt", lambda: curve.decrypt(public_key.text, bytes(12))),
            ("public key as PrivateKey", lambda: vessa.PrivateKey(public_key.text)),
            ("private key to verify", lambda: curve.verify(private_key.text, b"m", "0" * 16)),
            ("private key to encrypt", lambda: curve.encrypt(private_key.text, b"m")),
            ("private key as PublicKey", lambda: vessa.PublicKey(private_key.text)),
            ("point off the curve", lambda: curve.encrypt(off_curve, b"m")),
            ("point at infinity", lambda: vessa.PublicKey(vessa.package_public(-1, -1))),
        ]
        for name, call in cases:
            with self.subTest(case=name):
                with self.assertRaises(vessa.KeyKindError):
                    call()


if __name__ == "__main__":
    unittest.main()
