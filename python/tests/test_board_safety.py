"""A board shared by threads, dropped while open, inherited by a forked child,
or given a text holding a NUL: each call still gets its own answer, the
descriptors come back, the child finishes, and nothing is sent."""
import gc
import os
import threading
import time

import pytest

import mpdll

CALLS_PER_THREAD = 250
DROPPED_BOARDS = 200
CHILD_LIMIT_S = 20


def _descriptors():
    return len(os.listdir("/proc/self/fd"))


def test_two_threads_on_one_board_each_get_their_own_answer(mpboard):
    wrong = []

    def work(board, name):
        for number in range(CALLS_PER_THREAD):
            word = f"{name}-{number}"
            answer = board.send(word).strip()
            if answer != f"sh: {word}: not found":
                wrong.append((word, answer))

    with mpboard.telnet(transcript=False) as board:
        threads = [threading.Thread(target=work, args=(board, name)) for name in ("first", "second")]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
    assert wrong == []


def test_dropped_open_boards_give_their_descriptors_back(mpboard):
    gc.collect()
    before = _descriptors()
    boards = [mpboard.telnet().open() for _ in range(DROPPED_BOARDS)]
    assert _descriptors() >= before + DROPPED_BOARDS
    del boards
    gc.collect()
    assert _descriptors() == before


@pytest.mark.filterwarnings("ignore::DeprecationWarning")  # fork with threads running is what is tested
def test_a_child_forked_during_a_call_finishes(mpboard, mpboard_factory):
    board = mpboard_factory("--answer-delay", "600").telnet().open()
    busy = threading.Thread(target=board.send, args=("iwpriv wlan0 mp_query",))
    busy.start()
    time.sleep(0.2)  # the thread is inside the call, holding the board's and the exchange lock
    pid = os.fork()
    if pid == 0:
        code = 1
        try:
            with pytest.raises(mpdll.BoardNotOpen):
                board.send("ls")  # the parent's connection is not the child's
            with mpboard.telnet() as own:
                own.set_channel("6")
            code = 0
        finally:
            os._exit(code)
    deadline = time.monotonic() + CHILD_LIMIT_S
    while (ended := os.waitpid(pid, os.WNOHANG)) == (0, 0) and time.monotonic() < deadline:
        time.sleep(0.05)
    if ended == (0, 0):
        os.kill(pid, 9)
        os.waitpid(pid, 0)
    busy.join()
    assert ended != (0, 0), "the child hung"
    assert os.waitstatus_to_exitcode(ended[1]) == 0
    board.set_channel("6")  # the parent's connection is still its own
    board.close()


NUL_TEXTS = [
    pytest.param(lambda board: board.flash_set("SSID", "lab\x00-5G"), id="flash-value"),
    pytest.param(lambda board: board.flash_get("SS\x00ID"), id="flash-name"),
    pytest.param(lambda board: board.send("ls\x00 -l"), id="command-line"),
    pytest.param(lambda board: board.set_rate(b"54M\x00"), id="rate-bytes"),
    pytest.param(lambda board: board.tx_start(channel="6\x00", rate="54M"), id="transmit-channel"),
    pytest.param(lambda board: board.rx_start(channel="6", da="02:00:00:00:00:01\x00"), id="filter-address"),
    pytest.param(lambda board: board.telnet_send("ls\x00"), id="telnet-line"),
]


@pytest.fixture(scope="module")
def open_board(shared_simulator):
    with shared_simulator.telnet() as board:
        board.flash_set("SSID", "before")
        yield board


@pytest.mark.parametrize("action", NUL_TEXTS)
def test_a_text_holding_a_nul_is_refused_before_anything_is_sent(open_board, action):
    sent = len(open_board.transcript)
    with pytest.raises(ValueError, match="NUL"):
        action(open_board)
    assert len(open_board.transcript) == sent
    assert open_board.flash_get("SSID") == "before"
