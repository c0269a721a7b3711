// The four vector classes over cnt::SafeFullVector, from one registration
// template: the element types differ only in conversion and text form.
#include "Arguments.h"
#include "Bindings.h"

#include <cnt/SafeFullVector.h>
#include <pybind11/complex.h>
#include <td/String.h>

#include <complex>
#include <cstdint>
#include <locale>
#include <sstream>
#include <string>
#include <type_traits>

namespace py = pybind11;

namespace
{
template <typename T>
using Vector = cnt::SafeFullVector<T, false>;

template <typename T>
constexpr bool isString = std::is_same_v<T, td::String>;

constexpr auto internal = py::return_value_policy::reference_internal;

// An element given from Python: a String by pointer (see Arguments.h), a
// number by value.
template <typename T>
using ElementArg = std::conditional_t<isString<T>, const T*, T>;

template <typename T>
const T& element(const ElementArg<T>& value)
{
    if constexpr (isString<T>)
        return quenda::required(value, "value");
    else
        return value;
}

// Python's indexing: a negative index counts from the end.
template <typename T>
std::size_t checkedIndex(const Vector<T>& v, std::int64_t index)
{
    const auto size = static_cast<std::int64_t>(v.size());
    if (index < 0)
        index += size;
    if (index < 0 || index >= size)
        throw py::index_error();
    return static_cast<std::size_t>(index);
}

// A String read from a StringVector refers to its element's slot, so the
// storage must stay while such a String lives: an operation that would
// replace it raises instead.
template <typename T>
void refuseWhileViewed(const Vector<T>& v)
{
    if constexpr (isString<T>)
    {
        const py::detail::type_info* type = py::detail::get_type_info(typeid(td::String));
        for (const td::String& s : v)
        {
            if (py::detail::get_object_handle(&s, type))
                throw py::buffer_error("Strings read from this vector still refer to its elements");
        }
    }
}

// Walks a vector by position and reads the element standing there at each
// step: a vector cleaned or resized meanwhile is never read out of bounds,
// the walk ends at its present size.
template <typename T>
struct Cursor
{
    Vector<T>* pVector;
    std::size_t pos;

    T& operator*() const { return (*pVector)[pos]; }
    Cursor& operator++()
    {
        ++pos;
        return *this;
    }
};

struct End
{
};

template <typename T>
bool operator==(const Cursor<T>& cursor, End)
{
    return cursor.pos >= cursor.pVector->size();
}

// The elements between open and close with separator between two; doubles
// in fixed notation when fixed, everything else in the default notation.
template <typename T>
std::string text(const Vector<T>& v, const char* open, const char* separator, const char* close, bool fixed)
{
    std::ostringstream os;
    os.imbue(std::locale::classic());
    if (fixed)
        os << std::fixed;
    os << open;
    for (std::size_t i = 0; i < v.size(); ++i)
    {
        if (i > 0)
            os << separator;
        if constexpr (isString<T>)
            os << v[i].c_str();
        else
            os << v[i];
    }
    os << close;
    return os.str();
}

template <typename T>
py::class_<Vector<T>> bind_safe_full_vector(py::module_& m, const char* name)
{
    using V = Vector<T>;
    return py::class_<V>(m, name)
        .def(py::init<>())
        .def(py::init<std::size_t>(), py::arg("size"))
        .def("size", &V::size, "Returns number of elements in vector")
        .def("empty", &V::isEmpty)
        .def(
            "clean",
            [](V& v) {
                refuseWhileViewed(v);
                v.clean();
            },
            "Release memory and sets size to zero")
        .def("__len__", &V::size)
        .def(
            "__getitem__", [](V& v, std::int64_t index) -> T& { return v[checkedIndex(v, index)]; }, internal)
        .def("__setitem__",
             [](V& v, std::int64_t index, ElementArg<T> value) { v[checkedIndex(v, index)] = element<T>(value); })
        .def(
            "reserve",
            [](V& v, std::size_t size) {
                if (size != v.size())
                    refuseWhileViewed(v);
                v.reserve(size);
            },
            py::arg("size"), "Reserves specified number of elements")
        .def(
            "resize",
            [](V& v, std::size_t newSize) {
                if (newSize > v.size())
                    refuseWhileViewed(v);
                v.resize(newSize);
            },
            py::arg("newSize"), "Changes size if it's not already at that size")
        .def("zeros", &V::zeros, "Set all elements to zero")
        .def(
            "setAll", [](V& v, ElementArg<T> value) { v.setAll(element<T>(value)); }, py::arg("value"),
            "Set all elements to specified value")
        .def("data",
             [](V& v) -> py::object {
                 if (v.isEmpty())
                     return py::none();
                 // The vector's own Python object, which a String view keeps alive.
                 py::object self = py::cast(&v, py::return_value_policy::reference);
                 return py::cast(v[0], internal, self);
             })
        .def(
            "takeDataFrom",
            [](V& v, const V* pOther) {
                const V& other = quenda::required(pOther, "other");
                if (other.size() != v.size())
                    throw py::value_error("Cannot take " + std::to_string(other.size()) +
                                          " elements into a vector of " + std::to_string(v.size()));
                v.takeDataFrom(other);
            },
            py::arg("other"), "Copies data from another cnt::SafeFullVector")
        .def("copy",
             [](const V& v) {
                 V copy;
                 copy.resize(v.size());
                 copy.takeDataFrom(v);
                 return copy;
             })
        .def(
            "__iter__",
            [](V& v) {
                return py::make_iterator<internal>(Cursor<T> {&v, 0}, End {});
            },
            py::keep_alive<0, 1>())
        .def("__repr__", [](const V& v) { return text(v, "[", ", ", "]", std::is_same_v<T, double>); })
        .def("__str__", [](const V& v) { return text(v, "", " ", "", false); });
}
} // namespace

namespace quenda
{
void bindVectors(py::module_& m)
{
    bind_safe_full_vector<double>(m, "DoubleVector");
    bind_safe_full_vector<std::complex<double>>(m, "ComplexVector");
    bind_safe_full_vector<unsigned int>(m, "UintVector");
    bind_safe_full_vector<td::String>(m, "StringVector");
}
} // namespace quenda
