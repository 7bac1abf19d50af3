"""The package masks the password by the library's rule (MpdllMaskSecret):
one '*' per character of every occurrence and of a start of the password
that a text ends with; texts keep their type and length."""
import pytest

from mpdll import errors
from mpdll import library as library_module
from mpdll.secret_mask import masked

CASES = [
    ("echo s3cret\r\ns3cret\r\n# ", "s3cret", "echo ******\r\n******\r\n# "),
    ("Password: s3c", "s3cret", "Password: ***"),
    ("s3c and more", "s3cret", "s3c and more"),
    ("ret\r\n# ", "s3cret", "ret\r\n# "),
    ("caf\xe9 s3cret \xff", "s3cret", "caf\xe9 ****** \xff"),
    ("a\0s3cret\0b", "s3cret", "a\0******\0b"),
    ("s3cret", "", "s3cret"),
    ("", "s3cret", ""),
]


@pytest.mark.parametrize("text, secret, shown", CASES)
def test_texts_are_masked_by_the_librarys_rule(text, secret, shown):
    assert masked(text, secret) == shown
    assert masked(text.encode("latin-1"), secret) == shown.encode("latin-1")


def test_the_masking_is_the_librarys(monkeypatch):
    lib = library_module.library()
    export = lib.MpdllMaskSecret
    calls = []

    def spy(area, length, secret):
        calls.append((length, secret))
        return export(area, length, secret)

    monkeypatch.setattr(lib, "MpdllMaskSecret", spy)
    assert masked("key s3cret", "s3cret") == "key ******"
    assert calls == [(10, b"s3cret")]


def test_a_refusal_of_the_library_is_raised(monkeypatch):
    monkeypatch.setattr(library_module.library(), "MpdllMaskSecret", lambda *_: errors.E_ARGUMENT)
    with pytest.raises(errors.ArgumentError):
        masked("text", "secret")
