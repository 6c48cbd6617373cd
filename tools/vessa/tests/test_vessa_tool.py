"""Tests of the vessa command-line tool, run as a user runs it.

The tool's path comes from the VESSA_TOOL environment variable.
"""
import base64
import os
import pty
import resource
import signal
import stat
import subprocess
import tempfile
import threading
import time
import unittest

TOOL = os.environ.get("VESSA_TOOL", "vessa")
COMMANDS = ["keygen", "pubkey", "fingerprint", "sign", "verify", "encrypt", "decrypt", "bench",
            "demo"]


def limits(file_size=None, umask=None):
    """A preexec_fn: a file size limit (a full disk, simulated) and a umask."""
    def apply():
        if file_size is not None:
            # SIGXFSZ keeps its default action, as under "ulimit -f": the tool
            # itself must turn it into a failed write it can clean up after.
            signal.signal(signal.SIGXFSZ, signal.SIG_DFL)
            resource.setrlimit(resource.RLIMIT_FSIZE, (file_size, file_size))
        if umask is not None:
            os.umask(umask)
    return apply


def run(*args, stdin=b"", file_size=None, umask=None):
    return subprocess.run([TOOL, *args], input=stdin, capture_output=True, timeout=120,
                          preexec_fn=limits(file_size, umask))


def peak_rss_kib(args):
    """Runs the tool; returns its exit status and its peak resident size in KiB.

    The peak is sampled from /proc while the tool runs: the figure that wait4
    reports would include the memory of the forked test process before exec.
    """
    process = subprocess.Popen([TOOL, *args], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    peak = 0
    while process.poll() is None:
        try:
            with open(f"/proc/{process.pid}/status") as status:
                for line in status:
                    if line.startswith("VmHWM:"):
                        peak = max(peak, int(line.split()[1]))
        except OSError:
            pass
        time.sleep(0.002)
    return process.returncode, peak


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

    def refused(self, args, needle, stdin=b"", file_size=None):
        """Exit status 2, nothing on stdout, one line on stderr holding needle."""
        result = run(*args, stdin=stdin, file_size=file_size)
        err = result.stderr.decode()
        self.assertEqual(result.returncode, 2, f"{args}: {err}")
        self.assertEqual(result.stdout, b"", args)
        self.assertEqual(err.count("\n"), 1, f"{args}: {err!r}")
        self.assertIn(needle, err, args)
        return err

    def keypair(self, name="alice"):
        self.ok("keygen", "--out", self.path(name))
        return self.path(name + ".key"), self.path(name + ".pub")

    def listing(self):
        return sorted(os.listdir(self.dir))


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
            (["sign", "-k", key, "-fx", "-m", "m"], "unknown option '-fx'"),
            (["sign", "-k", key, "-m", "m", "-k", key], "option '--key' given twice"),
            (["encrypt", "-k", pub, "-m", "m", "-i", key], "not both"),
            (["sign", "--key", key, "--message", "m", "a\x1b[2Jb"], "'a\\x1b[2Jb'"),
            (["demo", "--message", "x" * 4097], "the demo takes at most 4096"),
        ]
        for args, needle in cases:
            with self.subTest(args=args):
                self.refused(args, needle)


