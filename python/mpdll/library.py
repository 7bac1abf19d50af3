"""Finding and loading the mpdll shared library, with the C prototype of
every export it has.

The library is looked for, in this order: the path in the environment
variable MPDLL_LIBRARY; a copy next to this package; the installed library
that the platform's loader finds by name. On Windows it is loaded as a WinDLL:
the 32-bit product DLL uses the stdcall convention and exports decorated
names (_OpenDev@4), which ctypes resolves for stdcall functions by itself.
"""
import ctypes
import ctypes.util
import os
import threading
from ctypes import POINTER, c_char, c_char_p, c_int32, c_uint32, c_void_p

from .dev_context import WINDOWS, DevContext

LIBRARY_VARIABLE = "MPDLL_LIBRARY"
PACKAGE_DIR = os.path.dirname(os.path.abspath(__file__))

if WINDOWS:
    FILE_NAMES = ("mpdll.dll",)
    LOADER = ctypes.WinDLL
else:
    FILE_NAMES = ("libmpdll.so", "libmpdll.dylib")
    LOADER = ctypes.CDLL

_dev = POINTER(DevContext)
_int_out = POINTER(c_int32)
_table = POINTER(c_int32)

# Every export: (result type, argument types), as in include/mpdll/mpdll.h.
PROTOTYPES = {
    "OpenDev": (c_int32, [_dev]),
    "CloseDev": (c_int32, [_dev, c_uint32]),
    "DevTimeout": (c_void_p, [_dev, c_int32]),
    "TelnetSnd": (c_int32, [_dev, c_char_p, c_int32]),
    "TelnetRcv": (c_int32, [_dev, c_void_p, c_int32, _int_out, c_int32]),
    "RcvPrompt": (c_int32, [_dev, c_char_p, c_int32]),
    "TelnetNegotiate": (c_int32, [c_char_p, c_int32, c_void_p, _int_out]),
    "TelnetReplay": (c_int32, [c_char_p, c_int32, c_void_p, _int_out]),
    "SerialSnd": (c_int32, [_dev, c_char_p, c_int32]),
    "SerialRcv": (c_int32, [_dev, c_void_p, c_int32, _int_out, c_int32]),
    "SendCommand": (c_int32, [_dev, c_char_p, c_void_p, c_int32, c_int32, c_int32]),
    "FormatReceiveData": (c_int32, [c_char_p, c_char_p, c_char_p, c_void_p, c_int32]),
    "GetBuffer": (c_int32, [_dev, c_void_p, c_int32, c_void_p, c_int32]),
    "FormatBuffer": (c_int32, [c_char_p, c_void_p, c_int32]),
    "IsBufferOk": (c_int32, [c_char_p]),
    "EnterMP": (c_int32, [_dev]),
    "mp_command_d2s": (c_int32, [_dev, c_void_p, c_void_p, _int_out]),
    "mp_command_s2s": (c_int32, [_dev, c_char_p, c_void_p]),
    "mp_command_c2s": (c_int32, [_dev, c_uint32, c_void_p, c_int32]),
    "mp_rate_s2i": (c_int32, [c_char_p]),
    "mp_channel_s2i": (c_int32, [c_char_p]),
    "GetHwSupport": (c_int32, [_dev, c_void_p]),
    "GetChipVersion": (c_int32, [_dev, c_void_p]),
    "mp_start": (c_int32, [_dev]),
    "mp_stop": (c_int32, [_dev]),
    "mp_rate": (c_int32, [_dev, c_char_p]),
    "mp_channel": (c_int32, [_dev, c_char_p]),
    "mp_bandwidth": (c_int32, [_dev, c_int32, c_int32]),
    "mp_txpower": (c_int32, [_dev, c_int32, c_int32]),
    "mp_txpower_a": (c_int32, [_dev, c_char_p]),
    "mp_phypara": (c_int32, [_dev, c_int32]),
    "mp_bssid": (c_int32, [_dev, c_char_p]),
    "mp_ant_tx": (c_int32, [_dev, c_char_p]),
    "mp_ant_rx": (c_int32, [_dev, c_char_p]),
    "mp_arx": (c_int32, [_dev, c_char_p]),
    "mp_ctx": (c_int32, [_dev, c_char_p]),
    "mp_pwrtrk": (c_int32, [_dev, c_char_p]),
    "mp_arx_start": (c_int32, [_dev]),
    "mp_arx_stop": (c_int32, [_dev]),
    "mp_arx_filter_init": (c_int32, [_dev]),
    "mp_arx_filter_clean": (c_int32, [_dev]),
    "mp_arx_filter_da": (c_int32, [_dev, c_char_p]),
    "mp_arx_filter_sa": (c_int32, [_dev, c_char_p]),
    "mp_arx_filter_bssid": (c_int32, [_dev, c_char_p]),
    "mp_arx_filter_print": (c_int32, [_dev, c_void_p, c_void_p, c_void_p]),
    "mp_query": (c_int32, [_dev, _int_out, _int_out, _int_out, _int_out]),
    "mp_ther": (c_int32, [_dev, _int_out]),
    "mp_tssi": (c_int32, [_dev, _int_out]),
    "mp_pwrtrk_start": (c_int32, [_dev, c_int32]),
    "mp_pwrtrk_stop": (c_int32, [_dev]),
    "TxStart": (c_int32, [_dev, c_uint32, c_int32, c_int32, c_char_p, c_char_p, c_char_p,
                          c_int32, c_int32, c_int32, c_int32]),
    "TxStop": (c_int32, [_dev]),
    "RxStart": (c_int32, [_dev, c_int32, c_int32, c_char_p, c_char_p]),
    "RxStartWithFilter": (c_int32, [_dev, c_int32, c_int32, c_char_p, c_char_p, c_char_p, c_char_p, c_char_p]),
    "RxQuery": (c_int32, [_dev, _int_out, _int_out]),
    "RxResetCounter": (c_int32, [_dev]),
    "RxStop": (c_int32, [_dev]),
    "PowerTrackingOn": (c_int32, [_dev, c_int32]),
    "PowerTrackingQuery": (c_int32, [_dev, _int_out]),
    "PowerTrackingOff": (c_int32, [_dev]),
    "FlashGet": (c_int32, [_dev, c_char_p, c_void_p]),
    "FlashSet": (c_int32, [_dev, c_char_p, c_char_p]),
    "RegisterGet": (c_int32, [_dev, c_int32, c_int32, POINTER(c_uint32)]),
    "RegisterSet": (c_int32, [_dev, c_int32, c_int32, c_uint32]),
    "Hex2Dec": (c_int32, [c_int32, c_char_p, _table]),
    "DecPowerIndex": (c_int32, [c_int32] + [c_char_p] * 7 + [_table] * 10),
    "HexPowerIndex": (c_int32, [c_int32] + [_table] * 10 + [c_void_p] * 7),
    "DiffDec2Hex": (c_char, [c_char_p]),
    "DiffHex2Dec": (c_int32, [c_char_p, c_int32]),
}


