"""Shared fixtures of the package's tests. The simulator fixtures (mpboard,
mpboard_factory) come from the package's own pytest plugin."""
from pathlib import Path

import pytest

from mpdll import BoardSimulator

REPO = Path(__file__).resolve().parents[2]
TRANSPORTS = ("telnet", "udp", "serial")


@pytest.fixture(params=TRANSPORTS)
def transport(request):
    return request.param


@pytest.fixture(scope="module")
def shared_simulator():
    """One simulator for a whole module of short board tests."""
    with BoardSimulator() as simulator:
        yield simulator


@pytest.fixture
def board(shared_simulator, transport):
    """An open board in test mode on each transport of the simulator (over UDP
    the test mode entry sends nothing, so the test mode is started there)."""
    with shared_simulator.board(transport) as opened:
        opened.enter_test_mode()
        if transport == "udp":
            opened.test_mode_start()
        yield opened
