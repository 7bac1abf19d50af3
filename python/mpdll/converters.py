"""The library's board-free functions: rate and channel names, transmit power
index tables, the answer text helpers and the telnet option replies."""
import ctypes

from .library import library
from .results import PowerIndexTables, PowerIndexTexts
from .text import ENCODING, buffer, from_buffer, to_bytes

_TABLE_NAMES = ("plain1", "plain2", "base_a", "base_b", "group1_a", "group1_b",
                "group2_a", "group2_b", "group3_a", "group3_b")
_TEXT_NAMES = ("plain1", "plain2", "base_a", "base_b", "diff1", "diff2", "diff3")


def rate_code(name):
    """The driver's code of a rate name or code text ("54M" -> 108, "MCS7" -> 135)."""
    return library().mp_rate_s2i(to_bytes(name))


def channel_number(text):
    """The channel number of a channel text or centre frequency ("2437MHz" -> 6)."""
    return library().mp_channel_s2i(to_bytes(text))


def _entries(text):
    return (len(text) + 1) // 2


def hex_table(text, count=None):
    """One table text, two hexadecimal digits an entry, to its numbers
    (Hex2Dec). count defaults to the entries the text holds; entries past the
    text's end are 0."""
    data = to_bytes(text)
    count = _entries(data) if count is None else count
    values = (ctypes.c_int32 * max(count, 0))()
    library().Hex2Dec(count, data, values)
    return list(values)


def decode_power_index(plain1, plain2, base_a, base_b, diff1, diff2, diff3, count=None):
    """The seven table texts to the ten tables of numbers (DecPowerIndex).

    count defaults to the entries of the longest text."""
    texts = [to_bytes(text) for text in (plain1, plain2, base_a, base_b, diff1, diff2, diff3)]
    count = max(_entries(text) for text in texts) if count is None else count
    tables = [(ctypes.c_int32 * max(count, 0))() for _ in _TABLE_NAMES]
    library().DecPowerIndex(count, *texts, *tables)
    return PowerIndexTables(*(list(table) for table in tables))


def encode_power_index(tables):
    """The ten tables (a PowerIndexTables) to the seven texts (HexPowerIndex).

    Plain and base values must lie within 0 to 255 and each group within -8
    to 7 of its base to come back unchanged from decode_power_index."""
    columns = [list(getattr(tables, name)) for name in _TABLE_NAMES]
    count = len(columns[0])
    if any(len(column) != count for column in columns):
        raise ValueError("the ten power index tables must have the same length")
    arrays = [(ctypes.c_int32 * count)(*column) for column in columns]
    texts = [buffer(2 * count + 1) for _ in _TEXT_NAMES]
    library().HexPowerIndex(count, *arrays, *texts)
    return PowerIndexTexts(*(from_buffer(text) for text in texts))


def difference_pair(entry):
    """One difference table entry (two hexadecimal digits) to its two
    differences, table B's (first digit) then table A's (DiffHex2Dec)."""
    data = to_bytes(entry)
    if len(data) != 2:
        raise ValueError(f"a difference entry is two characters, not {entry!r}")
    return library().DiffHex2Dec(data, 1), library().DiffHex2Dec(data, 0)


def difference_digit(value):
    """A difference from -8 to 7 to its hexadecimal digit (DiffDec2Hex); any
    other value gives "0"."""
    return library().DiffDec2Hex(to_bytes(str(value))).decode(ENCODING)


def normal_form(text):
    """A board answer without blanks and line ends, upper-cased (FormatBuffer)."""
    data = to_bytes(text)
    out = buffer(len(data) + 1)
    library().FormatBuffer(data, out, len(out))
    return from_buffer(out)


def is_ok(text):
    """True when the text holds the lower-case "ok" a UDP reply reports success with (IsBufferOk)."""
    return library().IsBufferOk(to_bytes(text)) == 0


def trim_response(raw, command, prompt, keep_prompt=False):
    """A raw answer with the echo of the command and (unless keep_prompt) the
    prompt cut off by position (FormatReceiveData)."""
    data = to_bytes(raw)
    out = buffer(len(data) + 1)
    library().FormatReceiveData(data, to_bytes(command), to_bytes(prompt), out, 1 if keep_prompt else 0)
    return from_buffer(out)


def telnet_negotiate(received):
    """The reply to the telnet option negotiation in received bytes
    (TelnetNegotiate): None when they hold no negotiation, else the reply
    bytes (possibly empty)."""
    data = bytes(received)
    reply = buffer(3 * len(data) + 6)
    length = ctypes.c_int32(0)
    found = library().TelnetNegotiate(data, len(data), reply, ctypes.byref(length))
    return reply.raw[:length.value] if found else None


def telnet_reply(sequence):
    """The reply to one telnet negotiation sequence (TelnetReplay)."""
    data = bytes(sequence)
    reply = buffer(16)
    length = ctypes.c_int32(0)
    library().TelnetReplay(data, len(data), reply, ctypes.byref(length))
    return reply.raw[:length.value]