class LibraryNotFound(OSError):
    """No mpdll library was found in any of the places it is looked for."""


def candidate_paths(environment=None, package_dir=PACKAGE_DIR):
    """The places the library is looked for, in order: paths, then bare names
    that the platform's loader resolves (the installed library)."""
    environment = os.environ if environment is None else environment
    candidates = []
    if environment.get(LIBRARY_VARIABLE):
        candidates.append(environment[LIBRARY_VARIABLE])
    candidates.extend(os.path.join(package_dir, name) for name in FILE_NAMES)
    installed = ctypes.util.find_library("mpdll")
    if installed:
        candidates.append(installed)
    candidates.extend(FILE_NAMES)
    return candidates


# The extensions (named Mpdll..., beyond the 69): the log handler, a
# record's last open failure, the library's version, the password's masking
# the serial line settings and the settle after the prompt.
EXTENSION_PROTOTYPES = {
    "MpdllSetLogHandler": (c_int32, [ctypes.c_void_p, ctypes.c_void_p]),
    "MpdllOpenFailure": (c_int32, [_dev, c_char_p, c_int32, c_char_p, c_int32, c_char_p, c_int32]),
    "MpdllLibraryVersion": (c_char_p, []),
    "MpdllMaskSecret": (c_int32, [c_void_p, c_int32, c_char_p]),
    "MpdllSetSerialLine": (c_int32, [_dev, c_uint32, c_int32, c_int32, c_int32, c_int32]),
    "MpdllSetPromptSettle": (c_int32, [_dev, c_int32]),
}


def load(path):
    """Loads the library at path and gives every export its prototype."""
    library = LOADER(path)
    for name, (result, arguments) in {**PROTOTYPES, **EXTENSION_PROTOTYPES}.items():
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments
    return library


def locate_and_load(environment=None, package_dir=PACKAGE_DIR):
    """Loads the first library found. The path in MPDLL_LIBRARY must load:
    a wrong one is an error, not a reason to look elsewhere."""
    environment = os.environ if environment is None else environment
    failures = []
    for candidate in candidate_paths(environment, package_dir):
        is_path = os.sep in candidate or (os.altsep and os.altsep in candidate)
        if is_path and not os.path.exists(candidate):
            if candidate == environment.get(LIBRARY_VARIABLE):
                raise LibraryNotFound(f"{LIBRARY_VARIABLE} names {candidate}, which does not exist")
            continue
        try:
            return load(candidate)
        except OSError as error:
            if candidate == environment.get(LIBRARY_VARIABLE):
                raise LibraryNotFound(f"{LIBRARY_VARIABLE}: {candidate} does not load: {error}") from error
            failures.append(f"{candidate}: {error}")
    raise LibraryNotFound(
        f"the mpdll library was not found; set {LIBRARY_VARIABLE} to its path, put it next to the "
        f"package ({package_dir}) or install it (tried: {'; '.join(failures) or 'nothing loadable'})")


_library = None
_library_lock = threading.Lock()


def library():
    """The process's mpdll library, loaded on first use."""
    global _library
    with _library_lock:
        if _library is None:
            _library = locate_and_load()
        return _library
