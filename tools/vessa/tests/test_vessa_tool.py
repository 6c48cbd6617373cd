"""Tests of the vessa command-line tool, run as a user runs it.

The tool's path comes from the VESSA_TOOL environment variable.
"""
import os
import stat
import subprocess
import tempfile
import unittest

TOOL = os.environ.get("VESSA_TOOL", "vessa")
COMMANDS = ["keygen", "pubkey", "sign", "verify", "encrypt", "decrypt", "bench", "demo"]


def run(*args, stdin=b""):
    return subprocess.run([TOOL, *args], input=stdin, capture_output=True, timeout=120)


class ToolTestCase(unittest.TestCase):
    def setUp(self):
        self._dir = tempfile.TemporaryDirectory()
        self.dir = self._dir.name

    def tearDown(self):
        self._dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def ok(self, *args, stdin=b""):
        result = run(*args, stdin=stdin)
        self.assertEqual(result.returncode, 0, result.stderr.decode())
        return result.stdout

    def refused(self, args, needle, stdin=b""):
        """Exit status 2, nothing on stdout, one line on stderr holding needle."""
        result = run(*args, stdin=stdin)
        err = result.stderr.decode()
        self.assertEqual(result.returncode, 2, f"{args}: {err}")
        self.assertEqual(result.stdout, b"", args)
        self.assertEqual(err.count("\n"), 1, f"{args}: {err!r}")
        self.assertIn(needle, err, args)
        return err

    def keypair(self, name="alice"):
        self.ok("keygen", "--out", self.path(name))
        return self.path(name + ".key"), self.path(name + ".pub")


class HelpTest(ToolTestCase):
    def test_every_command_has_help(self):
        for command in COMMANDS:
            for args in ([command, "--help"], [command, "-h"], ["help", command]):
                with self.subTest(args=args):
                    result = run(*args)
                    self.assertEqual(result.returncode, 0)
                    self.assertTrue(result.stdout.startswith(f"usage: vessa {command}".encode()))
                    self.assertIn(b"--help", result.stdout)
                    self.assertEqual(result.stderr, b"")

    def test_overview_lists_every_command(self):
        out = self.ok("--help")
        for command in COMMANDS:
            self.assertIn(f"\n  {command} ".encode(), out)

    def test_version(self):
        self.assertRegex(self.ok("--version").decode(), r"^vessa \d+\.\d+\.\d+\n$")

    def test_no_command_prints_usage_and_fails(self):
        result = run()
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"usage: vessa", result.stderr)
        self.assertEqual(result.stdout, b"")


class UsageErrorTest(ToolTestCase):
    def test_usage_errors_exit_2_with_one_line(self):
        key, pub = self.keypair()
        cases = [
            (["frobnicate"], "unknown command 'frobnicate'"),
            (["help", "frobnicate"], "no such command"),
            (["sign", "--message", "m"], "missing --key FILE"),
            (["sign", "--key", key, "--bogus"], "unknown option '--bogus'"),
            (["sign", "--key", key, "-x"], "unknown option '-x'"),
            (["sign", "--key"], "'--key' needs a value"),
            (["sign", "--key", key, "--key", key, "--message", "m"], "given twice"),
            (["sign", "--key", key, "--message", "m", "stray"], "unexpected argument 'stray'"),
            (["sign", "--key", key, "--message", "m", "--in", key], "not both"),
            (["sign", "--key", "-"], "cannot both come from standard input"),
            (["keygen", "--force=yes"], "takes no value"),
            (["keygen", "--out="], "non-empty NAME"),
            (["verify", "--key", pub, "--message", "m"], "exactly one of --signature"),
            (["verify", "--key", pub, "--message", "m", "--signature", "0" * 16,
              "--signature-file", key], "exactly one of --signature"),
            (["verify", "--key", pub, "--signature-file", "-"], "cannot both come from standard input"),
            (["encrypt", "--key", "-"], "cannot both come from standard input"),
            (["decrypt", "--in", key], "missing --key FILE"),
            (["bench", "--iterations", "0"], "--iterations needs a positive integer"),
            (["bench", "--iterations", "12x"], "--iterations needs a positive integer"),
        ]
        for args, needle in cases:
            with self.subTest(args=args):
                self.refused(args, needle)