class KeyTest(ToolTestCase):
    def test_keygen_prints_one_private_key_line_and_its_fingerprint(self):
        result = run("keygen")
        self.assertEqual(len(result.stdout), 345)
        self.assertTrue(result.stdout.endswith(b"==\n"))
        self.assertRegex(result.stderr.decode(), r"^vessa keygen: fingerprint [0-9a-f]{16}\n$")

    def test_keygen_out_writes_pair_with_modes_whatever_the_umask(self):
        for umask in (0o000, 0o077):
            with self.subTest(umask=oct(umask)):
                name = f"alice{umask}"
                result = run("keygen", "--out", self.path(name), umask=umask)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(stat.S_IMODE(os.stat(self.path(name + ".key")).st_mode), 0o600)
                self.assertEqual(stat.S_IMODE(os.stat(self.path(name + ".pub")).st_mode), 0o644)
                self.assertEqual(len(self.read(name + ".key")), 345)
                self.assertEqual(len(self.read(name + ".pub")), 345)
        key, pub = self.path("alice0.key"), self.path("alice0.pub")
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
                self.assertEqual(self.listing(), [existing], "no half pair, no temporary file")
                os.remove(self.path(existing))

    def test_keygen_force_replaces_both_or_neither(self):
        self.keypair("carol")
        old_key, old_pub = self.read("carol.key"), self.read("carol.pub")
        os.chmod(self.path("carol.key"), 0o644)  # an old world-readable private key
        failures = {
            # a full disk while the new files are written
            "file size limit": (dict(file_size=100), "cannot write"),
            "public file is a directory": (dict(pub_dir=True), "is a directory"),
        }
        for name, (how, needle) in failures.items():
            with self.subTest(name=name):
                target = self.path("carol")
                if how.get("pub_dir"):
                    os.rename(self.path("carol.pub"), self.path("saved.pub"))
                    os.mkdir(self.path("carol.pub"))
                self.refused(["keygen", "--out", target, "--force"], needle,
                             file_size=how.get("file_size"))
                self.assertEqual(self.read("carol.key"), old_key)
                if how.get("pub_dir"):
                    os.rmdir(self.path("carol.pub"))
                    os.rename(self.path("saved.pub"), self.path("carol.pub"))
                self.assertEqual(self.read("carol.pub"), old_pub)
                self.assertEqual(self.listing(), ["carol.key", "carol.pub"])
        self.ok("keygen", "--out", self.path("carol"), "-f")
        self.assertNotEqual(self.read("carol.key"), old_key)
        self.assertEqual(stat.S_IMODE(os.stat(self.path("carol.key")).st_mode), 0o600)

    def test_keygen_force_replaces_a_symlink_without_following_it(self):
        victim = self.write("victim.txt", b"precious\n")
        os.symlink(victim, self.path("eve.key"))
        os.symlink(victim, self.path("eve.pub"))
        self.ok("keygen", "--out", self.path("eve"), "--force")
        self.assertEqual(self.read("victim.txt"), b"precious\n")
        for name in ("eve.key", "eve.pub"):
            self.assertFalse(os.path.islink(self.path(name)))
            self.assertEqual(len(self.read(name)), 345)

    def test_pubkey_from_file_and_stdin_with_a_stable_fingerprint(self):
        key, pub = self.keypair()
        priv_text = self.read("alice.key")
        sig = self.ok("sign", "--key", key, "--message", "x").decode().strip()
        fingerprint = self.ok("fingerprint", "--key", pub)
        self.assertRegex(fingerprint.decode(), r"^[0-9a-f]{16}\n$")
        variants = {
            "file": (["--key", key], b""),
            "stdin": ([], priv_text),
            "dash": (["-k", "-"], priv_text),
        }
        texts = set()
        for name, (args, stdin) in variants.items():
            with self.subTest(name=name):
                result = run("pubkey", *args, stdin=stdin)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(len(result.stdout), 345)
                texts.add(result.stdout)
                self.assertEqual(result.stderr, b"vessa pubkey: fingerprint " + fingerprint)
                derived_pub = self.write("derived.pub", result.stdout)
                self.ok("verify", "--key", derived_pub, "--signature", sig, "--message", "x")
                self.assertEqual(self.ok("fingerprint", "--key", derived_pub), fingerprint)
        self.assertEqual(len(texts), 3, "fresh filler every time")
        self.assertEqual(self.ok("fingerprint", "--key", key), fingerprint)
        self.assertEqual(self.ok("fingerprint", stdin=priv_text), fingerprint)
        _, other_pub = self.keypair("bob")
        self.assertNotEqual(self.ok("fingerprint", "--key", other_pub), fingerprint)

    def test_whitespace_around_a_key_is_accepted(self):
        key, pub = self.keypair()
        sig = self.ok("sign", "--key", key, "--message", "m").decode().strip()
        variants = {
            "no newline": lambda t: t,
            "CRLF": lambda t: t + b"\r\n",
            "trailing space": lambda t: t + b" \n",
            "two newlines": lambda t: t + b"\n\n",
            "leading blank line": lambda t: b"\n" + t + b"\n",
            "short padding": lambda t: t[:-1] + b"\n",
        }
        good_key = self.read("alice.key").rstrip(b"\n")
        good_pub = self.read("alice.pub").rstrip(b"\n")
        for name, change in variants.items():
            with self.subTest(name=name):
                k = self.write("k", change(good_key))
                p = self.write("p", change(good_pub))
                sig2 = self.ok("sign", "--key", k, "--message", "m").decode().strip()
                for signature in (sig, sig2):
                    self.ok("verify", "--key", p, "--signature", signature, "--message", "m")

    def test_malformed_key_texts_are_named_with_what_and_where(self):
        self.keypair()
        good = self.read("alice.key").rstrip(b"\n")
        bad_texts = {
            "empty": (b"", "is empty; expected a private key text"),
            "only whitespace": (b" \r\n", "is empty"),
            "space inside": (good[:10] + b" " + good[11:] + b"\n",
                             "byte 0x20 (a space) at offset 10 cannot be part of a private key"),
            "line break inside": (good[:100] + b"\r\n" + good[100:],
                                  "byte 0x0d (a carriage return) at offset 100"),
            "nul inside": (good[:10] + b"\0" + good[10:] + b"\n", "byte 0x00 (a NUL) at offset 10"),
            "url-safe symbol": (b"\n" + good[:5] + b"-" + good[6:], "byte 0x2d ('-') at offset 6"),
            "truncated": (good[:-4] + b"\n", "holds 340 characters; expected a private key text"),
            "bad hex inside": (base64.b64encode(b"x" * 256), "does not decode to 256 hexadecimal"),
            "too large": (good + b"\n" * 5000, "is larger than 4096 bytes"),
        }
        for name, (text, needle) in bad_texts.items():
            with self.subTest(name=name):
                bad = self.write("bad.key", text)
                self.refused(["pubkey", "--key", bad], f"'{bad}'")
                self.refused(["pubkey", "--key", bad], needle)
                self.refused(["pubkey"], "standard input", stdin=text)
                self.refused(["verify", "--key", bad, "--signature", "0" * 16, "--message", "m"],
                             needle.replace("private", "public"))

    def test_keys_of_the_wrong_kind_are_refused(self):
        key, pub = self.keypair()
        ct = self.ok("encrypt", "--key", pub, "--message", "hi")
        sig = self.ok("sign", "--key", key, "--message", "m").decode().strip()
        needs_public = f"'{key}' holds a private key; this needs a public key"
        needs_private = f"'{pub}' holds a public key; this needs a private key"
        cases = [
            (["sign", "--key", pub, "--message", "m"], needs_private),
            (["decrypt", "--key", pub], needs_private),
            (["pubkey", "--key", pub], needs_private),
            (["encrypt", "--key", key, "--message", "m"], needs_public),
            (["verify", "--key", key, "--signature", sig, "--message", "m"], needs_public),
        ]
        for args, needle in cases:
            with self.subTest(args=args[0]):
                self.refused(args, needle, stdin=ct)
        # A hand-made point off the curve, (1, 1), is no key of either kind.
        block = bytearray([1] * 128)
        block[13:29] = (1).to_bytes(8, "little") * 2
        off_curve = self.write("off.pub", base64.b64encode(block.hex().encode()) + b"\n")
        self.refused(["encrypt", "-k", off_curve, "-m", "m"], "holds no point of the curve")
        self.refused(["fingerprint", "-k", off_curve], "holds no point of the curve")

    def test_missing_key_file_is_named_with_control_characters_escaped(self):
        missing = self.path("no\x1bwhere\n.key")
        err = self.refused(["pubkey", "--key", missing], "cannot open '")
        self.assertIn("no\\x1bwhere\\n.key'", err)
        self.assertNotIn("\x1b", err)

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

    def test_signature_text_variants(self):
        key, pub = self.keypair()
        sig = self.ok("sign", "--key", key, "--message", "m").decode().strip()
        accepted = {"upper case": sig.upper(), "CRLF": sig + "\r\n", "blank lines": sig + "\n\n",
                    "spaces around": f"  {sig} "}
        for name, text in accepted.items():
            with self.subTest(name=name):
                self.assertEqual(self.ok("verify", "-k", pub, "-s", text, "-m", "m"), b"valid\n")
                sig_file = self.write("sig", text.encode())
                self.assertEqual(self.ok("verify", "-k", pub, "--signature-file", sig_file,
                                         "-m", "m"), b"valid\n")
        refused = {
            "": "is empty; a signature is 16 hexadecimal digits",
            "0" * 15: "holds 15 digits",
            "0" * 17: "holds 17 digits",
            "g" + "0" * 15: "byte 0x67 ('g') at offset 0 is not a hexadecimal digit",
            "00000000 00000000": "byte 0x20 (a space) at offset 8",
        }
        for text, needle in refused.items():
            with self.subTest(text=text):
                self.refused(["verify", "--key", pub, "--signature", text, "--message", "m"],
                             needle)
        big = self.write("big.sig", sig.encode() + b" " * 5000)
        self.refused(["verify", "--key", pub, "--signature-file", big, "--message", "m"],
                     "is larger than 4096 bytes")

    def test_quiet_verify_tells_by_exit_status_only(self):
        key, pub = self.keypair()
        sig = self.ok("sign", "-k", key, "-m", "m").decode().strip()
        for message, status in (("m", 0), ("n", 1)):
            with self.subTest(message=message):
                result = run("verify", "-k", pub, "-s", sig, "-m", message, "--quiet")
                self.assertEqual((result.returncode, result.stdout, result.stderr),
                                 (status, b"", b""))

    def test_any_bytes_and_lengths_are_signed(self):
        key, pub = self.keypair()
        messages = {
            "empty": b"",
            "one NUL": b"\0",
            "NUL inside": b"ab\0cd",
            "every byte value": bytes(range(256)),
            "32768 bytes": b"a" * 32768,
            "across pieces": bytes(range(256)) * 600,  # 153600 bytes: three pieces
        }
        for name, message in messages.items():
            with self.subTest(name=name):
                msg_file = self.write("msg", message)
                sig = self.ok("sign", "--key", key, "--in", msg_file)
                self.assertRegex(sig.decode(), r"^[0-9a-f]{16}\n$")
                self.assertEqual(self.ok("verify", "-k", pub, "-s", sig.decode(), stdin=message),
                                 b"valid\n")
                # A NUL byte is a byte like any other: cutting there changes the message.
                if b"\0" in message:
                    cut = message[:message.index(b"\0")]
                    result = run("verify", "-k", pub, "-s", sig.decode(), stdin=cut)
                    self.assertEqual(result.returncode, 1)

    def test_sign_out_refuses_to_overwrite(self):
        key, _ = self.keypair()
        target = self.write("sig", b"keep\n")
        self.refused(["sign", "--key", key, "--message", "m", "--out", target], "already exists")
        self.assertEqual(self.read("sig"), b"keep\n")


