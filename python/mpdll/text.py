"""Texts between Python and the library: 8-bit characters, NUL-terminated.

The board speaks plain 8-bit text, so every byte maps to the character of the
same number (Latin-1) both ways and nothing the board says can fail to decode.
"""
import ctypes

ENCODING = "latin-1"


def to_bytes(text):
    """A Python text or bytes as the bytes the library takes."""
    if isinstance(text, (bytes, bytearray)):
        return bytes(text)
    return str(text).encode(ENCODING)


def buffer(size):
    """A zero-filled output buffer of size bytes."""
    return ctypes.create_string_buffer(size)


def from_buffer(out):
    """The text an output buffer holds up to its first NUL."""
    return out.value.decode(ENCODING)
