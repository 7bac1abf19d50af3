"""The small records the board operations and the converters hand back."""
from dataclasses import dataclass, field
from typing import List


@dataclass(frozen=True)
class RxCounters:
    """The receive test's counters (RxQuery)."""

    rx_ok: int
    crc_error: int


@dataclass(frozen=True)
class PacketCounters:
    """The four packet counters of the driver (mp_query)."""

    tx_ok: int
    tx_fail: int
    rx_ok: int
    crc_error: int


@dataclass(frozen=True)
class FilterAddresses:
    """The receive filter's three addresses as the board reports them."""

    da: str
    sa: str
    bssid: str


@dataclass(frozen=True)
class BoardNames:
    """The names put into command lines: interface, tool word, chip-model flag."""

    if_name: str
    tool_name: str
    chip_flag: int


@dataclass(frozen=True)
class Exchange:
    """One call's last exchange with the board, as GetBuffer holds it after
    the call, with the password masked."""

    operation: str
    status: int
    sent: str
    received: str
    started: float = 0.0  # when the call began, seconds since the epoch (time.time())
    duration_ms: float = 0.0  # how long the call took


@dataclass
class PowerIndexTables:
    """The ten transmit power index tables, one list of numbers each."""

    plain1: List[int] = field(default_factory=list)
    plain2: List[int] = field(default_factory=list)
    base_a: List[int] = field(default_factory=list)
    base_b: List[int] = field(default_factory=list)
    group1_a: List[int] = field(default_factory=list)
    group1_b: List[int] = field(default_factory=list)
    group2_a: List[int] = field(default_factory=list)
    group2_b: List[int] = field(default_factory=list)
    group3_a: List[int] = field(default_factory=list)
    group3_b: List[int] = field(default_factory=list)


@dataclass
class PowerIndexTexts:
    """The seven hexadecimal texts the tables are stored in, two digits an entry."""

    plain1: str = ""
    plain2: str = ""
    base_a: str = ""
    base_b: str = ""
    diff1: str = ""
    diff2: str = ""
    diff3: str = ""