class KeyTest(ToolTestCase):
    def test_keygen_prints_one_private_key_line(self):
        out = self.ok("keygen")
        self.assertEqual(len(out), 345)
        self.assertTrue(out.endswith(b"==\n"))

    def test_keygen_out_writes_pair_private_file_owner_only(self):
        key, pub = self.keypair()
        self.assertEqual(len(self.read("alice.key")), 345)
        self.assertEqual(len(self.read("alice.pub")), 345)
        self.assertEqual(stat.S_IMODE(os.stat(key).st_mode) & 0o077, 0)
        # The pair belongs together: the derived public key checks its signatures.
        sig = self.ok("sign", "--key", key, "--message", "pair")
        self.ok("verify", "--key", pub, "--signature", sig.decode().strip(), "--message", "pair")

    def test_keygen_refuses_to_overwrite_either_file(self):
        for existing in ("bob.key", "bob.pub"):
            with self.subTest(existing=existing):
                self.write(existing, b"keep me\n")
                err = self.refused(["keygen", "--out", self.path("bob")], "already exists")
                self.assertIn("--force", err)
                self.assertEqual(self.read(existing), b"keep me\n")
                other = "bob.pub" if existing == "bob.key" else "bob.key"
                self.assertFalse(os.path.exists(self.path(other)), "no half pair is written")
                os.remove(self.path(existing))

    def test_keygen_leaves_no_private_key_when_the_public_file_fails(self):
        os.mkdir(self.path("dave.pub"))
        self.refused(["keygen", "--out", self.path("dave"), "--force"], "cannot create")
        self.assertFalse(os.path.exists(self.path("dave.key")))

    def test_keygen_force_overwrites(self):
        self.write("carol.key", b"old\n")
        self.ok("keygen", "--out", self.path("carol"), "--force")
        self.assertEqual(len(self.read("carol.key")), 345)

    def test_pubkey_from_file_and_stdin(self):
        key, pub = self.keypair()
        priv_text = self.read("alice.key")
        sig = self.ok("sign", "--key", key, "--message", "x").decode().strip()
        variants = {
            "file": self.ok("pubkey", "--key", key),
            "stdin": self.ok("pubkey", stdin=priv_text),
            "dash": self.ok("pubkey", "--key", "-", stdin=priv_text),
            "no newline": self.ok("pubkey", stdin=priv_text.rstrip(b"\n")),
        }
        for name, derived in variants.items():
            with self.subTest(name=name):
                self.assertEqual(len(derived), 345)
                derived_pub = self.write("derived.pub", derived)
                self.ok("verify", "--key", derived_pub, "--signature", sig, "--message", "x")

    def test_malformed_key_texts_are_named(self):
        key, _ = self.keypair()
        good = self.read("alice.key").rstrip(b"\n")
        bad_texts = {
            "empty": b"",
            "two newlines": good + b"\n\n",
            "space inside": good[:10] + b" " + good[11:] + b"\n",
            "truncated": good[:-4] + b"\n",
            "nul inside": good[:10] + b"\0" + good[10:] + b"\n",
        }
        for name, text in bad_texts.items():
            with self.subTest(name=name):
                bad = self.write("bad.key", text)
                self.refused(["pubkey", "--key", bad], f"'{bad}' is not a valid private key text")
                self.refused(["pubkey"], "standard input is not a valid private key text",
                             stdin=text)
                self.refused(["verify", "--key", bad, "--signature", "0" * 16, "--message", "m"],
                             f"'{bad}' is not a valid public key text")

    def test_missing_key_file_is_named(self):
        missing = self.path("nowhere.key")
        self.refused(["pubkey", "--key", missing], f"cannot open '{missing}'")

    def test_pubkey_out_refuses_to_overwrite(self):
        key, pub = self.keypair()
        before = self.read("alice.pub")
        self.refused(["pubkey", "--key", key, "--out", pub], "already exists")
        self.assertEqual(self.read("alice.pub"), before)
        self.ok("pubkey", "--key", key, "--out", pub, "--force")
        self.assertEqual(len(self.read("alice.pub")), 345)


