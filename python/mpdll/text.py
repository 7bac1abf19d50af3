"""Texts between Python and the library: 8-bit characters, NUL-terminated.

The board speaks plain 8-bit text, so every byte maps to the character of the
same number (Latin-1) both ways and nothing the board says can fail to decode.
"""
import ctypes

ENCODING = "latin-1"


def to_bytes(text):
    """A Python text or bytes as the bytes the library takes. A NUL would end
    the text early on the library's side, so it raises ValueError instead."""
    data = bytes(text) if isinstance(text, (bytes, bytearray)) else str(text).encode(ENCODING)
    if b"\0" in data:
        raise ValueError(f"a text for the library cannot hold a NUL character: {text!r}")
    return data


def buffer(size):
    """A zero-filled output buffer of size bytes."""
    return ctypes.create_string_buffer(size)


def from_buffer(out):
    """The text an output buffer holds up to its first NUL."""
    return out.value.decode(ENCODING)
