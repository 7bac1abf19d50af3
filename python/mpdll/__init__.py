"""mpdll from Python: drive the radio test mode of a wireless router board
through the mpdll library (pure ctypes, no compiled extension).

    import mpdll
    with mpdll.Board.telnet("192.168.1.1", password="secret") as board:
        board.enter_test_mode()
        print(board.flash_get("XCAP"))
    mpdll.rate_code("54M")  # 108

Station scripts: mpdll.Station (limits, records, JUnit and CSV for many boards
at once, see mpdll.station) and mpdll.expect for the same limits in pytest.
"""
from .board import MODE_SERIAL, MODE_TELNET, MODE_UDP, WAIT_NONE, WAIT_QUIET, Board
from .converters import (channel_number, decode_power_index, difference_digit, difference_pair,
                         encode_power_index, hex_table, is_ok, normal_form, rate_code, telnet_negotiate,
                         telnet_reply, trim_response)
from .dev_context import DevContext
from .errors import (ArgumentError, BoardNotOpen, CommandIdError, ModeError, MpdllError, OpenError, OpenModeError,
                     ReplyError, SerialTimeoutError, SocketError, TransportError, status_meaning)
from .library import LibraryNotFound
from .limits import Limit, Measurement, expect
from .results import (BoardNames, Exchange, FilterAddresses, PacketCounters, PowerIndexTables, PowerIndexTexts,
                      RxCounters)
from .simulator import BoardSimulator
from .station import Station
from .strict_checks import REFUSALS

__all__ = [
    "Board", "BoardSimulator", "DevContext", "LibraryNotFound",
    "MODE_UDP", "MODE_TELNET", "MODE_SERIAL", "WAIT_NONE", "WAIT_QUIET",
    "rate_code", "channel_number", "hex_table", "decode_power_index", "encode_power_index", "difference_pair",
    "difference_digit", "normal_form", "is_ok", "trim_response", "telnet_negotiate", "telnet_reply",
    "MpdllError", "ModeError", "CommandIdError", "TransportError", "SerialTimeoutError", "ReplyError",
    "OpenModeError", "OpenError", "ArgumentError", "SocketError", "BoardNotOpen", "status_meaning",
    "RxCounters", "PacketCounters", "FilterAddresses", "BoardNames", "Exchange", "PowerIndexTables",
    "PowerIndexTexts", "REFUSALS", "Limit", "Measurement", "expect", "Station",
]
