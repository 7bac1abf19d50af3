"""Strict boards: names the library would guess at are refused before
anything is sent, a refusal in a setting command's answer over telnet and
serial raises ReplyError carrying the answer, and procedures run step by step
send exactly the library's lines."""
import pytest

import mpdll
from mpdll.strict_checks import checked_channel, checked_rate

LOCAL_TRANSPORTS = ("telnet", "serial")


@pytest.mark.parametrize("rate", ["54M", "54m", "5.5M", "1M", "MCS0", "mcs7", "MCS15", "108", "135", "2"])
def test_known_rates_pass(rate):
    assert checked_rate(rate) == rate


@pytest.mark.parametrize("rate", ["55M", "banana", "", "MCS16", "MCS07", "54", " 54M", "136M"])
def test_unknown_rates_are_refused(rate):
    with pytest.raises(ValueError, match="rate"):
        checked_rate(rate)


@pytest.mark.parametrize("channel", ["1", "6", "14", "36", "64", "100", "144", "149", "165", "177", "06",
                                     "2412", "2437MHz", "2484 MHz", "5180", "5825mhz"])
def test_channels_and_centre_frequencies_pass(channel):
    assert checked_channel(channel) == channel


@pytest.mark.parametrize("channel", ["0", "15", "35", "38", "99", "145", "181", "2413", "2437.5", "ch 1, 40M",
                                     "6MHz", "none", "", "5170", "99999999999"])
def test_unknown_channels_are_refused(channel):
    with pytest.raises(ValueError, match="channel"):
        checked_channel(channel)


# Calls whose names a strict board refuses before sending anything.
UNKNOWN_NAMES = [
    pytest.param(lambda board: board.set_rate("55M"), id="rate-55M"),
    pytest.param(lambda board: board.set_rate("banana"), id="rate-banana"),
    pytest.param(lambda board: board.set_channel("99"), id="channel-99"),
    pytest.param(lambda board: board.tx_start(channel="6", rate="banana"), id="transmit-rate"),
    pytest.param(lambda board: board.tx_start(channel="99", rate="54M"), id="transmit-channel"),
    pytest.param(lambda board: board.rx_start(channel="ch 1, 40M"), id="receive-channel"),
]


@pytest.mark.parametrize("action", UNKNOWN_NAMES)
def test_strict_boards_send_nothing_for_unknown_names(shared_simulator, transport, action):
    with shared_simulator.board(transport, strict=True) as board:
        sent = len(board.transcript)
        with pytest.raises(ValueError):
            action(board)
        assert len(board.transcript) == sent


def test_the_library_alone_guesses_at_unknown_names(shared_simulator):
    with shared_simulator.telnet() as board:
        board.enter_test_mode()
        board.set_rate("banana")
        assert board.transcript[-1].sent == "iwpriv wlan0 mp_rate 135\r"


# (what the boards are made with, whether the test mode is on, the call, the refusal the answer holds)
REFUSALS = [
    pytest.param({}, False, lambda board: board.tx_start(channel="6", rate="54M"),
                 "mp_bandwidth: Operation not permitted (test mode is off)", id="transmit-before-entry"),
    pytest.param({}, True, lambda board: board.set_tx_antenna("C"), "mp_ant_tx: Invalid argument",
                 id="antenna"),
    pytest.param({}, True, lambda board: board.tx_start(channel="6", rate="54M", antenna="C"),
                 "mp_ant_tx: Invalid argument", id="transmit-antenna-mid-procedure"),
    pytest.param({}, False, lambda board: board.flash_set("BAD-NAME", "1"),
                 "flash: BAD-NAME: invalid parameter name", id="flash-name"),
    pytest.param({}, False, lambda board: board.register_set(9, 0, 1), "orf: usage: orf PATH(0-3)",
                 id="register-path"),
    pytest.param({"if_name": "wlan7"}, False, lambda board: board.test_mode_start(),
                 "iwpriv: wlan7: No such device", id="interface"),
    pytest.param({"tool": "mptool"}, False, lambda board: board.set_channel("6"), "sh: mptool: not found",
                 id="tool"),
    pytest.param({"refusals": mpdll.REFUSALS + ("flag:",)}, True, lambda board: board.filter_clean(),
                 "mp_arx:FLAG:0", id="caller-extended-list"),
]


