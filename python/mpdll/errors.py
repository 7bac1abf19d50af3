"""The library's status codes and the exceptions a failed call raises.

Every exception carries the status number, its meaning and the export that
returned it; each known status has a subclass of its own.
"""
import os

OK = 0
E_MODE = -30000
E_COMMAND_ID = -30001
E_TRANSPORT = -30002
E_SERIAL_TIMEOUT = -30003
E_REPLY = -30004
E_OPEN_MODE = -30005
E_OPEN = -30006
E_ARGUMENT = -30007


class MpdllError(Exception):
    """A library call returned a status other than success."""

    def __init__(self, status, operation):
        self.status = status
        self.meaning = status_meaning(status)
        self.operation = operation
        super().__init__(f"{operation} failed with {status}: {self.meaning}")


class ModeError(MpdllError):
    """The record's connection mode is none of UDP, telnet and serial."""


class CommandIdError(MpdllError):
    """The command identifier is not in the command catalogue."""


class TransportError(MpdllError):
    """A socket wait, a UDP send or receive, or a serial write or read failed."""


class SerialTimeoutError(MpdllError):
    """The serial console showed no prompt within 5000 ms."""


class ReplyError(MpdllError):
    """The board's answer failed its test: the library's own test, or the
    package's (a value the library did not write, a refusal a strict board
    found in the answer). answer holds the board's answer where it is known,
    reason says what the package found."""

    def __init__(self, status, operation, *, answer=None, reason=None):
        super().__init__(status, operation)
        self.answer = answer
        self.reason = reason
        if reason:
            heard = f"; the board answered {answer!r}" if answer is not None else ""
            self.args = (f"{operation} failed with {status}: {reason}{heard}",)


class OpenModeError(MpdllError):
    """The board was opened with a connection mode the library does not know."""


class OpenError(MpdllError):
    """The telnet or serial connection could not be made. step, reason and
    last_heard say where the open failed, why, and what the board said last
    (control bytes escaped, the password never), as the library kept them;
    None where it kept nothing."""

    def __init__(self, status, operation, *, step=None, reason=None, last_heard=None):
        super().__init__(status, operation)
        self.step, self.reason, self.last_heard = step, reason, last_heard
        if reason:
            self.args = (f"{operation} failed with {status} at {step}: {reason}; last heard \"{last_heard}\"",)


class ArgumentError(MpdllError):
    """An argument is missing or too long for its buffer; nothing was sent."""


class SocketError(MpdllError):
    """A telnet send or receive failed with this platform socket error number."""


class BoardNotOpen(RuntimeError):
    """A board operation was called on a board that is not open."""


_MEANINGS = {
    OK: ("success", None),
    E_MODE: ("the connection mode is none of UDP, telnet and serial", ModeError),
    E_COMMAND_ID: ("command identifier not in the command catalogue", CommandIdError),
    E_TRANSPORT: ("transport failure: socket wait, UDP send or receive, serial write or read", TransportError),
    E_SERIAL_TIMEOUT: ("serial receive: no prompt within 5000 ms, or the port status cannot be read",
                       SerialTimeoutError),
    E_REPLY: ("the board's answer failed its test", ReplyError),
    E_OPEN_MODE: ("open with a connection mode other than UDP, telnet and serial", OpenModeError),
    E_OPEN: ("the telnet or serial connection could not be made, or CloseDev was given an invalid record", OpenError),
    E_ARGUMENT: ("an argument is missing or too long for its buffer; nothing was sent", ArgumentError),
}


def status_meaning(status):
    """What a status number means, in words."""
    if status in _MEANINGS:
        return _MEANINGS[status][0]
    if status > 0:
        return f"socket error {status}: {os.strerror(status)}"
    return "unknown status"


def error_for(status, operation):
    """The exception for a failed status."""
    if status > 0:
        return SocketError(status, operation)
    kind = _MEANINGS.get(status, (None, MpdllError))[1]
    return kind(status, operation)


def check(status, operation):
    """Raises the exception for status unless it is success."""
    if status != OK:
        raise error_for(status, operation)
    return status
