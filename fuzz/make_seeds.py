#!/usr/bin/env python3
"""Writes the committed seed corpora under fuzz/corpus/<harness>/.

The harnesses read their input with FuzzedDataProvider: texts from the
front of the input, numbers and flags from the back. This script lays out
inputs the same way, so each seed is a well-formed case (a board answer in
the stated form, a negotiation burst, a power table) from which the fuzzer
starts mutating. Run it again after changing how a harness reads its input.
"""
import hashlib
import os
import sys


class Seed:
    """Builds one input: front texts in order, back values in consumption order."""

    def __init__(self):
        self.front = bytearray()
        self.back = []  # each item: bytes in consumption order

    def text(self, data):
        """A ConsumeRandomLengthString text: backslashes doubled, then a terminator."""
        data = data.encode("latin-1") if isinstance(data, str) else bytes(data)
        self.front += data.replace(b"\\", b"\\\\") + b"\\E"
        return self

    def raw(self, data):
        """Bytes taken as they are (ConsumeBytes, or the remaining bytes at the end)."""
        self.front += data.encode("latin-1") if isinstance(data, str) else bytes(data)
        return self

    def number(self, value, low, high):
        """A ConsumeIntegralInRange(low, high) value."""
        span = high - low
        count = 0
        while count < 8 and (span >> (8 * count)) > 0:
            count += 1
        offset = value - low
        self.back.append(bytes((offset >> (8 * (count - 1 - i))) & 0xFF for i in range(count)))
        return self

    def flag(self, value):
        return self.number(1 if value else 0, 0, 255)

    def int32(self, value):
        return self.number(value, -(2**31), 2**31 - 1)

    def bytes(self):
        tail = bytearray()
        for item in self.back:  # the first value consumed is the last byte
            tail = bytearray(item[::-1]) + tail
        return bytes(self.front) + bytes(tail)


IAC, SB, SE, WILL, WONT, DO, DONT = 255, 250, 240, 251, 252, 253, 254

TELNET, UDP, SERIAL = 1, 0, 2  # index into the harness's mode list


def board_answer(operation, mode, answer, data="", echo=True, chunk=None, name="HW_WLAN0_TX_POWER"):
    seed = Seed().number(operation, 0, 7).number(mode, 0, 2).flag(echo)
    seed.flag(chunk is None)
    if chunk is not None:
        seed.number(chunk, 1, 64)
    return seed.text(name).text(answer).raw(data)


