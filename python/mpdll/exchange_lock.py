"""The process-wide turn-taking of board calls around the library's
last-exchange copies.

The library keeps one copy of the last line sent and the last answer for the
whole process. A board that records its transcript must read those copies
(GetBuffer) before any other board's call replaces them, so it holds the lock
alone across its call and the read: recording boards take turns, and no other
call runs meanwhile. Boards without a transcript share the lock: their calls
run in parallel with each other and only wait while a recording call runs.
Waiting recorders go first, so a stream of parallel calls cannot starve them.
"""
import contextlib
import threading


class ExchangeLock:
    """A shared/exclusive lock that prefers the exclusive side."""

    def __init__(self):
        self.reset()

    def reset(self):
        """Free and without waiters: also in a forked child, where the threads
        that held or awaited the lock do not exist."""
        self._state = threading.Condition(threading.Lock())
        self._sharers = 0
        self._exclusive = False
        self._exclusive_waiting = 0

    @contextlib.contextmanager
    def exclusive(self):
        with self._state:
            self._exclusive_waiting += 1
            try:
                self._state.wait_for(lambda: not self._exclusive and self._sharers == 0)
            finally:
                self._exclusive_waiting -= 1
            self._exclusive = True
        try:
            yield
        finally:
            with self._state:
                self._exclusive = False
                self._state.notify_all()

    @contextlib.contextmanager
    def shared(self):
        with self._state:
            self._state.wait_for(lambda: not self._exclusive and self._exclusive_waiting == 0)
            self._sharers += 1
        try:
            yield
        finally:
            with self._state:
                self._sharers -= 1
                if self._sharers == 0:
                    self._state.notify_all()


exchange_lock = ExchangeLock()
