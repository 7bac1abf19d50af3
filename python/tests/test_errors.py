"""Failures raise the MpdllError subclass of their status, carrying the
number, its meaning and the export; and a board closes on every way out of
its with block."""
import pytest

import mpdll
from mpdll import Board, DevContext, errors


def _wrong_mode_record():
    record = DevContext()
    record.mode = 3
    return record


def _nothing(board):
    """For boards whose open is what fails."""


# (simulator options, the board, what to do with it open, exception, status, export)
FAILURES = [
    pytest.param((), lambda sim: sim.telnet(), lambda board: board.command_text(50),
                 mpdll.CommandIdError, -30001, "mp_command_c2s", id="command-id"),
    pytest.param((), lambda sim: sim.telnet(), lambda board: board.flash_set("XCAP", "1" * 20000),
                 mpdll.ArgumentError, -30007, "FlashSet", id="argument-too-long"),
    pytest.param((), lambda sim: Board(_wrong_mode_record(), "mode 3"), _nothing,
                 mpdll.OpenModeError, -30005, "OpenDev", id="open-mode"),
    pytest.param(("--login-fail-delay", "100"), lambda sim: sim.telnet(password="wrong"), _nothing,
                 mpdll.OpenError, -30006, "OpenDev", id="telnet-login-refused"),
    pytest.param((), lambda sim: Board.serial("/nonexistent/console"), _nothing,
                 mpdll.OpenError, -30006, "OpenDev", id="serial-no-port"),
    pytest.param(("--upper-case-ok",), lambda sim: sim.udp(), lambda board: board.set_rate("54M"),
                 mpdll.ReplyError, -30004, "mp_rate", id="udp-reply-without-ok"),
    pytest.param((), lambda sim: Board.udp("255.255.255.255"), lambda board: board.send("ls"),
                 mpdll.TransportError, -30002, "SendCommand", id="udp-send-refused"),
    pytest.param(("--no-prompt",), lambda sim: sim.serial(), lambda board: board.send("ls"),
                 mpdll.SerialTimeoutError, -30003, "SendCommand", id="serial-no-prompt"),
]


@pytest.mark.parametrize("options, make, action, kind, status, export", FAILURES)
def test_failures_raise_their_status_class(mpboard_factory, options, make, action, kind, status, export):
    board = make(mpboard_factory(*options))
    with pytest.raises(kind) as raised:
        with board:
            action(board)
    assert not board.is_open
    assert isinstance(raised.value, mpdll.MpdllError)
    assert (raised.value.status, raised.value.operation) == (status, export)
    assert raised.value.meaning == mpdll.status_meaning(status) != "unknown status"
    assert str(status) in str(raised.value)


def test_a_connection_reset_raises_a_socket_error(mpboard_factory):
    simulator = mpboard_factory("--reset-after", "10")
    with simulator.telnet() as board:
        with pytest.raises(mpdll.SocketError) as raised:
            for _ in range(3):
                board.send("iwpriv wlan0 mp_query")
    assert raised.value.status > 0
    assert raised.value.meaning.startswith(f"socket error {raised.value.status}: ")


def test_a_mode_the_library_does_not_know_raises_mode_error(mpboard):
    with mpboard.telnet() as board:
        board.record.mode = 3
        with pytest.raises(mpdll.ModeError) as raised:
            board.send("ls")
        board.record.mode = mpdll.MODE_TELNET
    assert raised.value.status == -30000


@pytest.mark.parametrize("status, kind", [
    (-30000, mpdll.ModeError), (-30001, mpdll.CommandIdError), (-30002, mpdll.TransportError),
    (-30003, mpdll.SerialTimeoutError), (-30004, mpdll.ReplyError), (-30005, mpdll.OpenModeError),
    (-30006, mpdll.OpenError), (-30007, mpdll.ArgumentError), (111, mpdll.SocketError), (-5, mpdll.MpdllError),
])
def test_every_status_has_its_class(status, kind):
    assert type(errors.error_for(status, "X")) is kind


def test_operations_need_an_open_board(mpboard):
    board = mpboard.telnet()
    with pytest.raises(mpdll.BoardNotOpen):
        board.flash_get("XCAP")
    with board:
        board.test_mode_start()
    with pytest.raises(mpdll.BoardNotOpen):
        board.test_mode_start()


@pytest.mark.parametrize("transport", ["telnet", "udp", "serial"])
def test_the_with_block_closes_on_an_exception(mpboard, transport):
    board = mpboard.board(transport)
    with pytest.raises(mpdll.CommandIdError):
        with board:
            assert board.is_open and board.record.openFlags == board.record.mode
            board.command_text(999)
    assert not board.is_open
    assert board.record.openFlags == 0 and board.record.mode == 0
    with pytest.raises(KeyError):
        with board:
            raise KeyError("the station script's own failure")
    assert not board.is_open and board.record.openFlags == 0
    # The serial console takes one client at a time: it is free again.
    with board:
        board.test_mode_start()


def test_a_closed_telnet_board_releases_its_socket(mpboard):
    with mpboard.telnet() as board:
        assert board.record.telnetSocket >= 0
    assert board.record.telnetSocket == -1


def test_record_fields_that_do_not_fit_are_refused():
    with pytest.raises(ValueError):
        Board.telnet("127.0.0.1", password="p" * 20)
    with pytest.raises(ValueError):
        Board.udp("127.0.0.1", prompt="#" * 50)
    with pytest.raises(ValueError):
        Board.serial("/dev/ttyS0", parity="sometimes")


def test_open_error_says_where_and_why(mpboard):
    board = mpboard.telnet(password="not-the-password")
    with pytest.raises(mpdll.OpenError) as raised:
        board.open()
    assert raised.value.step == "password"
    assert "the login was refused" in raised.value.reason
    assert "Login incorrect" in raised.value.last_heard
    assert "not-the-password" not in str(raised.value)