def seeds():
    yield "format_buffer", Seed().number(16384, 1, 17000).raw(" a b\r\n c\t")
    yield "format_buffer", Seed().number(3, 1, 17000).raw("Tx OK:1, Tx Fail:2,\r\n Rx OK:3, CRC error:4\r\n")
    yield "format_buffer", Seed().number(1, 1, 17000).raw("chipVersion: b\a")

    for text in ("ok", "OK", "token", "", "data: ok\a"):
        yield "is_buffer_ok", Seed().raw(text)

    yield "telnet_negotiate", Seed().flag(False).raw(bytes([IAC, DO, 1, IAC, WILL, 3]))
    yield "telnet_negotiate", Seed().flag(False).raw(bytes([IAC, DO, 24, IAC, WILL, 31, IAC, SB, 24, 1, IAC, SE]) + b"login: ")
    yield "telnet_negotiate", Seed().flag(False).raw(bytes([IAC, SB, 1, ord("1"), IAC, SE, IAC, IAC, IAC, 241]))
    yield "telnet_negotiate", Seed().flag(True).raw(bytes([IAC, SB, 3, ord("1")]))
    yield "telnet_negotiate", Seed().flag(True).raw(bytes([IAC, DONT, 1]))

    yield "format_receive_data", Seed().int32(0).text("X").text("P").text("X\r\n1\r\nP")
    yield "format_receive_data", Seed().int32(1).text("iwpriv wlan0 mp_query").text("# ").text(
        "iwpriv wlan0 mp_query\r\nTx OK:1, Tx Fail:0, Rx OK:5, CRC error:0\r\n# ")
    yield "format_receive_data", Seed().int32(256).text("long command").text("# ").text("short")

    def prompt_field(prompt):
        return prompt.encode("latin-1").ljust(50, b"\0")

    yield "rcv_prompt", Seed().flag(False).int32(0).raw(prompt_field("# ")).raw("echo\r\nout\r\n# ")
    yield "rcv_prompt", Seed().flag(False).int32(0).raw(prompt_field("\n\r# ")).raw("out\r\n# ")
    yield "rcv_prompt", Seed().flag(False).int32(0).raw(b"#" * 50).raw("#" * 60)
    yield "rcv_prompt", Seed().flag(True).raw(prompt_field("# ")).raw("anything")

    for text in ("54M", "mcs7", "5.5M", "143", "MCS07", "2437MHz", "ch 1, 40M", "5180", "2.437GHz", "99999999999999999999"):
        yield "rate_channel", Seed().raw(text)

    def command_text(which, chip, tool, interface, rest):
        seed = Seed()
        for field in (chip, tool, interface):
            seed.number(len(field), 0, 50).raw(field)
        return seed.number(which, 0, 2).raw(rest)

    yield "command_text", command_text(0, "mxr4700la", "/bin/iwpriv", "wlan0-va0", "iwpriv wlan0 mp_channel %d")
    yield "command_text", command_text(0, "", "iw", "ath0", "ifconfig wlan0 down wlan0")
    yield "command_text", command_text(0, "", "", "x" * 50, "iwpriv wlan0 " + "a" * 2100)
    yield "command_text", command_text(1, "mxr4700la", "", "", "").flag(False).number(33, 0, 104).int32(0)
    yield "command_text", command_text(2, "MXR4700D", "t" * 50, "", "")

    yield "power_index", Seed().number(0, 0, 3).number(4 + 3, -3, 200).text("0A1b2C3")
    table = Seed().number(1, 0, 3).number(2 + 3, -3, 200)
    for text in ("2A2B", "2C2D", "1A1B", "1C1D", "0F21", "8E70", "1D11"):
        table.text(text)
    yield "power_index", table
    yield "power_index", Seed().number(2, 0, 3).number(2 + 3, -3, 200).flag(True).raw(bytes(range(40)))
    yield "power_index", Seed().number(3, 0, 3).number(3, -3, 200).raw("9F").flag(True).text("-3")

    formats = {
        "%[^:]:%s": "MIMO_TR_HW_SUPPORT:2",
        "CHIPVERSION:%s": "CHIPVERSION:B",
        "data:    MIMO_TR_hw_support:%s\a": "data: MIMO_TR_hw_support:2\a",
        "data:    chipVersion:%s\a": "data: chipVersion:b\n\a",
        "%[^:]:FLAG:%dSA:%17sDA:%17sBSSID:%17s": "FILTER:FLAG:1SA:00:11:22:33:44:55DA:66:77:88:99:AA:BBBSSID:CC:DD:EE:FF:00:11",
        "%[^:]:TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d": "WLAN0MP_QUERY:TXOK:10,TXFAIL:0,RXOK:20,CRCERROR:-1",
        "TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d": "TXOK:10,TXFAIL:0,RXOK:20,CRCERROR:3",
        "Tx OK:%d, Tx Fail:%d, Rx OK:%d, CRC error:%d": "Tx OK:1, Tx Fail:2, Rx OK:3, CRC error:4",
        "%[^:]:%d": "WLAN0MP_THER:27",
        "%d ": " 42 ",
        "%[^:]:%d ": "WLAN0MP_TSSI:-5",
        "%[^=]=%s": "HW_TX_POWER=0a0b0c\r\n",
        "data:wlan0     read_rf:%d  %d  %d  %d  \a": "data:wlan0     read_rf:1  2  3  4  \a",
        "%[^:]:%d %d %d %d": "wlan0     read_rf:1  2  3  256",
    }
    for index, (fmt, answer) in enumerate(formats.items()):
        yield "response_scan", Seed().number(index, 0, 13).flag(False).raw(answer)
        yield "response_scan", Seed().number(index, 0, 13).flag(True).raw(bytes([17, 3, 40, 0, 1, 18, 5, 2] * 2)).raw(answer)

    hw, chip, query, tssi, report, flash, register, ther = range(8)
    for mode in (TELNET, SERIAL):
        yield "board_answer", board_answer(hw, mode, "    MIMO_TR_hw_support: 1  \r\n")
        yield "board_answer", board_answer(chip, mode, "chipVersion: b\r\n", chunk=1)
        yield "board_answer", board_answer(query, mode, "wlan0     mp_query:Tx OK:10, Tx Fail:0, Rx OK:20, CRC error:1\r\n")
        yield "board_answer", board_answer(tssi, mode, "wlan0     mp_tssi:-5\r\n")
        yield "board_answer", board_answer(report, mode, "wlan0  filter:\r\nFLAG: 1\r\nSA: 00:11:22:33:44:55\r\nDA: 66:77:88:99:aa:bb\r\nBSSID: cc:dd:ee:ff:00:11\r\n", chunk=7)
        yield "board_answer", board_answer(flash, mode, "HW_WLAN0_TX_POWER=0a0b0c\r\n")
        yield "board_answer", board_answer(register, mode, "wlan0     read_rf:1  2  3  4\r\n", echo=False)
    yield "board_answer", board_answer(hw, UDP, "ok", "data:    MIMO_TR_hw_support:2\a")
    yield "board_answer", board_answer(chip, UDP, "ok", "data: chipVersion:b\n\a")
    yield "board_answer", board_answer(query, UDP, "Tx OK:1, Tx Fail:2, Rx OK:3, CRC error:4")
    yield "board_answer", board_answer(tssi, UDP, "17 ")
    yield "board_answer", board_answer(flash, UDP, "ok", "data:HW_WLAN0_TX_POWER=0a0b0c\a")
    yield "board_answer", board_answer(register, UDP, "ok", "data:wlan0     read_rf:1  2  3  4  \a")
    yield "board_answer", board_answer(ther, UDP, "token")
    yield "board_answer", board_answer(flash, UDP, "OK", "")

    def transport(operation, telnet, answer, command="iwpriv wlan0 mp_query", size=16384, keep=0, chunk=None, echo=True):
        seed = Seed().number(operation, 0, 2).flag(telnet).flag(False).number(size, 1, 20000).int32(keep)
        seed.flag(True).flag(echo).flag(chunk is None)
        if chunk is not None:
            seed.number(chunk, 1, 64)
        return seed.text(command).raw(answer)

    yield "transport_receive", transport(0, True, "Tx OK:1, Tx Fail:2, Rx OK:3, CRC error:4\r\n")
    yield "transport_receive", transport(1, True, "x" * 3000, size=100, chunk=5)
    yield "transport_receive", transport(2, False, "line\r\n# not yet\r\n", keep=1)
    yield "transport_receive", transport(0, False, "garbage\0\x01\xff", size=7, echo=False)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    written = 0
    for harness, seed in seeds():
        data = seed.bytes()
        folder = os.path.join(root, harness)
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "seed-" + hashlib.sha1(data).hexdigest()[:16])
        with open(path, "wb") as out:
            out.write(data)
        written += 1
    print(f"{written} seeds under {root}", file=sys.stderr)


if __name__ == "__main__":
    main()
