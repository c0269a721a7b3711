"""The String class: UTF-8 text counted in bytes and in glyphs, and the
conversion that lets String parameters take a str."""
import pytest
import Quenda
from Quenda import String

MAX_LENGTH = 2**28 - 1


@pytest.mark.parametrize("args", [(), ("",), (None,)])
def test_empty_strings(args):
    s = String(*args)
    assert (s.length(), s.glyphLength(), str(s), repr(s), s.c_str()) == (0, 0, "", "", "")


def test_lengths_in_bytes_and_in_glyphs():
    # é takes two bytes, € three, 𝄞 four.
    for text, length, glyphs in [("aéb", 4, 3), ("€𝄞", 7, 2), ("abc", 3, 3)]:
        s = String(text)
        assert (s.length(), s.glyphLength(), str(s), repr(s), s.c_str()) == (length, glyphs, text, text, text)


def test_text_keeps_an_embedded_nul():
    s = String("ab\0cd")
    assert (str(s), repr(s), s.length()) == ("ab\0cd", "ab\0cd", 5)


@pytest.mark.parametrize("raw", [b"\xff", b"a\xc3", b"\xe2\x82", b"\x80", b"\xc0\xaf"])
def test_bytes_that_are_not_utf8(raw):
    s = String(raw)
    assert s.length() == len(raw)
    with pytest.raises(ValueError):
        s.glyphLength()
    for form in (str, repr):
        with pytest.raises(UnicodeDecodeError):
            form(s)


def test_text_longer_than_a_string_can_hold():
    longest = "x" * MAX_LENGTH
    assert String(longest).length() == MAX_LENGTH
    too_long = longest + "x"
    with pytest.raises(ValueError):
        String(too_long)
    # Through the conversion of a str argument too.
    model = Quenda.createRealStaticModel(Quenda.StaticProblem.NLE)
    with pytest.raises(ValueError):
        model.initFromString(too_long)
