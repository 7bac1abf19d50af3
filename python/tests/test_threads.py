"""Boards on several threads: each transcript holds its own exchanges only, and
boards run in parallel whether they record their transcript or not."""
import threading
import time

ROUNDS = 8
ANSWER_DELAY_MS = "100"


def _on_threads(work, count):
    """Runs work(index) on count threads at once; returns the seconds taken and
    re-raises the first failure."""
    failures = []

    def run(index):
        try:
            work(index)
        except Exception as error:  # handed to the test's thread below
            failures.append(error)

    threads = [threading.Thread(target=run, args=(index,)) for index in range(count)]
    start = time.monotonic()
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    if failures:
        raise failures[0]
    return time.monotonic() - start


def test_two_recording_boards_keep_their_own_exchanges(mpboard):
    boards = [mpboard.telnet(), mpboard.serial()]

    def work(index):
        with boards[index] as board:
            for round_number in range(ROUNDS * 3):
                board.send(f"echo board{index}-{round_number}")

    _on_threads(work, 2)
    for index, board in enumerate(boards):
        sends = [exchange for exchange in board.transcript if exchange.operation == "SendCommand"]
        assert [exchange.sent.rstrip("\r") for exchange in sends] == \
            [f"echo board{index}-{number}" for number in range(ROUNDS * 3)]
        assert all(f"board{index}-" in exchange.received for exchange in sends)


def test_a_recording_board_is_not_disturbed_by_parallel_boards(mpboard):
    recorder = mpboard.telnet()
    others = [mpboard.telnet(transcript=False), mpboard.udp(transcript=False)]

    def work(index):
        with (recorder if index == 0 else others[index - 1]) as board:
            for round_number in range(ROUNDS * 3):
                board.send(f"echo board{index}-{round_number}")

    _on_threads(work, 3)
    sends = [exchange for exchange in recorder.transcript if exchange.operation == "SendCommand"]
    assert len(sends) == ROUNDS * 3
    assert all(exchange.sent.startswith("echo board0-") and "board0-" in exchange.received for exchange in sends)


def _aggregate_rate(simulator, boards, transcript):
    """Commands per second of all boards together, each on its own thread."""
    opened = [simulator.telnet(transcript=transcript).open() for _ in range(boards)]
    try:
        seconds = _on_threads(lambda index: [opened[index].set_channel("6") for _ in range(ROUNDS)], boards)
    finally:
        for board in opened:
            board.close()
    return boards * ROUNDS / seconds


def test_recording_boards_run_in_parallel(mpboard_factory):
    simulator = mpboard_factory("--answer-delay", ANSWER_DELAY_MS)
    one = _aggregate_rate(simulator, 1, transcript=True)
    four_recording = _aggregate_rate(simulator, 4, transcript=True)
    four_silent = _aggregate_rate(simulator, 4, transcript=False)
    assert four_recording >= 3 * one, (one, four_recording)
    assert four_silent >= 3 * one, (one, four_silent)


def test_each_exchange_carries_its_start_and_duration(mpboard_factory):
    simulator = mpboard_factory("--answer-delay", ANSWER_DELAY_MS)
    before = time.time()
    with simulator.telnet() as board:
        board.send("echo timed")
    sends = [exchange for exchange in board.transcript if exchange.operation == "SendCommand"]
    assert before <= sends[0].started <= time.time()
    # The library counts whole milliseconds: allow it the one it may round away.
    assert sends[0].duration_ms >= int(ANSWER_DELAY_MS) - 1
    assert board.transcript[0].started <= sends[0].started