class EncryptionTest(ToolTestCase):
    def test_round_trips(self):
        key, pub = self.keypair()
        texts = {
            "empty": b"",
            "one byte": b"x",
            "NUL bytes": b"\0a\0\0",
            "every byte value": bytes(range(256)),
            "utf-8": "naïve café ✓".encode(),
            "32768 bytes": bytes(range(256)) * 128,
            "across pieces": b"z" * 65537,
        }
        for name, text in texts.items():
            for mode in ([], ["--binary"]):
                with self.subTest(name=name, mode=mode):
                    plain = self.write("plain", text)
                    ct = self.ok("encrypt", "--key", pub, "--in", plain, *mode)
                    if mode:
                        self.assertEqual(len(ct), 12 * len(text))
                    else:
                        lines = ct.split(b"\n")
                        self.assertEqual(lines[-1], b"")
                        self.assertTrue(all(len(line) == 76 for line in lines[:-2]))
                        self.assertLessEqual(len(lines[-2]), 76)
                        self.assertEqual(len(base64.b64decode(ct)), 12 * len(text))
                    ct_file = self.write("ct", ct)
                    self.assertEqual(self.ok("decrypt", "-k", key, "-i", ct_file, *mode), text)

    def test_message_option(self):
        key, pub = self.keypair()
        ct = self.ok("encrypt", "-k", pub, "-m", "attack at dawn")
        self.assertEqual(self.ok("decrypt", "-k", key, stdin=ct), b"attack at dawn")

    def test_base64_as_other_tools_write_it(self):
        key, pub = self.keypair()
        raw = self.ok("encrypt", "--key", pub, "--binary", stdin=b"hello, world")
        one_line = base64.b64encode(raw)
        wrapped = base64.encodebytes(raw)  # 76 columns, as base64(1) writes
        variants = {
            "one line (earlier versions)": one_line + b"\n",
            "no newline": one_line,
            "wrapped": wrapped,
            "CRLF": wrapped.replace(b"\n", b"\r\n"),
            "trailing spaces": wrapped.replace(b"\n", b"  \n") + b"\n\n",
            "short lines": b"\n".join(one_line[i:i + 10] for i in range(0, len(one_line), 10)),
        }
        for name, data in variants.items():
            with self.subTest(name=name):
                self.assertEqual(self.ok("decrypt", "--key", key, stdin=data), b"hello, world")

    def test_files_in_and_out(self):
        key, pub = self.keypair()
        plain = self.write("plain.txt", b"secret plans")
        self.ok("encrypt", "--key", pub, "--in", plain, "--out", self.path("ct.b64"))
        self.ok("decrypt", "--key", key, "--in", self.path("ct.b64"), "--out", self.path("back"))
        self.assertEqual(self.read("back"), b"secret plans")
        self.assertEqual(stat.S_IMODE(os.stat(self.path("back")).st_mode), 0o644)
        self.refused(["encrypt", "--key", pub, "--in", plain, "--out", self.path("ct.b64")],
                     "already exists")
        self.refused(["decrypt", "--key", key, "--in", self.path("ct.b64"),
                      "--out", self.path("back")], "already exists")

    def test_malformed_ciphertexts(self):
        key, pub = self.keypair()
        ct = self.ok("encrypt", "--key", pub, "--binary", stdin=b"abc")
        text = base64.b64encode(ct)
        cases = {
            "not base64": ([], b"AAAA\n@@@@\n", "byte 0x40 ('@') at offset 5 is not base64"),
            "url-safe": ([], text[:7] + b"-" + text[8:], "byte 0x2d ('-') at offset 7"),
            "padding inside": ([], b"AA==AAAA", "byte 0x41 ('A') at offset 4 stands after the"),
            "padding too early": ([], b"A===", "byte 0x3d ('=') at offset 1 is padding where"),
            "lone symbol": ([], b"AAAAA\n", "lone symbol at offset 4"),
            "not canonical": ([], b"AB==", "symbol at offset 1 ends the text with bits"),
            "base64 of 13 bytes": ([], b"AAAAAAAAAAAAAAAAAA==\n", "13 bytes, not a multiple of 12"),
            "binary of 35 bytes": (["--binary"], ct[:-1], "35 bytes, not a multiple of 12"),
        }
        for name, (mode, data, needle) in cases.items():
            with self.subTest(name=name):
                self.refused(["decrypt", "--key", key, *mode], needle, stdin=data)
                # A failed decryption leaves no output file behind.
                self.refused(["decrypt", "--key", key, *mode, "--out", self.path("out")], needle,
                             stdin=data)
                self.assertFalse(os.path.exists(self.path("out")))

    def test_wrong_key_gives_wrong_bytes_not_an_error(self):
        _, pub = self.keypair()
        other_key, _ = self.keypair("bob")
        ct = self.ok("encrypt", "--key", pub, stdin=b"hello world")
        result = run("decrypt", "--key", other_key, stdin=ct)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(len(result.stdout), 11)
        self.assertNotEqual(result.stdout, b"hello world")


