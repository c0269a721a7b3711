"""The vector classes: element access, size changes, text forms, and Strings
and iterators that must never read released storage."""
import gc
import weakref

import pytest
from Quenda import ComplexVector, DoubleVector, String, StringVector, UintVector

from conftest import vector

# Three distinct elements for every class, then the value of a fresh one.
ELEMENTS = [
    (DoubleVector, [1.5, 2.0, -0.25], 0.0),
    (ComplexVector, [1 + 2j, 0.5j, -3], 0j),
    (UintVector, [0, 7, 4294967295], 0),
    (StringVector, ["a", "", "é"], ""),
]


def items(v):
    return [str(x) if isinstance(x, String) else x for x in v]


@pytest.mark.parametrize("cls, values, fresh", ELEMENTS)
def test_indices_count_from_the_end_when_negative(cls, values, fresh):
    v = vector(cls, values)
    assert [v[i] for i in (-1, -3)] == [v[2], v[0]]
    v[-1] = values[0]
    v[-3] = values[1]
    assert items(v) == items(vector(cls, [values[1], values[1], values[0]]))
    for index in (3, -4):
        with pytest.raises(IndexError):
            v[index]
        with pytest.raises(IndexError):
            v[index] = values[0]
    empty = cls()
    assert (len(empty), empty.size(), empty.empty(), empty.data()) == (0, 0, True, None)
    for index in (0, -1):
        with pytest.raises(IndexError):
            empty[index]
    with pytest.raises(IndexError):
        empty[0] = values[0]


@pytest.mark.parametrize(
    "cls, values, text, plain",
    [
        (DoubleVector, [1.5, 2.0, -0.25], "[1.500000, 2.000000, -0.250000]", "1.5 2 -0.25"),
        (DoubleVector, [1e20], "[100000000000000000000.000000]", "1e+20"),
        (ComplexVector, [1 + 2j, 0.5j], "[(1,2), (0,0.5)]", "(1,2) (0,0.5)"),
        (UintVector, [0, 4294967295], "[0, 4294967295]", "0 4294967295"),
        (StringVector, ["a", ""], "[a, ]", "a "),
        (DoubleVector, [], "[]", ""),
    ],
)
def test_text_forms(cls, values, text, plain):
    v = vector(cls, values)
    assert (repr(v), str(v)) == (text, plain)


def test_text_that_is_not_utf8_cannot_become_a_str():
    v = vector(StringVector, ["a", String(b"\xff")])
    for form in (repr, str):
        with pytest.raises(UnicodeDecodeError):
            form(v)


@pytest.mark.parametrize(
    "cls, good, bad",
    [
        (DoubleVector, [3, 2.5], ["x", None, 1j]),
        (ComplexVector, [1, 2.5, 1j], ["x", None]),
        (UintVector, [0, 4294967295], [-1, 4294967296, 1.0, None]),
    ],
)
def test_element_conversions(cls, good, bad):
    v = cls(1)
    for value in good:
        v[0] = value
        assert v[0] == value
    v[0] = good[0]
    for value in bad:
        with pytest.raises(TypeError):
            v[0] = value
        with pytest.raises(TypeError):
            v.setAll(value)
    assert v[0] == good[0]


def test_string_elements_take_str_and_refuse_none():
    v = StringVector(1)
    v[0] = "text"
    assert str(v[0]) == "text"
    for assign in (lambda: v.__setitem__(0, None), lambda: v.setAll(None)):
        with pytest.raises(RuntimeError):
            assign()
    with pytest.raises(TypeError):
        v[0] = 5


@pytest.mark.parametrize("cls, values, fresh", ELEMENTS)
def test_resize_grows_only_and_reserve_replaces(cls, values, fresh):
    v = vector(cls, values)
    for size in (2, 3):
        v.resize(size)
        assert items(v) == items(vector(cls, values))
    v.resize(5)
    assert len(v) == 5 and items(v)[:3] == items(vector(cls, values))
    if fresh is not None:
        assert items(v)[3:] == [fresh, fresh]

    v = vector(cls, values)
    v.reserve(3)
    assert items(v) == items(vector(cls, values))
    v.reserve(4)
    assert len(v) == 4
    if fresh is not None:
        assert items(v) == [fresh] * 4
        assert items(cls(2)) == [fresh] * 2
    v.reserve(0)
    assert (len(v), v.data()) == (0, None)


