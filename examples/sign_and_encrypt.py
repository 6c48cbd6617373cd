#!/usr/bin/env python3
"""The whole round through the Python package: keys saved and loaded, a file
signed as a stream, bytes encrypted; every step checked. Typed throughout,
so `mypy --strict` holds the package's annotations to their word.

    python3 examples/sign_and_encrypt.py
"""

import os
import sys
import tempfile

import vessa


def main() -> int:
    with vessa.Curve() as curve, tempfile.TemporaryDirectory() as directory:
        private_key, public_key = curve.generate_keypair()
        key_path = os.path.join(directory, "alice.key")
        private_key.save(key_path)
        public_key.save(os.path.join(directory, "alice.pub"))
        loaded: vessa.PrivateKey = vessa.PrivateKey.load(key_path)
        assert loaded == private_key and loaded.public_key() == public_key
        print("key pair:", public_key.fingerprint, oct(os.stat(key_path).st_mode & 0o777))

        document = os.path.join(directory, "report.bin")
        with open(document, "wb") as file:
            file.write(b"\x00binary report\n" * 1000)
        signature: str = curve.sign_file(private_key, document)
        if not curve.verify_file(public_key, document, signature):
            print("the signature of the file does not verify", file=sys.stderr)
            return 1
        if curve.verify(public_key, b"another report", signature):
            print("the signature verifies for another message", file=sys.stderr)
            return 1
        print("file signature:", signature)

        plaintext = b"meet at noon\x00"
        ciphertext: bytes = curve.encrypt(public_key, plaintext)
        if curve.decrypt(private_key, ciphertext) != plaintext:
            print("the ciphertext does not decrypt", file=sys.stderr)
            return 1
        print(f"encrypted {len(plaintext)} bytes into {len(ciphertext)}, decrypted them again")

        try:
            curve.sign(public_key.text, b"a public key cannot sign")
        except vessa.KeyKindError as error:
            print("refused as it should be:", error)
        else:
            print("a public key was accepted for signing", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
