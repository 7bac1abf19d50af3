"""The pytest plugin of mpdll (registered as an entry point): fixtures that
start the bundled board simulator, so a station script can test itself
without a board, and the measurements of mpdll.expect() in each test's report.

    def test_station(mpboard):
        with mpboard.telnet() as board:
            board.enter_test_mode()
            mpdll.expect("xcap", int(board.flash_get("XCAP")), low=20, high=40)

    @pytest.mark.parametrize("mpboard", [[], ["--answer-delay", "50"], {"password": "other"}], indirect=True)
    def test_each_board(mpboard): ...

mpboard is a running BoardSimulator (its telnet_host, telnet_port, udp_host,
serial_path, user, password and prompt, and Board constructors for each
transport). Parametrised indirectly, each parameter makes a board of its own:
a list of simulator options, or a dict of BoardSimulator keywords whose
"arguments" are the options. mpboard_factory starts more, with options of
their own. Each expect() of a test is added to its user properties (name,
then value, limit and verdict), which pytest's --junitxml writes out.
"""
import pytest

from .limits import expectations
from .simulator import BoardSimulator


def _simulator(parameter):
    if parameter is None:
        return BoardSimulator()
    if isinstance(parameter, dict):
        keywords = dict(parameter)
        return BoardSimulator(*keywords.pop("arguments", ()), **keywords)
    return BoardSimulator(*parameter)


@pytest.fixture
def mpboard(request):
    """A board simulator on free endpoints, stopped after the test; made with
    the test's parameter when it is parametrised indirectly."""
    with _simulator(getattr(request, "param", None)) as simulator:
        yield simulator


@pytest.fixture
def mpboard_factory():
    """Starts simulators: mpboard_factory("--answer-delay", "50", password="x"), or a recorded
    board replayed: mpboard_factory("--replay", "board.cast")."""
    started = []

    def start(*arguments, **options):
        simulator = BoardSimulator(*arguments, **options).start()
        started.append(simulator)
        return simulator

    yield start
    for simulator in started:
        simulator.stop()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_call(item):
    measurements = []
    token = expectations.set(measurements)
    try:
        yield
    finally:
        expectations.reset(token)
        for measurement in measurements:
            unit = f" {measurement.limit.unit}" if measurement.limit.unit else ""
            item.user_properties.append(
                (measurement.name, f"{measurement.value!r}{unit} [{measurement.limit}] {measurement.verdict}"))