@pytest.mark.parametrize("cls, values, fresh", ELEMENTS)
def test_whole_vector_operations(cls, values, fresh):
    zero = {DoubleVector: 0.0, ComplexVector: 0j, UintVector: 0, StringVector: ""}[cls]
    v = vector(cls, values)
    v.zeros()
    assert items(v) == [zero] * 3
    v.setAll(values[2])
    assert items(v) == items(vector(cls, [values[2]] * 3))
    empty = cls()
    empty.setAll(values[0])
    assert len(empty) == 0

    source = vector(cls, values)
    copy = source.copy()
    assert type(copy) is cls and items(copy) == items(source)
    copy[0] = values[1]
    assert items(source) == items(vector(cls, values))
    assert len(cls().copy()) == 0

    target = cls(3)
    target.takeDataFrom(source)
    assert items(target) == items(source) == items(vector(cls, values))
    target.takeDataFrom(target)
    assert items(target) == items(source)

    first = source.data()
    assert (str(first) if cls is StringVector else first) == items(source)[0]
    del first  # a String view would keep the storage from being released
    source.clean()
    assert (len(source), source.data()) == (0, None)


def test_take_data_from_needs_the_same_size_and_class():
    v = vector(DoubleVector, [1.0, 2.0])
    other = vector(DoubleVector, [3.0, 4.0, 5.0])
    with pytest.raises(ValueError):
        v.takeDataFrom(other)
    assert items(v) == [1.0, 2.0] and items(other) == [3.0, 4.0, 5.0]
    with pytest.raises(TypeError):
        v.takeDataFrom(vector(UintVector, [1, 2]))
    with pytest.raises(RuntimeError):
        v.takeDataFrom(None)


def test_sizes_that_cannot_be_allocated():
    # 2**62 doubles need more bytes than a size can count.
    with pytest.raises(MemoryError):
        DoubleVector(2**62)
    v = vector(DoubleVector, [1.0, 2.0])
    with pytest.raises(MemoryError):
        v.resize(2**62)
    assert items(v) == [1.0, 2.0]
    with pytest.raises(MemoryError):
        v.reserve(2**62)
    assert len(v) == 0
    with pytest.raises(TypeError):
        DoubleVector(-1)


def test_a_string_element_is_a_view_that_keeps_its_vector_alive():
    v = vector(StringVector, ["a", "b"])
    first = v[0]
    v[0] = "changed"
    assert str(first) == "changed" and str(v.data()) == "changed"
    alive = weakref.ref(v)
    del v
    gc.collect()
    assert alive() is not None and str(first) == "changed"
    del first
    gc.collect()
    assert alive() is None


def test_storage_with_string_views_is_not_released():
    v = vector(StringVector, ["a", "b", "c"])
    view = v[1]
    for change in (v.clean, lambda: v.reserve(4), lambda: v.resize(4)):
        with pytest.raises(BufferError):
            change()
        assert items(v) == ["a", "b", "c"]
    # Changes that keep the storage are allowed.
    v.resize(2)
    v.reserve(3)
    v.zeros()
    v.setAll("z")
    assert str(view) == "z"
    del view
    v.clean()
    assert len(v) == 0


def test_iteration_reads_the_vector_as_it_stands():
    v = vector(StringVector, ["a", "b", "c"])
    assert [str(s) for s in v] == ["a", "b", "c"]
    assert all(type(s) is String for s in v)

    numbers = vector(DoubleVector, [1.0, 2.0, 3.0])
    it = iter(numbers)
    alive = weakref.ref(numbers)
    del numbers
    gc.collect()
    assert alive() is not None
    assert next(it) == 1.0
    alive().clean()
    with pytest.raises(StopIteration):
        next(it)

    grown = vector(DoubleVector, [1.0])
    it = iter(grown)
    assert next(it) == 1.0
    grown.resize(2)
    grown[1] = 2.0
    assert list(it) == [2.0]
