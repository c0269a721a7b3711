// The String class over td::String, and the conversion that lets every
// String parameter take a Python str.
#include "Bindings.h"

#include <pybind11/stl.h>

#include <mu/UTFConverter.h>
#include <td/String.h>

#include <optional>
#include <string>
#include <string_view>

namespace py = pybind11;

namespace
{
// Every byte of the text, NUL bytes too: a model text cut at its first NUL
// would lose its rest unseen.
td::String makeString(std::string_view text)
{
    if (text.size() > td::String::MaxLength)
        throw py::value_error("Text longer than " + std::to_string(td::String::MaxLength) + " bytes");
    return td::String(text.data(), text.size());
}

// None gives the empty string.
td::String makeOptionalString(const std::optional<std::string>& text)
{
    return text ? makeString(*text) : td::String();
}

py::str toStr(const td::String& s) { return py::str(s.c_str(), s.length()); }

// The glyph count is only meaningful for well-formed UTF-8, which a name read
// from a model text need not be.
std::size_t glyphLength(const td::String& s)
{
    using Converter = mu::UTFConverter;
    const auto* begin = reinterpret_cast<const unsigned char*>(s.c_str());
    const unsigned measured = Converter::measureUTF8toUTF32(begin, begin + s.length(), Converter::Strict);
    if (measured == Converter::MeasureSourceExhausted || measured == Converter::MeasureSourceIllegal)
        throw py::value_error("The string is not well-formed UTF-8");
    return s.glyphLength();
}

// pybind11's own implicit conversion would hide a refused text behind a
// "no matching signature" TypeError; this one lets makeString's error out.
PyObject* strToString(PyObject* source, PyTypeObject*)
{
    py::detail::make_caster<std::string> text;
    if (!text.load(source, false))
        return nullptr;
    return py::cast(makeString(py::detail::cast_op<const std::string&>(text))).release().ptr();
}
} // namespace

namespace quenda
{
void bindString(py::module_& m)
{
    py::class_<td::String>(m, "String", "Wrapper arround Zorbel td::String")
        .def(py::init<>())
        .def(py::init(&makeOptionalString))
        .def("c_str", &td::String::c_str, "Returns a pointer to the underlying C-string.")
        .def("length", &td::String::length, "Returns length of the string in bytes")
        .def("glyphLength", &glyphLength, "Returns length of the string in number of glyphs")
        .def("__str__", &toStr)
        .def("__repr__", &toStr);
    py::detail::get_type_info(typeid(td::String))->implicit_conversions.emplace_back(strToString);
}
} // namespace quenda
