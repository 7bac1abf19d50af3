"""A board recorded with MPDLL_RECORD and replayed by mpboard_factory("--replay", path)
answers a station script as the board did."""
import pathlib

import pytest


def station_script(board):
    board.enter_test_mode()
    first = board.flash_get("XCAP")
    board.flash_set("XCAP", "41")
    return [first, board.flash_get("XCAP"), board.chip_version()]


@pytest.mark.parametrize("transport", ["telnet", "serial"])
def test_a_recorded_board_replays_with_its_answers(mpboard_factory, tmp_path, monkeypatch, transport):
    recorded = tmp_path / "recorded"
    recorded.mkdir()
    monkeypatch.setenv("MPDLL_RECORD", str(recorded))
    with mpboard_factory("--answer-delay", "50").board(transport) as board:
        answers = station_script(board)
    monkeypatch.delenv("MPDLL_RECORD")
    (recording,) = recorded.iterdir()

    replay = mpboard_factory("--replay", str(recording), "--replay-speed", "0")
    with replay.board(transport) as board:
        assert station_script(board) == answers == ["32", "41", "B"]
        assert board.send("reboot").strip() == "sh: reboot: not found"
