"""The board-free module functions against worked examples of the library."""
import pytest

import mpdll
from mpdll import PowerIndexTables

WORKED_TEXTS = ("2A2B", "2C2D", "1A1B", "1C1D", "0F21", "8E70", "1D11")
WORKED_TABLES = PowerIndexTables(
    plain1=[42, 43], plain2=[44, 45], base_a=[26, 27], base_b=[28, 29], group1_a=[25, 28], group1_b=[28, 31],
    group2_a=[24, 27], group2_b=[20, 36], group3_a=[23, 28], group3_b=[29, 30])


@pytest.mark.parametrize("name, code", [
    ("54M", 108), ("54m", 108), ("108", 108), ("5.5M", 11), ("11", 11), ("MCS0", 128), ("mcs15", 143),
    ("MCS07", 135), ("54", 135), ("", 135),
])
def test_rate_code(name, code):
    assert mpdll.rate_code(name) == code


@pytest.mark.parametrize("text, channel", [("6", 6), ("2437MHz", 6), ("5180", 36), ("ch 11", 11), ("none", 3)])
def test_channel_number(text, channel):
    assert mpdll.channel_number(text) == channel


def test_decode_power_index_worked_example():
    assert mpdll.decode_power_index(*WORKED_TEXTS) == WORKED_TABLES


def test_encode_power_index_worked_example_and_round_trip():
    texts = mpdll.encode_power_index(WORKED_TABLES)
    assert (texts.plain1, texts.plain2, texts.base_a, texts.base_b) == WORKED_TEXTS[:4]
    assert (texts.diff1, texts.diff2, texts.diff3) == (" F21", "8E70", "1D11")
    assert mpdll.decode_power_index(texts.plain1, texts.plain2, texts.base_a, texts.base_b, texts.diff1,
                                    texts.diff2, texts.diff3) == WORKED_TABLES


def test_encode_power_index_needs_tables_of_one_length():
    uneven = PowerIndexTables(**{**vars(WORKED_TABLES), "group3_b": [1]})
    with pytest.raises(ValueError):
        mpdll.encode_power_index(uneven)


@pytest.mark.parametrize("text, count, values", [
    ("0A1b2C3", None, [10, 27, 44, 3]), ("0A1b", 3, [10, 27, 0]), ("", None, []), ("FF", 0, []),
])
def test_hex_table(text, count, values):
    assert mpdll.hex_table(text, count) == values


@pytest.mark.parametrize("entry, pair", [("9F", (-7, -1)), ("07", (0, 7)), (" 8", (0, -8)), ("Gx", (0, 0))])
def test_difference_pair(entry, pair):
    assert mpdll.difference_pair(entry) == pair


@pytest.mark.parametrize("value, digit", [(-3, "D"), (7, "7"), (-8, "8"), (8, "0"), ("12abc", "0"), ("x", "0")])
def test_difference_digit(value, digit):
    assert mpdll.difference_digit(value) == digit


@pytest.mark.parametrize("call, expected", [
    (lambda: mpdll.normal_form(" a b\r\n c\t"), "ABC"),
    (lambda: mpdll.normal_form("Tx OK:5, Tx Fail:0"), "TXOK:5,TXFAIL:0"),
    (lambda: mpdll.is_ok("token"), True),
    (lambda: mpdll.is_ok("OK"), False),
    (lambda: mpdll.trim_response("X\r\n1\r\nP", "X", "P"), "\r\n1\r\n"),
    (lambda: mpdll.trim_response("X\r\n1\r\nP", "X", "P", keep_prompt=True), "\r\n1\r\nP"),
    (lambda: mpdll.trim_response("ab", "abc", "# "), "ab"),
])
def test_answer_helpers(call, expected):
    assert call() == expected


@pytest.mark.parametrize("received, reply", [
    (bytes([255, 253, 1, 255, 251, 3]), bytes([255, 251, 1, 255, 253, 3])),
    (b"login: " + bytes([255, 253, 24]), bytes([255, 252, 24])),
    (bytes([255, 251, 31]), bytes([255, 254, 31])),
    (b"no negotiation here", None),
])
def test_telnet_negotiate(received, reply):
    assert mpdll.telnet_negotiate(received) == reply


@pytest.mark.parametrize("sequence, reply", [
    (bytes([255, 253, 24]), bytes([255, 252, 24])),
    (bytes([255, 250, 3, 49]), bytes([255, 250, 3, 48, 255, 240])),
    (bytes([255, 250, 24, 49]), b""),
    (bytes([255, 253]), b""),
])
def test_telnet_reply(sequence, reply):
    assert mpdll.telnet_reply(sequence) == reply
