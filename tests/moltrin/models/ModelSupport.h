#pragma once
// Models from the factories, released at the end of a test, and the model
// texts the tests share.
#include <CollectingLog.h>
#include <cnt/SafeFullVector.h>
#include <sc/ModelFactory.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace test
{
struct Releaser
{
    template <typename M>
    void operator()(M* pModel) const
    {
        pModel->release();
    }
};

template <typename M>
using Owned = std::unique_ptr<M, Releaser>;

inline Owned<sc::IRealStaticModel> realModel(sc::ILog* pLog, unsigned maxIter = 100)
{
    return Owned<sc::IRealStaticModel>(sc::createRealStaticModel(sc::IStatic::Problem::NLE, pLog, maxIter));
}

inline Owned<sc::ICmplxStaticModel> cmplxModel(sc::ILog* pLog, unsigned maxIter = 100)
{
    return Owned<sc::ICmplxStaticModel>(sc::createCmplxStaticModel(sc::IStatic::Problem::NLE, pLog, maxIter));
}

inline std::ostream& operator<<(std::ostream& os, const CollectingLog& log)
{
    for (const CollectingLog::Entry& e : log.entries)
        os << "  [" << int(e.type) << "] " << e.text << " at " << e.line << ":" << e.column << "\n";
    return os;
}

inline td::String text(const std::string& s) { return td::String(s.data(), s.size()); }

template <typename T>
cnt::SafeFullVector<T> vec(std::initializer_list<T> values)
{
    cnt::SafeFullVector<T> v(values.size());
    std::copy(values.begin(), values.end(), v.begin());
    return v;
}

template <typename T>
std::vector<T> items(const cnt::SafeFullVector<T>& v)
{
    return std::vector<T>(v.begin(), v.end());
}

inline std::vector<std::string> items(const cnt::SafeFullVector<td::String>& v)
{
    std::vector<std::string> out;
    for (const td::String& s : v)
        out.emplace_back(s.c_str());
    return out;
}

// x^2 + y^2 = r^2 and x - y = 1: from (1, 2) with r = 5 the solution is
// (4, 3). x and r are output symbols; k is read by nothing.
inline std::string circle(const std::string& headerLines = "")
{
    return "Header:\n" + headerLines +
           "\nend\nModel [type = NL]\nVars\nx = 1 [out = true]\ny = 2\nParams\nr = 5 [out = true]\nk = 7\n"
           "NLEs\nx^2 + y^2 = r^2\nx - y = 1\nend\n";
}

// Newton on x^2 = 2 from 1 gives 1.5, 17/12, 577/408, 665857/470832: the
// residual first falls below 1e-6 at the fourth iterate (6.0e-6 at the third).
inline std::string squareRootOfTwo(const std::string& headerLines = "", const std::string& modelAttribs = "")
{
    return "Header:\n" + headerLines + "\nend\nModel [type = NL" + modelAttribs +
           "]\nVars\nx = 1\nNLEs\nx^2 - 2 = 0\nend\n";
}

inline bool logged(const CollectingLog& log, const std::string& text, sc::ILog::Type type)
{
    const std::vector<std::string> texts = log.texts(type);
    return std::count(texts.begin(), texts.end(), text) > 0;
}
} // namespace test
