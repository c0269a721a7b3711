#pragma once
// XML models through the exported solvers only. A model is read from a file
// and from text: a test runs its checks once per road, and both roads must
// give the same result.
#include <TestEnvironment.h>
#include <gtest/gtest.h>
#include <sc/SolverFactory.h>

#include <complex>
#include <string>

namespace test
{
enum class Road
{
    File,
    Text
};

inline const char* nameOf(Road road) { return road == Road::File ? "from a file" : "from text"; }

// The XML declaration and the root element around a model's sections.
inline std::string xmlModel(const std::string& rootAttribs, const std::string& sections)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Model " + rootAttribs + ">\n" + sections + "\n</Model>\n";
}

template <typename T>
using Factory = sc::ISolver<T>* (*)(sc::ILog*, int);

// One solver that has read one document on one road; released at the end.
template <typename T>
class XmlSolver
{
public:
    XmlSolver(Factory<T> factory, const std::string& document, Road road, sc::ILog* pLog = nullptr)
        : _p(factory(pLog, 100))
    {
        if (_p)
            read(document, road);
    }
    // The solver reads another document (or the same again).
    bool read(const std::string& document, Road road)
    {
        if (road == Road::Text)
            return ok = _p->init(td::String(document.c_str()), sc::SourceType::Memory);
        const fs::path path = _folder / "model.xml";
        writeFile(path, document);
        return ok = _p->init(td::String(path.string().c_str()), sc::SourceType::File);
    }
    ~XmlSolver()
    {
        if (_p)
            _p->release();
    }
    XmlSolver(const XmlSolver&) = delete;
    XmlSolver& operator=(const XmlSolver&) = delete;

    sc::ISolver<T>* operator->() const { return _p; }
    explicit operator bool() const { return _p != nullptr; }

    std::string errors() const
    {
        const td::String text = _p->getLastErrorStr();
        return std::string(text.c_str(), text.length());
    }

    // A variable's or else a parameter's value; NaN when neither has the name.
    T value(const char* name) const
    {
        T v {};
        if (_p->getVariableValue(name, v) || _p->getParamValue(name, v))
            return v;
        return T(std::nan(""));
    }

    bool ok = false;

private:
    TempFolder _folder;
    sc::ISolver<T>* _p = nullptr;
};

// Runs check(solver) for the document read from a file and from text.
template <typename T, typename Check>
void onBothRoads(Factory<T> factory, const std::string& document, Check check)
{
    for (Road road : {Road::File, Road::Text})
    {
        SCOPED_TRACE(nameOf(road));
        XmlSolver<T> solver(factory, document, road);
        ASSERT_TRUE(solver) << "no solver";
        check(solver);
    }
}

// The error text of a document that must not load; the same on both roads.
template <typename T>
std::string loadErrors(Factory<T> factory, const std::string& document)
{
    XmlSolver<T> fromFile(factory, document, Road::File);
    XmlSolver<T> fromText(factory, document, Road::Text);
    EXPECT_FALSE(fromFile.ok);
    EXPECT_FALSE(fromText.ok);
    EXPECT_EQ(fromFile.errors(), fromText.errors());
    return fromText.errors();
}
} // namespace test
