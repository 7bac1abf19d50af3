"""Board.serial fills the record's line settings through the library
(MpdllSetSerialLine): the fields dcb gets for each parity, stop-bit and flow
name, the call itself seen on its way to the library, and the settings the
library refuses turned into ValueError before a board exists."""
import ctypes

import pytest

from mpdll import library as library_module
from mpdll.board import Board
from mpdll.dev_context import MpDcb

# Every field of dcb: zero unless a line sets it; every line sets the length
# and binary mode, and each setting below adds its own fields.
ZERO = {field[0]: b"\0" if field[1] is ctypes.c_char else 0 for field in MpDcb._fields_}
BASE = {**ZERO, "DCBlength": 28, "fBinary": 1}
LINES = [
    ({}, {"BaudRate": 115200, "ByteSize": 8}),
    ({"baud": 9600, "data_bits": 7, "parity": "odd"}, {"BaudRate": 9600, "ByteSize": 7, "Parity": 1, "fParity": 1}),
    ({"parity": "even"}, {"BaudRate": 115200, "ByteSize": 8, "Parity": 2, "fParity": 1}),
    ({"data_bits": 6, "parity": "mark"}, {"BaudRate": 115200, "ByteSize": 6, "Parity": 3, "fParity": 1}),
    ({"data_bits": 5, "parity": "space"}, {"BaudRate": 115200, "ByteSize": 5, "Parity": 4, "fParity": 1}),
    ({"stop_bits": 1.5}, {"BaudRate": 115200, "ByteSize": 8, "StopBits": 1}),
    ({"stop_bits": 2}, {"BaudRate": 115200, "ByteSize": 8, "StopBits": 2}),
    ({"flow": "rtscts"}, {"BaudRate": 115200, "ByteSize": 8, "fOutxCtsFlow": 1, "fRtsControl": 2}),
    ({"baud": 57600, "flow": "xonxoff"},
     {"BaudRate": 57600, "ByteSize": 8, "fOutX": 1, "fInX": 1, "XonChar": b"\x11", "XoffChar": b"\x13"}),
]


def _dcb_fields(dcb):
    return {name: getattr(dcb, name) for name in ZERO}


@pytest.mark.parametrize("options, fields", LINES, ids=[repr(options) for options, _ in LINES])
def test_each_setting_gives_its_dcb_fields(options, fields):
    expected = {**BASE, **fields}
    board = Board.serial("/dev/ttyS0", **options)
    assert _dcb_fields(board.record.dcb) == expected


def test_the_settings_go_through_the_library(monkeypatch):
    lib = library_module.library()
    export = lib.MpdllSetSerialLine
    calls = []

    def spy(record, *settings):
        calls.append(settings)
        return export(record, *settings)

    monkeypatch.setattr(lib, "MpdllSetSerialLine", spy)
    board = Board.serial("/dev/ttyS0", 38400, data_bits=7, parity="even", stop_bits=2, flow="rtscts")
    assert calls == [(38400, 7, 2, 2, 1)]
    assert (board.record.dcb.BaudRate, board.record.dcb.fRtsControl) == (38400, 2)


@pytest.mark.parametrize("options", [{"baud": 0}, {"data_bits": 4}, {"data_bits": 9}, {"data_bits": -8}],
                         ids=["baud 0", "4 data bits", "9 data bits", "negative data bits"])
def test_settings_the_library_refuses_raise_value_error(options):
    with pytest.raises(ValueError, match="the library refuses the serial line"):
        Board.serial("/dev/ttyS0", **options)


@pytest.mark.parametrize("options", [{"baud": 1 << 32}, {"baud": -1}, {"data_bits": (1 << 32) + 8}],
                         ids=["baud past 32 bits", "negative baud", "data bits past 32 bits"])
def test_numbers_ctypes_would_cut_raise_value_error(options):
    with pytest.raises(ValueError, match="numbers of 32 bits"):
        Board.serial("/dev/ttyS0", **options)


@pytest.mark.parametrize("options", [{"parity": "sometimes"}, {"stop_bits": 3}, {"flow": "dsrdtr"}])
def test_unknown_names_raise_value_error(options):
    with pytest.raises(ValueError):
        Board.serial("/dev/ttyS0", **options)