class SignatureTest(ToolTestCase):
    def test_sign_and_verify_through_every_message_source(self):
        key, pub = self.keypair()
        message = "Grüße\n".encode()
        msg_file = self.write("msg.txt", message)
        sources = {
            "argument": (["--message", message.decode()], b""),
            "file": (["--in", msg_file], b""),
            "stdin": ([], message),
        }
        for signed_by, (sign_args, sign_in) in sources.items():
            sig = self.ok("sign", "--key", key, *sign_args, stdin=sign_in)
            self.assertRegex(sig.decode(), r"^[0-9a-f]{16}\n$")
            sig_file = self.write("sig", sig)
            for checked_by, (verify_args, verify_in) in sources.items():
                with self.subTest(signed_by=signed_by, checked_by=checked_by):
                    out = self.ok("verify", "--key", pub, "--signature-file", sig_file,
                                  *verify_args, stdin=verify_in)
                    self.assertEqual(out, b"valid\n")

    def test_wrong_message_key_or_signature_is_invalid(self):
        key, pub = self.keypair()
        _, other_pub = self.keypair("mallory")
        sig = self.ok("sign", "--key", key, "--message", "pay 10").decode().strip()
        flipped = sig[:-1] + ("1" if sig[-1] != "1" else "2")
        cases = {
            "tampered message": (pub, sig, "pay 99"),
            "trailing newline added": (pub, sig, "pay 10\n"),
            "other key": (other_pub, sig, "pay 10"),
            "changed challenge": (pub, flipped, "pay 10"),
        }
        for name, (public, signature, message) in cases.items():
            with self.subTest(name=name):
                result = run("verify", "--key", public, "--signature", signature,
                             "--message", message)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertEqual(result.stdout, b"invalid\n")

    def test_upper_case_signature_verifies(self):
        key, pub = self.keypair()
        sig = self.ok("sign", "--key", key, "--message", "m").decode().strip()
        self.assertEqual(self.ok("verify", "--key", pub, "--signature", sig.upper(),
                                 "--message", "m"), b"valid\n")

    def test_malformed_signature_texts_exit_2(self):
        _, pub = self.keypair()
        for sig in ["", "0" * 15, "0" * 17, "g" + "0" * 15, " " + "0" * 15, "0" * 16 + "\n\n"]:
            with self.subTest(sig=sig):
                self.refused(["verify", "--key", pub, "--signature", sig, "--message", "m"],
                             "not a signature text")

    def test_message_with_nul_is_refused(self):
        key, pub = self.keypair()
        self.refused(["sign", "--key", key], "holds a NUL byte", stdin=b"ab\0cd")
        self.refused(["verify", "--key", pub, "--signature", "0" * 16], "holds a NUL byte",
                     stdin=b"ab\0cd")

    def test_sign_out_refuses_to_overwrite(self):
        key, _ = self.keypair()
        target = self.write("sig", b"keep\n")
        self.refused(["sign", "--key", key, "--message", "m", "--out", target], "already exists")
        self.assertEqual(self.read("sig"), b"keep\n")


