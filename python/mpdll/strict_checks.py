"""What a strict board checks beyond the library: rate and channel names
before anything is sent, and refusals in the answers to setting commands.

The library maps an unknown rate name to MCS7 and reads a channel out of any
digits in a text; over telnet and serial it takes any answer to a setting
command as success. A strict board (Board(..., strict=True)) raises
ValueError for a name the library would have guessed at, and ReplyError for an
answer holding one of REFUSALS (matched without regard to case). Callers
extend the list with words of their own boards:
Board.telnet(host, strict=True, refusals=REFUSALS + ("busy",)).
"""
import re

from .converters import channel_number, rate_code

REFUSALS = ("not permitted", "no such", "invalid", "usage:", "not found", "error")

# The code the library gives a name it does not know, and the names that
# really mean it.
_FALLBACK_RATE = 135
_FALLBACK_RATE_NAMES = ("MCS7", "135")

# 20 MHz channels: 2.4 GHz 1 to 14, 5 GHz in its three bands.
CHANNELS = frozenset(list(range(1, 15)) + list(range(36, 65, 4)) + list(range(100, 145, 4))
                     + list(range(149, 178, 4)))
_CHANNEL_TEXT = re.compile(r"\s*(\d+)\s*(mhz)?\s*", re.IGNORECASE)
_HIGHEST_CHANNEL_NUMBER = 200  # the library reads larger numbers as frequencies


def centre_frequency(channel):
    """The centre frequency in MHz of a channel in CHANNELS."""
    if channel == 14:
        return 2484
    return 2407 + 5 * channel if channel < 14 else 5000 + 5 * channel


def checked_rate(name):
    """name when the library knows it as a rate (a name such as 54M or MCS3,
    or a rate code such as 108), else ValueError."""
    text = name if isinstance(name, str) else str(name)
    if rate_code(text) == _FALLBACK_RATE and text.upper() not in _FALLBACK_RATE_NAMES:
        raise ValueError(f"{name!r} is not a rate name (such as 1M, 5.5M, 54M, MCS0 to MCS15) or rate code")
    return name


def checked_channel(text):
    """text when it names a channel: its number, or its centre frequency with
    or without "MHz"; else ValueError."""
    match = _CHANNEL_TEXT.fullmatch(str(text))
    if match:
        value = int(match.group(1))
        is_frequency = match.group(2) is not None or value > _HIGHEST_CHANNEL_NUMBER
        channel = channel_number(str(value))
        if channel in CHANNELS and value == (centre_frequency(channel) if is_frequency else channel):
            return text
    raise ValueError(f"{text!r} is not a channel: give a channel number (1 to 14, 36 to 177 in the 20 MHz "
                     f"raster) or its centre frequency in MHz")


def answer_text(sent, received, prompt):
    """The board's answer to the line sent, without its echo and the prompt."""
    line = sent.rstrip("\r\n")
    text = received[len(line):] if received.startswith(line) else received
    if prompt and text.endswith(prompt):
        text = text[:-len(prompt)]
    return text.strip()


def refusal_in(answer, refusals):
    """The first of refusals the answer holds, or None."""
    lowered = answer.lower()
    return next((word for word in refusals if word.lower() in lowered), None)
