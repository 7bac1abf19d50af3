"""A value the library did not write is no value: where the board's answer
carries none (over UDP the readings' replies only say "ok"), the call raises
ReplyError with what the board answered, instead of handing back whatever the
output held."""
import pytest

import mpdll

# Calls whose UDP reply carries no value (over telnet and serial they read one:
# test_board_operations).
READINGS = [
    pytest.param("mp_ther", lambda board: board.thermal(), id="thermal"),
    pytest.param("PowerTrackingQuery", lambda board: board.power_tracking_query(), id="power-tracking"),
    pytest.param("mp_arx_filter_print", lambda board: board.filter_print(), id="filter-report"),
]


@pytest.mark.parametrize("export, read", READINGS)
def test_readings_without_a_value_raise(shared_simulator, export, read):
    with shared_simulator.udp() as board:
        board.test_mode_start()
        with pytest.raises(mpdll.ReplyError) as raised:
            read(board)
    assert (raised.value.operation, raised.value.status, raised.value.answer) == (export, -30004, "ok")
    assert board.transcript[-1].status == 0  # the library itself passed the reply


@pytest.mark.parametrize("export, read", READINGS)
def test_boards_without_transcript_raise_without_the_answer(shared_simulator, export, read):
    with shared_simulator.udp(transcript=False) as board:
        board.test_mode_start()
        with pytest.raises(mpdll.ReplyError) as raised:
            read(board)
    assert raised.value.answer is None and "wrote no value" in str(raised.value)


def test_values_the_library_writes_pass_over_udp(shared_simulator):
    with shared_simulator.udp() as board:
        board.test_mode_start()
        board.tx_start(channel="6", rate="54M")
        assert board.tssi() == 55
        assert board.query().tx_ok > 0
        assert board.flash_get("XCAP").isdigit()
        board.register_set(1, 7, 0x1234)
        assert board.register_get(1, 7) == 0x1234
        board.tx_stop()
