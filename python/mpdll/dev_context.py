"""The DevContext record of include/mpdll/mpdll.h as ctypes structures.

The caller owns the record and the library writes into it, so its layout must
be the C one field for field: 16900 bytes on the 32-bit Windows product, with
the platform's socket and handle widths elsewhere. The tests compare every
offset with what a C program compiled against the header prints.
"""
import ctypes
import os

from .header_values import FIELD_SIZE, FIRST_COMMAND_SIZE, IP_TEXT_SIZE, LOGIN_TEXT_SIZE

WINDOWS = os.name == "nt"

# The platform's socket: UINT_PTR on Windows, a 32-bit file descriptor elsewhere.
MpSocket = ctypes.c_size_t if WINDOWS else ctypes.c_int32
# A handle (Windows HANDLE) or an opaque pointer-sized value.
MpHandle = ctypes.c_void_p


class MpSockAddrIn(ctypes.Structure):
    """An IPv4 socket address: family, then port and address in network order."""

    _fields_ = [
        ("family", ctypes.c_uint16),
        ("port", ctypes.c_uint16),
        ("address", ctypes.c_uint32),
        ("zero", ctypes.c_uint8 * 8),
    ]


class MpDcb(ctypes.Structure):
    """Serial line settings, laid out like the Windows DCB (28 bytes)."""

    _fields_ = [
        ("DCBlength", ctypes.c_uint32),
        ("BaudRate", ctypes.c_uint32),
        ("fBinary", ctypes.c_uint32, 1),
        ("fParity", ctypes.c_uint32, 1),
        ("fOutxCtsFlow", ctypes.c_uint32, 1),
        ("fOutxDsrFlow", ctypes.c_uint32, 1),
        ("fDtrControl", ctypes.c_uint32, 2),
        ("fDsrSensitivity", ctypes.c_uint32, 1),
        ("fTXContinueOnXoff", ctypes.c_uint32, 1),
        ("fOutX", ctypes.c_uint32, 1),
        ("fInX", ctypes.c_uint32, 1),
        ("fErrorChar", ctypes.c_uint32, 1),
        ("fNull", ctypes.c_uint32, 1),
        ("fRtsControl", ctypes.c_uint32, 2),
        ("fAbortOnError", ctypes.c_uint32, 1),
        ("fDummy2", ctypes.c_uint32, 17),
        ("wReserved", ctypes.c_uint16),
        ("XonLim", ctypes.c_uint16),
        ("XoffLim", ctypes.c_uint16),
        ("ByteSize", ctypes.c_uint8),
        ("Parity", ctypes.c_uint8),
        ("StopBits", ctypes.c_uint8),
        ("XonChar", ctypes.c_char),
        ("XoffChar", ctypes.c_char),
        ("ErrorChar", ctypes.c_char),
        ("EofChar", ctypes.c_char),
        ("EvtChar", ctypes.c_char),
        ("wReserved1", ctypes.c_uint16),
    ]


class MpCommTimeouts(ctypes.Structure):
    """Serial port time-outs in milliseconds, laid out like COMMTIMEOUTS."""

    _fields_ = [
        ("ReadIntervalTimeout", ctypes.c_uint32),
        ("ReadTotalTimeoutMultiplier", ctypes.c_uint32),
        ("ReadTotalTimeoutConstant", ctypes.c_uint32),
        ("WriteTotalTimeoutMultiplier", ctypes.c_uint32),
        ("WriteTotalTimeoutConstant", ctypes.c_uint32),
    ]


class DevContext(ctypes.Structure):
    """The device context record one board is reached through."""

    _fields_ = [
        ("udpAuxSocket", MpSocket),
        ("udpSocket", MpSocket),
        ("udpPeer", MpSockAddrIn),
        ("cmdMutex", MpHandle),
        ("reserved1", ctypes.c_uint32),
        ("cmdEvent", MpHandle),
        ("cmdDoneEvent", MpHandle),
        ("udpStop", ctypes.c_int32),
        ("udpArea", ctypes.c_uint8 * 16392),
        ("cmdTimeout", ctypes.c_int32),
        ("telnetSocket", MpSocket),
        ("telnetPeer", MpSockAddrIn),
        ("ipText", ctypes.c_char * IP_TEXT_SIZE),
        ("recvTimeout", ctypes.c_int32),
        ("sendTimeout", ctypes.c_int32),
        ("userName", ctypes.c_char * LOGIN_TEXT_SIZE),
        ("password", ctypes.c_char * LOGIN_TEXT_SIZE),
        ("firstCommand", ctypes.c_char * FIRST_COMMAND_SIZE),
        ("serialHandle", MpHandle),
        ("portName", ctypes.c_char_p),
        ("inQueueSize", ctypes.c_uint32),
        ("outQueueSize", ctypes.c_uint32),
        ("commTimeouts", MpCommTimeouts),
        ("dcb", MpDcb),
        ("openFlags", ctypes.c_uint32),
        ("mode", ctypes.c_int32),
        ("chipModel", ctypes.c_char * FIELD_SIZE),
        ("toolPath", ctypes.c_char * FIELD_SIZE),
        ("ifName", ctypes.c_char * FIELD_SIZE),
        ("prompt", ctypes.c_char * FIELD_SIZE),
    ]


def put_text(record, field, text):
    """Stores text into a fixed char array of the record, with its terminator.

    Raises ValueError when the text does not fit, rather than cutting it.
    """
    data = text.encode("latin-1") if isinstance(text, str) else bytes(text)
    size = getattr(type(record), field).size
    if len(data) + 1 > size:
        raise ValueError(f"{field} holds at most {size - 1} characters, not {len(data)}: {text!r}")
    if b"\0" in data:
        raise ValueError(f"{field} cannot hold a NUL character: {text!r}")
    setattr(record, field, data)
