"""Board(..., prompt_settle_ms=...) reaches the library (MpdllSetPromptSettle)
at the open: on a board that writes an answer in pieces, one of them ending
with the prompt's text, the settle keeps the answer whole where the default
ends it at that text. Values the library would refuse raise ValueError
before a board exists."""
import pytest

from mpdll import BoardSimulator
from mpdll.board import MODE_UDP, Board
from mpdll.dev_context import DevContext

# Answers in pieces of 11 bytes, 150 ms apart: "NOTE=left# " is one piece.
PIECES = ("--chunk-size", "11", "--chunk-delay", "150")


@pytest.mark.parametrize("transport", ["telnet", "serial"])
def test_the_settle_keeps_an_answer_whole_past_the_prompts_text(transport):
    with BoardSimulator(*PIECES) as simulator:
        with simulator.board(transport, prompt_settle_ms=400) as board:
            assert board.prompt_settle_ms == 400
            board.send("flash set NOTE left# right")
            assert board.send("flash get NOTE") == "\r\nNOTE=left# right\r\n"
        with simulator.board(transport) as board:
            assert board.send("flash get NOTE") == "\r\nNOTE=left"


def _udp_board(prompt_settle_ms):
    record = DevContext()
    record.mode = MODE_UDP
    return Board(record, "udp", prompt_settle_ms=prompt_settle_ms)


@pytest.mark.parametrize("make", [
    lambda: Board.telnet("127.0.0.1", prompt_settle_ms=-1),
    lambda: Board.serial("/dev/ttyS0", prompt_settle_ms=2001),
    lambda: _udp_board(100),
], ids=["negative", "above the longest", "udp board"])
def test_a_settle_the_library_refuses_raises_value_error(make):
    with pytest.raises(ValueError, match="prompt_settle_ms|prompt to settle"):
        make()
