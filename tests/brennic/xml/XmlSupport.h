#pragma once
// Helpers of the XML tests: the two parser instances, a temporary file, the
// logger that keeps what it is shown, and a one-line dump of a parsed tree.
#include <td/BufferString.h>
#include <xml/DOMParser.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CollectingLogger.h"

namespace test
{
using FileParser = xml::DOMParser<td::BufferString<char, 4096, 0>, 1023, false>;
using MemoryParser = xml::DOMParser<td::BufferString<char, 0, 0>, 255, true>;

class TempFile
{
public:
    explicit TempFile(const std::string& content)
        : _path((std::filesystem::temp_directory_path() /
                 ("xmltest_" + std::to_string(getpid()) + "_" + std::to_string(s_counter++) + ".xml"))
                    .string())
    {
        std::ofstream(_path, std::ios::binary) << content;
    }
    ~TempFile() { std::filesystem::remove(_path); }
    const std::string& path() const { return _path; }

private:
    static inline int s_counter = 0;
    std::string _path;
};

// name{attr=value;...}'text'(child child ...), attributes in document order.
template <typename NODE>
std::string dump(const NODE* pNode)
{
    if (!pNode)
        return "-";
    std::string out = pNode->pName->pStr->c_str();
    if (pNode->nAttribs > 0)
    {
        out += '{';
        for (unsigned i = 0; i < pNode->nAttribs; ++i)
        {
            out += pNode->pAttribs[i].pName->pStr->c_str();
            out += '=';
            out += pNode->pAttribs[i].pValue->c_str();
            out += ';';
        }
        out += '}';
    }
    if (pNode->pText)
        out += "'" + std::string(pNode->pText->c_str(), pNode->pText->length()) + "'";
    if (pNode->pFirstChild)
    {
        out += '(';
        for (const NODE* p = pNode->pFirstChild; p; p = p->pNextSibling)
            out += dump(p) + (p->pNextSibling ? " " : "");
        out += ')';
    }
    return out;
}

struct Outcome
{
    bool ok;
    std::string tree;    // the dump of the root, "-" without one
    std::string message; // of the last error
    int line;
    mu::ExceptionType type;
};

inline Outcome parseInMemory(const std::string& text, bool withHeader = true)
{
    CollectingLogger log;
    MemoryParser parser;
    const bool ok = parser.parseMemory(text.c_str(), &log, withHeader);
    const mu::ParserException& e = parser.getLastError();
    return {ok, dump(parser.getRootNode()), e.getMessage().c_str(), e.getLine(), e.getType()};
}

inline Outcome parseAsFile(const std::string& text)
{
    TempFile file(text);
    CollectingLogger log;
    FileParser parser;
    const bool ok = parser.parseFile(td::String(file.path().c_str()), &log);
    const mu::ParserException& e = parser.getLastError();
    return {ok, dump(parser.getRootNode()), e.getMessage().c_str(), e.getLine(), e.getType()};
}

inline const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
} // namespace test
