"""The pytest plugin of mpdll (registered as an entry point): fixtures that
start the bundled board simulator, so a station script can test itself
without a board.

    def test_station(mpboard):
        with mpboard.telnet() as board:
            board.enter_test_mode()
            assert board.flash_get("XCAP")

mpboard is a running BoardSimulator (its telnet_host, telnet_port, udp_host,
serial_path, user, password and prompt, and Board constructors for each
transport); mpboard_factory starts more, with simulator options of their own.
"""
import pytest

from .simulator import BoardSimulator


@pytest.fixture
def mpboard():
    """A board simulator on free endpoints, stopped after the test."""
    with BoardSimulator() as simulator:
        yield simulator


@pytest.fixture
def mpboard_factory():
    """Starts simulators: mpboard_factory("--answer-delay", "50", password="x")."""
    started = []

    def start(*arguments, **options):
        simulator = BoardSimulator(*arguments, **options).start()
        started.append(simulator)
        return simulator

    yield start
    for simulator in started:
        simulator.stop()
