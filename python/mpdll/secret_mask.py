"""Masking the login password in the texts the package shows or keeps, by
the library's own rule (MpdllMaskSecret): every occurrence of the password,
and a start of it that a text ends with, becomes one '*' per character."""
import ctypes

from . import errors
from .library import library
from .text import ENCODING, to_bytes


def masked(text, secret):
    """text (str or bytes) with secret masked, of the same type and length."""
    data = text.encode(ENCODING) if isinstance(text, str) else bytes(text)
    area = ctypes.create_string_buffer(data, len(data))
    errors.check(library().MpdllMaskSecret(area, len(data), to_bytes(secret)), "MpdllMaskSecret")
    return area.raw.decode(ENCODING) if isinstance(text, str) else area.raw
