"""Curve.close() against calls in flight on other threads: it waits for them,
and no call ever reaches a released context."""
import signal
import threading
import unittest

import vessa


class HeldLibrary:
    """The real library, except that vessa_sign_bytes waits for a signal
    before it runs: a call held open inside the C interface."""

    def __init__(self, library):
        self._library = library
        self.entered = threading.Event()
        self.release = threading.Event()

    def __getattr__(self, name):
        return getattr(self._library, name)

    def vessa_sign_bytes(self, *args):
        self.entered.set()
        self.release.wait(30)
        return self._library.vessa_sign_bytes(*args)


class CloseWhileCallingTest(unittest.TestCase):
    def test_close_waits_for_a_call_in_flight(self):
        curve = vessa.Curve()
        private_key, public_key = curve.generate_keypair()
        held = HeldLibrary(curve._lib)
        curve._lib = held
        results = []
        signer = threading.Thread(target=lambda: results.append(curve.sign(private_key, b"m")))
        signer.start()
        self.assertTrue(held.entered.wait(30))
        closer = threading.Thread(target=curve.close)
        closer.start()
        closer.join(0.2)
        self.assertTrue(closer.is_alive(), "close() returned while a call was in flight")
        with self.assertRaisesRegex(ValueError, "closed"):
            curve.generate_private_key()  # nothing new starts once close() has begun
        held.release.set()
        signer.join(30)
        closer.join(30)
        self.assertFalse(closer.is_alive())
        self.assertEqual(len(results), 1)
        with vessa.Curve() as other:
            self.assertTrue(other.verify(public_key, b"m", results[0]))

    def test_close_from_inside_a_call_raises(self):
        curve = vessa.Curve()
        self.addCleanup(curve.close)
        private_key = curve.generate_private_key()
        raised = []

        def handler(signum, frame):
            try:
                curve.close()
            except RuntimeError as error:
                raised.append(error)

        class Interrupting(HeldLibrary):
            def vessa_sign_bytes(self, *args):
                signal.raise_signal(signal.SIGUSR1)  # runs the handler inside the call
                return self._library.vessa_sign_bytes(*args)

        previous = signal.signal(signal.SIGUSR1, handler)
        self.addCleanup(signal.signal, signal.SIGUSR1, previous)
        curve._lib = Interrupting(curve._lib)
        curve.sign(private_key, b"m")
        self.assertEqual(len(raised), 1)
        self.assertIn("from inside a call", str(raised[0]))
        self.assertFalse(curve.closed)

    def test_many_threads_racing_close(self):
        """close() lands while the others are signing a message long enough
        to keep them inside the library; under a sanitized library a call on a
        released context would be reported."""
        message = bytes(64 << 10)
        for _ in range(30):
            curve = vessa.Curve()
            private_key, public_key = curve.generate_keypair()
            outcomes = {"signed": 0, "closed": 0, "wrong": 0}
            lock = threading.Lock()
            first_signed = threading.Event()

            def work():
                # Until the close is seen, however fast signing is; the
                # bound only keeps a broken close() from hanging the test.
                for _ in range(100000):
                    try:
                        signature = curve.sign(private_key, message)
                        valid = curve.verify(public_key, message, signature)
                        outcome = "signed" if valid else "wrong"
                        first_signed.set()
                    except ValueError:
                        outcome = "closed"
                    with lock:
                        outcomes[outcome] += 1
                    if outcome == "closed":
                        return

            threads = [threading.Thread(target=work) for _ in range(4)]
            for thread in threads:
                thread.start()
            first_signed.wait(60)
            curve.close()
            for thread in threads:
                thread.join(60)
            self.assertEqual(outcomes["wrong"], 0)
            self.assertGreater(outcomes["signed"], 0)
            self.assertEqual(outcomes["closed"], len(threads))


if __name__ == "__main__":
    unittest.main()
