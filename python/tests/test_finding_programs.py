"""Where the library and the simulator are looked for, and the pytest plugin's
registration as an entry point."""
import os
import shutil
from importlib import metadata

import pytest

from mpdll import library, simulator


@pytest.fixture
def built_library():
    return os.environ["MPDLL_LIBRARY"]


def test_the_environment_comes_first_then_the_package_then_the_installed_name(tmp_path, built_library):
    candidates = library.candidate_paths({"MPDLL_LIBRARY": built_library}, str(tmp_path))
    assert candidates[0] == built_library
    assert candidates[1] == str(tmp_path / library.FILE_NAMES[0])
    assert candidates[-1] == library.FILE_NAMES[-1]


def test_a_copy_next_to_the_package_is_loaded(tmp_path, built_library):
    shutil.copy(built_library, tmp_path / library.FILE_NAMES[0])
    loaded = library.locate_and_load({}, str(tmp_path))
    assert loaded._name == str(tmp_path / library.FILE_NAMES[0])
    assert loaded.mp_rate_s2i(b"MCS1") == 129


@pytest.mark.parametrize("path", ["/nonexistent/libmpdll.so", "not-a-library"])
def test_a_wrong_library_variable_is_an_error_not_a_fallback(tmp_path, path):
    (tmp_path / "not-a-library").write_text("text")
    wrong = str(tmp_path / path) if path == "not-a-library" else path
    with pytest.raises(library.LibraryNotFound, match="MPDLL_LIBRARY"):
        library.locate_and_load({"MPDLL_LIBRARY": wrong}, str(tmp_path))


def test_the_simulator_is_found_by_variable_then_next_to_the_package(tmp_path):
    program = os.environ["MPDLL_MPBOARD"]
    assert simulator.find_program({"MPDLL_MPBOARD": program}, str(tmp_path)) == program
    beside = tmp_path / "mpboard"
    shutil.copy(program, beside)
    assert simulator.find_program({"PATH": ""}, str(tmp_path)) == str(beside)
    with pytest.raises(FileNotFoundError):
        simulator.find_program({"MPDLL_MPBOARD": str(tmp_path / "missing")}, str(tmp_path))


def test_the_plugin_is_registered_and_its_fixture_serves_every_transport(mpboard):
    plugins = [entry for entry in metadata.entry_points().select(group="pytest11") if entry.name == "mpdll"]
    assert [entry.value for entry in plugins] == ["mpdll.pytest_plugin"]
    assert mpboard.running and mpboard.telnet_port > 0 and os.path.exists(mpboard.serial_path)
    for transport in ("telnet", "udp", "serial"):
        with mpboard.board(transport) as board:
            board.test_mode_start()


def test_a_stopped_simulator_is_gone(mpboard_factory):
    started = mpboard_factory()
    assert started.running
    started.stop()
    assert not started.running
