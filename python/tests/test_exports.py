"""Every export of the library has its prototype in the package and a Python
way to call it, and each prototype takes the argument bytes the export list
gives the 32-bit stdcall name (every argument is 4 bytes there)."""
import mpdll
from conftest import REPO
from mpdll.board import Board
from mpdll.library import EXTENSION_PROTOTYPES, PROTOTYPES

# The Python name that calls each export: a Board method or a module function.
CALLERS = dict(row.split() for row in """
    OpenDev              Board.open
    CloseDev             Board.close
    DevTimeout           Board.set_command_timeout
    TelnetSnd            Board.telnet_send
    TelnetRcv            Board.telnet_receive
    RcvPrompt            Board.prompt_position
    TelnetNegotiate      telnet_negotiate
    TelnetReplay         telnet_reply
    SerialSnd            Board.serial_send
    SerialRcv            Board.serial_receive
    SendCommand          Board.send
    FormatReceiveData    trim_response
    GetBuffer            Board.last_exchange
    FormatBuffer         normal_form
    IsBufferOk           is_ok
    EnterMP              Board.enter_test_mode
    mp_command_d2s       Board.command_names
    mp_command_s2s       Board.command_template
    mp_command_c2s       Board.command_text
    mp_rate_s2i          rate_code
    mp_channel_s2i       channel_number
    GetHwSupport         Board.hw_support
    GetChipVersion       Board.chip_version
    mp_start             Board.test_mode_start
    mp_stop              Board.test_mode_stop
    mp_rate              Board.set_rate
    mp_channel           Board.set_channel
    mp_bandwidth         Board.set_bandwidth
    mp_txpower           Board.set_tx_power
    mp_txpower_a         Board.set_tx_power_text
    mp_phypara           Board.set_xcap
    mp_bssid             Board.set_bssid
    mp_ant_tx            Board.set_tx_antenna
    mp_ant_rx            Board.set_rx_antenna
    mp_arx               Board.rx_word
    mp_ctx               Board.tx_word
    mp_pwrtrk            Board.power_tracking_word
    mp_arx_start         Board.rx_on
    mp_arx_stop          Board.rx_off
    mp_arx_filter_init   Board.filter_init
    mp_arx_filter_clean  Board.filter_clean
    mp_arx_filter_da     Board.filter_da
    mp_arx_filter_sa     Board.filter_sa
    mp_arx_filter_bssid  Board.filter_bssid
    mp_arx_filter_print  Board.filter_print
    mp_query             Board.query
    mp_ther              Board.thermal
    mp_tssi              Board.tssi
    mp_pwrtrk_start      Board.power_tracking_start
    mp_pwrtrk_stop       Board.power_tracking_stop
    TxStart              Board.tx_start
    TxStop               Board.tx_stop
    RxStart              Board.rx_start
    RxStartWithFilter    Board.rx_start
    RxQuery              Board.rx_query
    RxResetCounter       Board.rx_reset
    RxStop               Board.rx_stop
    PowerTrackingOn      Board.power_tracking_on
    PowerTrackingQuery   Board.power_tracking_query
    PowerTrackingOff     Board.power_tracking_off
    FlashGet             Board.flash_get
    FlashSet             Board.flash_set
    RegisterGet          Board.register_get
    RegisterSet          Board.register_set
    Hex2Dec              hex_table
    DecPowerIndex        decode_power_index
    HexPowerIndex        encode_power_index
    DiffDec2Hex          difference_digit
    DiffHex2Dec          difference_pair
""".strip().splitlines())


def _export_list(extensions=False):
    """The 69 exports, or the extensions (named Mpdll...) listed after them."""
    exports = {}
    for line in (REPO / "src" / "exports" / "exports.txt").read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            name, argument_bytes = line.split()
            if name.startswith("Mpdll") == extensions:
                exports[name] = int(argument_bytes)
    return exports


def test_every_extension_has_a_prototype_with_its_argument_bytes():
    extensions = _export_list(extensions=True)
    assert set(EXTENSION_PROTOTYPES) == set(extensions)
    assert {name: 4 * len(arguments) for name, (_, arguments) in EXTENSION_PROTOTYPES.items()} == extensions


def test_every_export_has_a_prototype_with_its_argument_bytes():
    exports = _export_list()
    assert len(exports) == 69
    assert set(PROTOTYPES) == set(exports)
    wrong = {name: (4 * len(PROTOTYPES[name][1]), size) for name, size in exports.items()
             if 4 * len(PROTOTYPES[name][1]) != size}
    assert not wrong, "prototype bytes, export list bytes"


def test_every_export_has_a_python_caller():
    assert set(CALLERS) == set(_export_list())
    for export, caller in CALLERS.items():
        owner, _, name = caller.rpartition(".")
        assert callable(getattr(Board if owner else mpdll, name)), f"{export}: {caller}"

