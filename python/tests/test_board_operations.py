"""Every board operation once on each transport of the simulator: the line
the library sent for it (from the transcript) shows the method reached its
export with its arguments in order, and the values come back converted."""
import pytest

from mpdll import BoardNames, FilterAddresses, PacketCounters, RxCounters

TESTER = "00:11:22:33:44:55"

# (method, arguments, the last line sent or None where it varies by transport)
SETTINGS = [
    ("test_mode_start", (), "iwpriv wlan0 mp_start"),
    ("set_rate", ("54M",), "iwpriv wlan0 mp_rate 108"),
    ("set_channel", ("2437MHz",), "iwpriv wlan0 mp_channel 6"),
    ("set_bandwidth", (1, 0), "iwpriv wlan0 mp_bandwidth 40M=1,shortGI=0"),
    ("set_tx_power", (20, 21), "iwpriv wlan0 mp_txpower patha=20,pathb=21"),
    ("set_tx_power_text", ("addbyrate",), "iwpriv wlan0 mp_txpower addbyrate"),
    ("set_xcap", (12,), "iwpriv wlan0 mp_phypara xcap=12"),
    ("set_bssid", (TESTER,), f"iwpriv wlan0 mp_bssid {TESTER}"),
    ("set_tx_antenna", ("B",), "iwpriv wlan0 mp_ant_tx B"),
    ("set_rx_antenna", ("AB",), "iwpriv wlan0 mp_ant_rx AB"),
    ("tx_word", ("stop",), "iwpriv wlan0 mp_ctx stop"),
    ("rx_word", ("stop",), "iwpriv wlan0 mp_arx stop"),
    ("power_tracking_word", ("ther=20",), "iwpriv wlan0 mp_pwrtrk ther=20"),
    ("rx_on", (), "iwpriv wlan0 mp_arx start"),
    ("rx_off", (), "iwpriv wlan0 mp_arx stop"),
    ("filter_init", (), "iwpriv wlan0 mp_arx filter_init"),
    ("filter_sa", (TESTER,), f"iwpriv wlan0 mp_arx filter_SA={TESTER}"),
    ("filter_bssid", (TESTER,), f"iwpriv wlan0 mp_arx filter_BSSID={TESTER}"),
    ("filter_da", (TESTER,), f"iwpriv wlan0 mp_arx filter_DA={TESTER}"),
    ("filter_clean", (), "iwpriv wlan0 mp_arx filter_clean"),
    ("power_tracking_start", (21,), "iwpriv wlan0 mp_pwrtrk ther=21"),
    ("power_tracking_stop", (), "iwpriv wlan0 mp_pwrtrk stop"),
    ("tx_start", ("6", "MCS7"), "iwpriv wlan0 mp_ctx pkt,background"),
    ("tx_stop", (), "iwpriv wlan0 mp_ctx stop"),
    ("rx_start", ("11",), "iwpriv wlan0 mp_arx start"),
    ("rx_reset", (), "iwpriv wlan0 mp_arx start"),
    ("rx_stop", (), "iwpriv wlan0 mp_arx stop"),
    ("power_tracking_on", (22,), "iwpriv wlan0 mp_pwrtrk ther=22"),
    ("power_tracking_off", (), "iwpriv wlan0 mp_pwrtrk stop"),
    ("register_set", (0, 36, 0x1A2B), "orf 0 36 1a2b"),
    ("flash_set", ("HW_WLAN0_11N_XCAP", "41"), "flash set HW_WLAN0_11N_XCAP 41"),
]


@pytest.mark.parametrize("method, arguments, line", SETTINGS, ids=[entry[0] for entry in SETTINGS])
def test_setting_operations_send_their_line(board, method, arguments, line):
    assert getattr(board, method)(*arguments) is None
    exchange = board.transcript[-1]
    assert exchange.sent.rstrip("\r").lower() == line.lower()
    assert exchange.status == 0


def test_transmit_test_counts_and_reports_power(board, transport):
    board.tx_start(channel="6", rate="54M", mode="pkt", power_a=30, count=0)
    assert board.transcript[-1].sent.startswith("iwpriv wlan0 mp_ctx pkt,background")
    counters = board.query()
    assert isinstance(counters, PacketCounters) and counters.tx_ok > 0
    assert board.tssi() == 55  # the simulator reports 40 + path A / 2 while it transmits
    board.tx_start(channel="1", rate="1M", mode="stone", count=5, time=2)
    assert board.transcript[-1].sent.rstrip("\r") == "iwpriv wlan0 mp_ctx time=2,count=5,stone,background"
    board.tx_stop()


def test_receive_test_counts_and_filters(board, transport):
    board.rx_start(channel="6")
    first, second = board.rx_query(), board.rx_query()
    assert isinstance(first, RxCounters) and second.rx_ok > first.rx_ok > 0
    board.rx_start(channel="6", da=TESTER, bssid=TESTER)
    if transport != "udp":  # a UDP reply carries no report (see test_unwritten_values)
        assert board.filter_print() == FilterAddresses(da=TESTER, sa="00:00:00:00:00:00", bssid=TESTER)
    board.rx_stop()


@pytest.mark.parametrize("transport", ["telnet", "serial"])  # a UDP reply carries no reading
def test_thermal_readings(board):
    assert 20 <= board.thermal() <= 60
    board.power_tracking_on(20)
    assert 20 <= board.power_tracking_query() <= 60
    board.power_tracking_off()


def test_flash_and_registers_read_back_what_was_written(board):
    board.flash_set("XCAP", "37")
    assert board.flash_get("XCAP") == "37"
    board.register_set(1, 5, 0xDEADBEEF)
    assert board.register_get(1, 5) == 0xDEADBEEF


def test_chip_facts(board):
    assert board.chip_version().upper() == "B"
    assert board.hw_support() == "2"


def test_send_returns_the_answer_without_echo_and_prompt(board, transport):
    board.test_mode_start()
    answer = board.send("iwpriv wlan0 mp_query")
    assert "Tx OK:" in answer and "# " not in answer
    if transport != "udp":
        assert board.send("iwpriv wlan0 mp_query", keep_prompt=True).endswith("# ")


def test_command_texts_use_the_board_names(mpboard):
    board = mpboard.telnet(if_name="wlan1", tool="/bin/mptool", chip="mxr4700la")
    assert board.command_names() == BoardNames("wlan1", "/bin/mptool", 1)
    assert board.command_template("iwpriv wlan0 mp_start") == "/bin/mptool wlan1 mp_start"
    assert board.command_text(3) == "/bin/mptool wlan1 mp_channel %d"
    assert board.command_text(3, raw=True) == "iwpriv wlan0 mp_channel %d"


def test_command_timeout_goes_into_the_record(mpboard):
    board = mpboard.udp()
    board.set_command_timeout(1234)
    assert board.record.cmdTimeout == 1234


def test_telnet_transport_primitives(mpboard):
    with mpboard.telnet() as board:
        board.telnet_send("iwpriv wlan0 mp_start")
        answer = board.telnet_receive()
        assert answer.startswith("iwpriv wlan0 mp_start") and answer.endswith("# ")
        assert board.prompt_position(answer) == len(answer) - 2
        assert board.prompt_position("no prompt here") is None


def test_serial_transport_primitives(mpboard):
    with mpboard.serial() as board:
        board.serial_send("iwpriv wlan0 mp_start")
        answer = board.serial_receive()
        assert answer.startswith("iwpriv wlan0 mp_start") and answer.endswith("# ")
