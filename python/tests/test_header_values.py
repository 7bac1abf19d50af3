"""The package's copies of what include/mpdll/mpdll.h defines, read from the
header itself: the sizes, the UDP port and the longest settle, the serial line codes, the status
codes and the meaning MPDLL_STATUS_LIST gives each status."""
import re

import pytest

from conftest import REPO
from mpdll import errors
from mpdll.header_values import HEADER_VALUES, SERIAL_LINE_CODES

HEADER = (REPO / "include" / "mpdll" / "mpdll.h").read_text()
DEFINES = {name: int(value) for name, value in re.findall(r"#define MPDLL_(\w+) \(?(-?\d+)\)?", HEADER)}
STATUS_ROWS = re.findall(r'X\(MPDLL_(\w+), "([^"]*)"\)', HEADER)


def test_the_table_holds_every_size_the_port_and_the_longest_settle_as_the_header_defines_them():
    in_header = {name: value for name, value in DEFINES.items()
                 if name.endswith("_SIZE") or name in ("UDP_PORT", "PROMPT_SETTLE_MAX_MS")}
    assert len(in_header) >= 9
    assert HEADER_VALUES == in_header


def test_the_serial_line_codes_are_the_headers():
    in_header = {name: value for name, value in DEFINES.items()
                 if name.startswith(("PARITY_", "STOP_BITS_", "FLOW_"))}
    assert len(in_header) == 11
    assert SERIAL_LINE_CODES == in_header


@pytest.mark.parametrize("name, meaning", STATUS_ROWS, ids=[row[0] for row in STATUS_ROWS])
def test_each_status_has_the_headers_value_and_meaning(name, meaning):
    status = getattr(errors, "OK" if name == "OK" else name)
    assert status == DEFINES[name]
    assert errors.status_meaning(status) == meaning


def test_the_header_lists_every_status_the_package_knows():
    known = {name for name in dir(errors) if name == "OK" or name.startswith("E_")}
    assert known == {name for name, _ in STATUS_ROWS} and len(known) == 9
