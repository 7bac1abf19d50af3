"""The ctypes records against the C header: a C program compiled against
include/mpdll/mpdll.h prints every size, field offset and DCB flag bit, and
the Python structures must give the same numbers on this build."""
import ctypes
import os
import subprocess

import pytest

from conftest import REPO
from mpdll.dev_context import DevContext, MpCommTimeouts, MpDcb, MpSockAddrIn

RECORDS = {"DevContext": DevContext, "MpSockAddrIn": MpSockAddrIn, "MpCommTimeouts": MpCommTimeouts, "MpDcb": MpDcb}


@pytest.fixture(scope="module")
def c_layout(tmp_path_factory):
    """The lines the C program prints, split into words."""
    program = tmp_path_factory.mktemp("layout") / "dev_context_offsets"
    source = REPO / "python" / "tests" / "dev_context_offsets.c"
    compiler = os.environ.get("CC", "cc")
    subprocess.run([compiler, "-std=c11", "-Wall", "-Werror", "-I", str(REPO / "include"), str(source),
                    "-o", str(program)], check=True)
    output = subprocess.run([str(program)], check=True, capture_output=True, text=True).stdout
    return [line.split() for line in output.splitlines()]


def test_the_program_covers_every_field_of_every_record(c_layout):
    printed = {words[0] for words in c_layout if len(words) == 3}
    for name, record in RECORDS.items():
        flags = {field[0] for field in record._fields_ if len(field) == 3}
        expected = {f"{name}.{field[0]}" for field in record._fields_ if field[0] not in flags}
        assert expected <= printed, f"fields of {name} the C program does not print: {expected - printed}"


def test_sizes_agree(c_layout):
    sizes = {words[0]: int(words[1]) for words in c_layout if len(words) == 2 and ":" not in words[0]}
    assert sizes == {name: ctypes.sizeof(record) for name, record in RECORDS.items()}


def test_every_field_offset_and_size_agrees(c_layout):
    mismatches = []
    for words in (words for words in c_layout if len(words) == 3):
        record, field = words[0].split(".")
        described = getattr(RECORDS[record], field)
        if (described.offset, described.size) != (int(words[1]), int(words[2])):
            mismatches.append(f"{words[0]}: C {words[1]}+{words[2]}, Python {described.offset}+{described.size}")
    assert not mismatches


def test_every_dcb_flag_sets_the_same_bits(c_layout):
    for words in (words for words in c_layout if words[0].startswith("MpDcb:")):
        flag = words[0].split(":")[1]
        dcb = MpDcb()
        width = next(field[2] for field in MpDcb._fields_ if field[0] == flag)
        setattr(dcb, flag, (1 << width) - 1)
        word = int.from_bytes(bytes(dcb)[8:12], "little")
        assert word == int(words[1], 16), flag


def _as_on_32_bit_windows(record):
    """The record's field list with the pointer-sized members 4 bytes wide,
    as the 32-bit product DLL lays it out."""
    pointer_sized = (ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t, ctypes.c_int32)
    fields = [(name, ctypes.c_uint32 if kind in pointer_sized else kind, *rest)
              for name, kind, *rest in record._fields_]
    return type("DevContext32", (ctypes.Structure,), {"_fields_": fields})


def test_the_field_list_gives_the_published_32_bit_layout():
    """The library holds its 32-bit layout to published offsets; the Python
    field list with 4-byte sockets, handles and pointers must give them too."""
    published = {}
    for line in (REPO / "src" / "connection" / "dev_context_layout.cpp").read_text().splitlines():
        if line.startswith("MPDLL_AT("):
            field, offset = line[len("MPDLL_AT("):].rstrip(");").split(", ")
            published[field] = int(offset)
    layout = _as_on_32_bit_windows(DevContext)
    assert len(published) == len(DevContext._fields_)
    assert {field: getattr(layout, field).offset for field in published} == published
    assert ctypes.sizeof(layout) == 16900
