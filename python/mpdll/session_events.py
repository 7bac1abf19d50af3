"""The library's log handler (MpdllSetLogHandler) for the whole process: each
event goes to the board whose record it names, on the thread that made the
call, so every board keeps its own transcript and boards on several threads
never wait for each other.

One handler serves every board: boards listen from their first call and stop
when they are closed or collected. The events of a call are gathered into an
ExchangeCollector, which gives the call's Exchange: the last line sent and
what the board said after it (as GetBuffer held them), telnet commands left
out, with the call's start time and duration.
"""
import ctypes
import threading
import time

from .dev_context import WINDOWS
from .library import library

EVENT_OPEN_STEP = 1
EVENT_SENT = 2
EVENT_RECEIVED = 3
EVENT_CALL_END = 4
EVENT_OPEN_FAILED = 5

_FUNCTION_TYPE = ctypes.WINFUNCTYPE if WINDOWS else ctypes.CFUNCTYPE
HANDLER_TYPE = _FUNCTION_TYPE(None, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int32, ctypes.c_int32,
                              ctypes.POINTER(ctypes.c_char), ctypes.c_int32, ctypes.c_uint32)

_IAC = 0xFF


def without_telnet_commands(data):
    """The bytes with telnet commands (IAC sequences, option negotiation and
    subnegotiation) left out and a doubled 0xFF made single."""
    out = bytearray()
    at = 0
    while at < len(data):
        byte = data[at]
        if byte != _IAC:
            out.append(byte)
            at += 1
            continue
        command = data[at + 1] if at + 1 < len(data) else None
        if command == _IAC:
            out.append(_IAC)
            at += 2
        elif command in (251, 252, 253, 254):  # WILL WONT DO DONT + option
            at += 3
        elif command == 250:  # SB ... IAC SE
            end = data.find(bytes([_IAC, 240]), at + 2)
            at = len(data) if end < 0 else end + 2
        else:
            at += 2
    return bytes(out)


class ExchangeCollector:
    """The events of one board's calls, gathered on the calling thread."""

    def __init__(self, telnet):
        self._telnet = telnet
        self.start()

    def start(self):
        self.started = time.time()
        self._clock = time.monotonic()
        self.sent = b""
        self.received = bytearray()
        self.failure = None

    def add(self, kind, data):
        if kind == EVENT_SENT:
            data = without_telnet_commands(data) if self._telnet else data
            if data:
                self.sent = data
                self.received = bytearray()
        elif kind == EVENT_RECEIVED:
            self.received += without_telnet_commands(data) if self._telnet else data
        elif kind == EVENT_OPEN_FAILED:
            self.failure = data

    def duration_ms(self):
        return (time.monotonic() - self._clock) * 1000.0


class _Dispatcher:
    def __init__(self):
        self._listeners = {}
        self._guard = threading.Lock()
        self._installed = False
        self._handler = HANDLER_TYPE(self._event)  # kept alive for the library

    def _event(self, _context, record, kind, _status, data, length, _elapsed_ms):
        listener = self._listeners.get(record)
        if listener is not None:
            listener(kind, ctypes.string_at(data, length) if length > 0 else b"")

    def listen(self, record_address, listener):
        with self._guard:
            self._listeners[record_address] = listener
            if not self._installed:
                library().MpdllSetLogHandler(self._handler, None)
                self._installed = True

    def stop(self, record_address):
        with self._guard:
            self._listeners.pop(record_address, None)


dispatcher = _Dispatcher()