@pytest.mark.parametrize("transport", LOCAL_TRANSPORTS)
@pytest.mark.parametrize("options, entered, action, refusal", REFUSALS)
def test_strict_boards_raise_on_refusals(shared_simulator, transport, options, entered, action, refusal):
    # The simulator's radio is one for all its connections: the lenient board
    # sets its test mode for both (a strict board would be refused stopping
    # a test mode that is off).
    with shared_simulator.board(transport, **options) as lenient:
        if entered:
            lenient.enter_test_mode()
        else:
            lenient.test_mode_stop()
        action(lenient)  # the library takes any answer over telnet and serial
        with shared_simulator.board(transport, strict=True, **options) as strict:
            with pytest.raises(mpdll.ReplyError) as raised:
                action(strict)
    assert refusal in raised.value.answer
    assert repr(raised.value.answer) in str(raised.value)
    assert raised.value.status == -30004


def test_strict_boards_pass_answers_without_refusals(shared_simulator, transport):
    with shared_simulator.board(transport, strict=True) as board:
        board.enter_test_mode()
        board.test_mode_start()
        board.tx_start(channel="2437MHz", rate="MCS3", count=50)
        board.tx_stop()
        board.rx_start(channel="11", da="02:00:00:00:00:01")
        board.rx_stop()
        board.flash_set("NOTE", "no-error-here")  # the echo holds a refusal word, the answer does not
        assert board.flash_get("NOTE") == "no-error-here"


def test_udp_answers_are_judged_by_the_library_alone(mpboard_factory):
    simulator = mpboard_factory("--upper-case-ok")
    with simulator.udp(strict=True) as board:
        with pytest.raises(mpdll.ReplyError) as raised:
            board.set_rate("54M")
    assert raised.value.reason is None and raised.value.status == -30004


PROCEDURES = [
    pytest.param(lambda board: board.tx_start(channel="6", rate="54M"), id="transmit"),
    pytest.param(lambda board: board.tx_start(channel="5180", rate="MCS9", mode="stone", bw40=1, short_gi=1,
                                              antenna="AB", power_a=20, power_b=22, count=5, time=2),
                 id="transmit-stone-limited"),
    pytest.param(lambda board: board.tx_start(channel="1", rate="1M", mode="background", count=9),
                 id="transmit-background"),
    pytest.param(lambda board: board.tx_start(channel="1", rate="1M", mode="cs", time=3), id="transmit-cs"),
    pytest.param(lambda board: board.rx_start(channel="11", antenna="B"), id="receive"),
    pytest.param(lambda board: board.rx_start(channel="11", da="02:00:00:00:00:01", bssid="02:00:00:00:00:09"),
                 id="receive-filtered"),
    pytest.param(lambda board: board.rx_start(channel="11", sa="02:00:00:00:00:02"), id="receive-source"),
    pytest.param(lambda board: board.rx_stop(), id="receive-stop"),
]


def _lines_sent(log):
    return [line.split(" serial < ", 1)[1] for line in log.read_text().splitlines() if " serial < " in line]


@pytest.mark.parametrize("procedure", PROCEDURES)
def test_strict_procedures_send_the_library_s_lines(mpboard_factory, tmp_path, procedure):
    logs = {strict: tmp_path / f"strict-{strict}.log" for strict in (False, True)}
    for strict, log in logs.items():
        with mpboard_factory("--log", str(log)).serial(strict=strict) as board:
            board.enter_test_mode()
            procedure(board)
    library_lines = _lines_sent(logs[False])
    assert len(library_lines) > 5  # the entry and the procedure
    assert _lines_sent(logs[True]) == library_lines
