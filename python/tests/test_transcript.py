"""The transcript: one exchange per call that reached the board, as GetBuffer
holds it after the call, the password never in it."""
import pytest

import mpdll

PASSWORD = "s3cret-pw"


def _texts(transcript):
    return [text for exchange in transcript for text in (exchange.sent, exchange.received)]


def test_each_call_adds_its_exchange_in_order(mpboard):
    with mpboard.telnet() as board:
        board.enter_test_mode()
        board.flash_get("XCAP")
        board.command_text(3)  # composes a text only: nothing is exchanged
    assert [exchange.operation for exchange in board.transcript] == ["OpenDev", "EnterMP", "FlashGet"]
    # The open's last line sent is the password, masked.
    assert set(board.transcript[0].sent.rstrip("\r")) == {"*"}
    assert board.transcript[2].sent == "flash get XCAP\r"
    assert board.transcript[2].received.startswith("flash get XCAP")
    assert board.transcript[2].received.endswith(mpboard.prompt)


def test_the_password_never_shows(mpboard_factory):
    simulator = mpboard_factory(password=PASSWORD)
    with simulator.telnet() as board:
        # The board echoes the line, so the password comes back in the raw answer too.
        board.send(f"echo {PASSWORD}")
        board.flash_set("WLAN_KEY", PASSWORD)
        last = board.last_exchange()
    texts = _texts(board.transcript) + [last.sent, last.received]
    assert not [text for text in texts if PASSWORD in text]
    # Masked as the library masks it: one '*' per character.
    stars = "*" * len(PASSWORD)
    assert board.transcript[1].sent == f"echo {stars}\r"
    assert board.transcript[1].received.startswith(f"echo {stars}\r\n")
    assert f"flash set WLAN_KEY {stars}" in board.transcript[2].sent


def test_failed_calls_are_recorded_with_their_status(mpboard_factory):
    simulator = mpboard_factory("--upper-case-ok")
    board = simulator.udp()
    with board:
        with pytest.raises(mpdll.ReplyError):
            board.test_mode_start()
    assert [(exchange.operation, exchange.status) for exchange in board.transcript] == [("mp_start", -30004)]
    assert board.transcript[0].received == "OK"


def test_a_board_without_transcript_records_nothing(mpboard):
    with mpboard.telnet(transcript=False) as board:
        board.enter_test_mode()
        assert board.flash_get("XCAP")
    assert board.transcript == [] and not board.records_transcript
