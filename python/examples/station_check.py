"""A station check on one board: python3 station_check.py HOST[:PORT] PASSWORD"""
import sys

import mpdll

host, _, port = sys.argv[1].partition(":")
with mpdll.Board.telnet(host, port=port or None, password=sys.argv[2]) as board:
    board.enter_test_mode()
    board.tx_start(channel="6", rate="54M", power_a=30)
    print("TSSI:", board.tssi(), "transmitted:", board.query().tx_ok)
    board.tx_stop()
    board.rx_start(channel="6")
    print("received:", board.rx_query().rx_ok, "thermal:", board.thermal())
    print("XCAP:", board.flash_get("XCAP"), "register 0/36:", hex(board.register_get(0, 36)))
    print("exchanges:", len(board.transcript), "last:", board.transcript[-1].sent.strip())