class EncryptionTest(ToolTestCase):
    def test_round_trips(self):
        key, pub = self.keypair()
        texts = {
            "ascii": b"attack at dawn",
            "utf-8": "naïve café ✓".encode(),
            "high bytes": bytes(range(1, 256)),
            "newlines": b"line one\nline two\n",
            "one byte": b"x",
        }
        for name, text in texts.items():
            for mode in ([], ["--binary"]):
                with self.subTest(name=name, mode=mode):
                    ct = self.ok("encrypt", "--key", pub, *mode, stdin=text)
                    if mode:
                        self.assertEqual(len(ct), 12 * len(text))
                    else:
                        self.assertTrue(ct.endswith(b"\n"))
                        self.assertEqual(ct.count(b"\n"), 1)
                    ct_file = self.write("ct", ct)
                    self.assertEqual(self.ok("decrypt", "--key", key, "--in", ct_file, *mode),
                                     text)

    def test_empty_plaintext(self):
        key, pub = self.keypair()
        ct = self.ok("encrypt", "--key", pub, stdin=b"")
        self.assertEqual(ct, b"\n")
        self.assertEqual(self.ok("decrypt", "--key", key, stdin=ct), b"")

    def test_files_in_and_out(self):
        key, pub = self.keypair()
        plain = self.write("plain.txt", b"secret plans")
        self.ok("encrypt", "--key", pub, "--in", plain, "--out", self.path("ct.b64"))
        self.ok("decrypt", "--key", key, "--in", self.path("ct.b64"), "--out", self.path("back"))
        self.assertEqual(self.read("back"), b"secret plans")
        self.refused(["encrypt", "--key", pub, "--in", plain, "--out", self.path("ct.b64")],
                     "already exists")
        self.refused(["decrypt", "--key", key, "--in", self.path("ct.b64"),
                      "--out", self.path("back")], "already exists")

    def test_plaintexts_the_text_interface_cannot_carry(self):
        _, pub = self.keypair()
        self.refused(["encrypt", "--key", pub], "holds a NUL byte (at offset 3)", stdin=b"abc\0def")
        self.refused(["encrypt", "--key", pub], "32768 bytes, a length the text encryption refuses",
                     stdin=b"a" * 32768)

    def test_malformed_ciphertexts(self):
        key, pub = self.keypair()
        ct = self.ok("encrypt", "--key", pub, "--binary", stdin=b"abc")
        cases = {
            "not base64": ([], b"@@@@\n", "is not base64 text"),
            "base64 of 13 bytes": ([], b"AAAAAAAAAAAAAAAAAA==\n", "13 bytes, not a multiple of 12"),
            "binary of 35 bytes": (["--binary"], ct[:-1], "35 bytes, not a multiple of 12"),
        }
        for name, (mode, data, needle) in cases.items():
            with self.subTest(name=name):
                self.refused(["decrypt", "--key", key, *mode], needle, stdin=data)

    def test_wrong_key_gives_wrong_bytes_not_an_error(self):
        _, pub = self.keypair()
        other_key, _ = self.keypair("bob")
        ct = self.ok("encrypt", "--key", pub, stdin=b"hello world")
        result = run("decrypt", "--key", other_key, stdin=ct)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(len(result.stdout), 11)
        self.assertNotEqual(result.stdout, b"hello world")


class BenchTest(ToolTestCase):
    def test_quick_bench_compares_both_arithmetics(self):
        out = self.ok("bench", "--quick").decode()
        self.assertIn("fast us/call", out)
        self.assertIn("reference us/call", out)
        for operation in ["ScalarMultiply", "sign", "verify", "encrypt_string", "decrypt_to_string"]:
            self.assertIn(operation, out)


class DemoTest(ToolTestCase):
    def test_demo_walks_every_step(self):
        out = self.ok("demo").decode()
        for step in ["curve", "private key", "public key", "sign", "verify", "tamper",
                     "encrypt", "decrypt"]:
            self.assertIn(f" {step} ", out)
        self.assertIn("order 99919", out)
        self.assertIn("valid\n", out)
        self.assertIn("invalid (as it should be)", out)
        self.assertIn("(matches)", out)
        self.assertIn("every step gave the expected result", out)

    def test_demo_with_own_message(self):
        out = self.ok("demo", "--message", "hi there").decode()
        self.assertIn('"hi there" (matches)', out)


if __name__ == "__main__":
    unittest.main()
