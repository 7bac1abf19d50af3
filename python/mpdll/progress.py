"""The progress line a station shows on a terminal while its boards are
tested: each board's serial number with its current step or its verdict."""
import shutil
import threading

WAITING = "waiting"


class ProgressLine:
    """One line, rewritten in place as boards change step; safe to call from
    the boards' threads."""

    def __init__(self, station, serial_numbers, stream):
        self._station = station
        self._states = {serial_number: WAITING for serial_number in serial_numbers}
        self._finished = set()
        self._stream = stream
        self._lock = threading.Lock()

    def show(self, serial_number, state, *, finished=False):
        """Shows state (a step name, or a verdict when finished) for a board."""
        with self._lock:
            self._states[serial_number] = state
            if finished:
                self._finished.add(serial_number)
            boards = " | ".join(f"{number} {state}" for number, state in self._states.items())
            line = f"{self._station} [{len(self._finished)}/{len(self._states)}] {boards}"
            width = shutil.get_terminal_size().columns - 1
            self._stream.write("\r" + line[:width] + "\x1b[K")
            self._stream.flush()

    def end(self):
        """Leaves the line as it stands and moves to the next."""
        with self._lock:
            self._stream.write("\n")
            self._stream.flush()