class SafeWriteTest(ToolTestCase):
    """Every output file is replaced only when complete, never written into."""

    def commands(self):
        key, pub = self.keypair()
        plain = self.write("plain", b"p" * 1000)
        ct = self.path("ct")
        self.ok("encrypt", "--key", pub, "--in", plain, "--out", ct)
        return {
            "sign": ["sign", "--key", key, "--in", plain],
            "pubkey": ["pubkey", "--key", key],
            "encrypt": ["encrypt", "--key", pub, "--in", plain],
            "encrypt --binary": ["encrypt", "--key", pub, "--in", plain, "--binary"],
            "decrypt": ["decrypt", "--key", key, "--in", ct],
        }

    def test_a_failed_write_leaves_the_old_file_as_it_was(self):
        for name, args in self.commands().items():
            with self.subTest(name=name):
                precious = self.write("precious.txt", b"precious\n")
                os.chmod(precious, 0o640)
                before = self.listing()
                self.refused([*args, "--out", precious, "--force"], "File too large",
                             file_size=10)
                self.assertEqual(self.read("precious.txt"), b"precious\n")
                self.assertEqual(stat.S_IMODE(os.stat(precious).st_mode), 0o640)
                self.assertEqual(self.listing(), before, "no temporary file is left")

    def test_force_replaces_files_and_links_with_new_files(self):
        victim = self.write("victim", b"victim\n")
        for name, args in self.commands().items():
            with self.subTest(name=name):
                old = self.write("old", b"old\n")
                os.chmod(old, 0o600)
                if os.path.lexists(self.path("link")):
                    os.remove(self.path("link"))
                os.symlink(victim, self.path("link"))
                for target in (old, self.path("link")):
                    self.refused([*args, "--out", target], "already exists (use --force")
                    result = run(*args, "--out", target, "--force", umask=0o077)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertFalse(os.path.islink(target))
                    self.assertEqual(stat.S_IMODE(os.stat(target).st_mode), 0o644)
                self.assertEqual(self.read("victim"), b"victim\n")

    def test_directories_and_fifos(self):
        key, _ = self.keypair()
        os.mkdir(self.path("dir"))
        for target in (self.path("dir"), self.path("dir") + "/", self.path("missing") + "/"):
            self.refused(["sign", "-k", key, "-m", "m", "-o", target, "-f"], "is a directory")
        fifo = self.path("fifo")
        os.mkfifo(fifo)
        received = []

        def read_fifo():
            with open(fifo, "rb") as f:
                received.append(f.read())
        reader = threading.Thread(target=read_fifo, daemon=True)
        reader.start()
        self.ok("sign", "-k", key, "-m", "m", "-o", fifo)  # no --force: nothing is replaced
        reader.join(timeout=60)
        self.assertRegex(received[0].decode(), r"^[0-9a-f]{16}\n$")
        self.assertTrue(stat.S_ISFIFO(os.lstat(fifo).st_mode))
        # A FIFO planted where a private key goes would hand the key out.
        os.rename(fifo, self.path("planted.key"))
        self.refused(["keygen", "-o", self.path("planted"), "-f"], "is not a regular file")

    def test_the_input_file_can_be_the_output_file(self):
        key, pub = self.keypair()
        data = self.write("data", b"replace me in place")
        self.ok("encrypt", "-k", pub, "-i", data, "-o", data, "-f")
        self.ok("decrypt", "-k", key, "-i", data, "-o", data, "-f")
        self.assertEqual(self.read("data"), b"replace me in place")

    def test_an_interrupted_command_leaves_no_temporary_file(self):
        _, pub = self.keypair()
        fifo = self.path("input")
        os.mkfifo(fifo)
        before = self.listing()
        # The output is prepared before the input is opened; no writer ever comes.
        process = subprocess.Popen([TOOL, "encrypt", "-k", pub, "-i", fifo, "-o",
                                    self.path("ct")], stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 60
        while len(self.listing()) == len(before) and time.monotonic() < deadline:
            time.sleep(0.01)
        self.assertEqual(len(self.listing()), len(before) + 1, "a temporary file exists")
        process.send_signal(signal.SIGINT)
        self.assertEqual(process.wait(timeout=60), -signal.SIGINT)
        self.assertEqual(self.listing(), before)


class TerminalTest(ToolTestCase):
    def test_raw_ciphertext_is_not_written_to_a_terminal_unless_asked(self):
        _, pub = self.keypair()
        master, slave = pty.openpty()
        try:
            for out_args, status in (([], 2), (["--out", "-"], 0)):
                with self.subTest(out_args=out_args):
                    result = subprocess.run([TOOL, "encrypt", "-k", pub, "-m", "x", "--binary",
                                             *out_args], stdout=slave, stderr=subprocess.PIPE,
                                            timeout=60)
                    self.assertEqual(result.returncode, status, result.stderr)
                    if status:
                        self.assertIn(b"refusing to write raw binary output to a terminal",
                                      result.stderr)
        finally:
            os.close(master)
            os.close(slave)

    def test_a_hint_when_reading_from_a_terminal(self):
        key, _ = self.keypair()
        master, slave = pty.openpty()
        try:
            os.write(master, self.read("alice.key") + b"\x04")
            result = subprocess.run([TOOL, "pubkey"], stdin=slave, capture_output=True,
                                    timeout=60)
        finally:
            os.close(master)
            os.close(slave)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn(b"vessa pubkey: reading the private key from the terminal; end it with "
                      b"Ctrl-D", result.stderr)


class ConstantMemoryTest(ToolTestCase):
    """Peak resident size stays small whatever the input size."""
    # A sanitized build carries shadow memory; growth with the input is
    # caught all the same.
    LIMIT_KIB = (64 if os.environ.get("VESSA_TOOL_SANITIZED") == "1" else 16) * 1024

    def test_large_inputs_in_constant_memory(self):
        key, pub = self.keypair()
        big = self.path("big")
        with open(big, "wb") as f:
            f.truncate(256 * 1024 * 1024)  # sparse: no disk space taken
        medium = self.write("medium", bytes(range(256)) * 4096)  # 1 MiB
        sig = self.path("sig")
        ct = self.path("ct")
        runs = {
            "sign 256 MiB": ["sign", "-k", key, "-i", big, "-o", sig],
            "verify 256 MiB": ["verify", "-k", pub, "--signature-file", sig, "-i", big],
            "encrypt 1 MiB": ["encrypt", "-k", pub, "-i", medium, "-o", ct],
            "decrypt 1 MiB": ["decrypt", "-k", key, "-i", ct],
        }
        for name, args in runs.items():
            with self.subTest(name=name):
                status, peak = peak_rss_kib(args)
                self.assertEqual(status, 0)
                self.assertGreater(peak, 0)
                self.assertLess(peak, self.LIMIT_KIB)


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
        out = self.ok("demo", "-m", "x" * 4096).decode()
        self.assertIn("49152 bytes (12 per byte)", out)


if __name__ == "__main__":
    unittest.main()
