"""Output arguments that tell whether the library wrote them.

The library leaves an output alone where the board's answer carries no value
(over UDP the thermal reading's reply only says "ok", and the receive
filter's report is not read there). Each output starts with a mark no board
reports; an output that still holds it after a successful call was not
written, and the call counts as failed rather than handing back a value the
board never gave.
"""
import ctypes

# Marks no board reports: a number below any counter or sensor reading, a
# register value outside the usual test patterns, two bytes no answer text
# starts with.
UNWRITTEN_NUMBER = -1515870811
UNWRITTEN_REGISTER = 0xD1B54A32
UNWRITTEN_TEXT = b"\xa5\x5a"


def number():
    """A 32-bit signed output holding the mark."""
    return ctypes.c_int32(UNWRITTEN_NUMBER)


def register():
    """A 32-bit unsigned output holding the mark."""
    return ctypes.c_uint32(UNWRITTEN_REGISTER)


def text(size):
    """A text output of size bytes whose text is the mark."""
    return ctypes.create_string_buffer(UNWRITTEN_TEXT, size)


def unwritten(output):
    """Whether output still holds its mark."""
    if isinstance(output, ctypes.c_int32):
        return output.value == UNWRITTEN_NUMBER
    if isinstance(output, ctypes.c_uint32):
        return output.value == UNWRITTEN_REGISTER
    return output.value == UNWRITTEN_TEXT
