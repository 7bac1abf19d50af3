"""A station testing boards at once over telnet, with limits, a record per
board, JUnit and CSV: python3 station_boards.py OUT_DIR PASSWORD SERIAL=HOST:PORT..."""
import sys

import mpdll

def transmit(board, test):
    board.tx_start(channel="6", rate="54M", power_a=30, count=100)
    test.measure("tssi", board.tssi(), low=50, high=60, unit="dB")
    test.measure("tx_ok", board.query().tx_ok, low=90, unit="packets")
    board.tx_stop()


def check(board, test):
    with test.step("enter"):
        board.enter_test_mode()
        test.measure("chip_version", board.chip_version().upper(), one_of=("B", "C"))
    test.step("transmit", transmit, retries=1)
    with test.step("receive"):
        board.rx_start(channel="6")
        counters = board.rx_query()
        test.measure("rx_ok", counters.rx_ok, low=100, unit="packets")
        test.measure("crc_error", counters.crc_error, high=5, unit="packets")
        board.rx_stop()
    with test.step("calibration"):
        test.measure("thermal", board.thermal(), low=20, high=60)
        test.measure("xcap", int(board.flash_get("XCAP")), low=20, high=40)


def telnet(address):
    host, _, port = address.rpartition(":")
    return mpdll.Board.telnet(host, port=port, password=sys.argv[2], strict=True)


boards = {serial: telnet(address) for serial, _, address in (word.partition("=") for word in sys.argv[3:])}
run = mpdll.Station("line-3", check, output_dir=sys.argv[1]).run(boards)
print(f"{run.summary()}\nfiles: {run.directory}")
sys.exit(0 if run.passed else 1)
