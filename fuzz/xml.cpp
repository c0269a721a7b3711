// XML documents: the input is parsed by the in-memory parser and, written
// to a file, by the file parser. Both must give the same outcome and the
// same tree, and every navigation operation is then run over every node.
#include <Check.h>
#include <MemoryFile.h>
#include <mu/ILogger.h>
#include <mu/NumberParser.h>
#include <td/BufferString.h>
#include <xml/DOMParser.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
using FileParser = xml::DOMParser<td::BufferString<char, 4096, 0>, 1023, false>;
using MemoryParser = xml::DOMParser<td::BufferString<char, 0, 0>, 255, true>;

class QuietLogger : public mu::ILogger
{
public:
    void show(int, const td::String&, const td::String&) override {}
};

bool sameText(const td::StringExt* a, const td::StringExt* b)
{
    if (!a || !b)
        return a == b;
    return a->length() == b->length() && std::memcmp(a->c_str(), b->c_str(), a->length()) == 0;
}

bool sameNode(const MemoryParser::Node& a, const FileParser::Node& b)
{
    if (!sameText(a.pName->pStr, b.pName->pStr) || !sameText(a.pText, b.pText) || a.nAttribs != b.nAttribs)
        return false;
    for (unsigned i = 0; i < a.nAttribs; ++i)
    {
        if (!sameText(a.pAttribs[i].pName->pStr, b.pAttribs[i].pName->pStr) ||
            !sameText(a.pAttribs[i].pValue, b.pAttribs[i].pValue))
            return false;
    }
    return true;
}

// Both trees node by node, without recursion: documents nest deeply.
void checkSameTree(const MemoryParser::Node* a, const FileParser::Node* b)
{
    std::vector<std::pair<const MemoryParser::Node*, const FileParser::Node*>> pending {{a, b}};
    while (!pending.empty())
    {
        auto [pA, pB] = pending.back();
        pending.pop_back();
        FUZZ_CHECK((pA == nullptr) == (pB == nullptr));
        if (!pA)
            continue;
        FUZZ_CHECK(sameNode(*pA, *pB));
        pending.push_back({pA->pNextSibling, pB->pNextSibling});
        pending.push_back({pA->pFirstChild, pB->pFirstChild});
    }
}

template <typename Parser>
void checkAttributes(const typename Parser::node_iterator& it)
{
    const typename Parser::Node* pNode = it.getNode();
    for (unsigned i = 0; i < pNode->nAttribs; ++i)
    {
        const char* name = pNode->pAttribs[i].pName->pStr->c_str();
        // The first attribute of that name answers.
        unsigned first = 0;
        while (std::strcmp(pNode->pAttribs[first].pName->pStr->c_str(), name) != 0)
            ++first;
        FUZZ_CHECK(it.getAttribValueStrPtr(name) == pNode->pAttribs[first].pValue);
        double value = -1;
        FUZZ_CHECK(it.getAttribValue(name, value));
        const double expected = mu::toDouble(pNode->pAttribs[first].pValue->c_str());
        FUZZ_CHECK(value == expected || (value != value && expected != expected));
    }
}

// For every child name of a node: the filtered iterator visits exactly the
// children of that name, and counts them.
template <typename Parser>
void checkChildren(const typename Parser::node_iterator& it)
{
    for (const typename Parser::Node* pChild = it->pFirstChild; pChild; pChild = pChild->pNextSibling)
    {
        const char* name = pChild->pName->pStr->c_str();
        unsigned expected = 0;
        for (const typename Parser::Node* p = it->pFirstChild; p; p = p->pNextSibling)
            expected += p->pName == pChild->pName;
        typename Parser::node_iterator named = it.getChildNode(name);
        FUZZ_CHECK(named.getCounter() == expected);
        unsigned visited = 0;
        for (; !named.isEnd(); ++named)
        {
            FUZZ_CHECK(named->pName == pChild->pName);
            ++visited;
        }
        FUZZ_CHECK(visited == expected);
    }
}

template <typename Parser>
void navigate(const Parser& parser)
{
    std::vector<typename Parser::node_iterator> pending {parser.getRoot()};
    while (!pending.empty())
    {
        typename Parser::node_iterator it = pending.back();
        pending.pop_back();
        if (it.isEnd())
            continue;
        checkAttributes<Parser>(it);
        checkChildren<Parser>(it);
        FUZZ_CHECK(it.getChildNode("no such name\x01").isEnd());
        pending.push_back(typename Parser::node_iterator(&parser, it->pNextSibling));
        pending.push_back(typename Parser::node_iterator(&parser, it->pFirstChild));
    }
    parser.getDocType();
}

bool sameError(const mu::ParserException& a, const mu::ParserException& b)
{
    return a.getType() == b.getType() && a.getLine() == b.getLine() && a.getColumn() == b.getColumn() &&
           std::strcmp(a.getMessage().c_str(), b.getMessage().c_str()) == 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The in-memory parser reads up to the first NUL; the file holds the same.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* text = input.c_str();
    const std::size_t length = std::strlen(text);
    QuietLogger logger;

    MemoryParser inMemory;
    const bool memoryOk = inMemory.parseMemory(text, &logger, true);
    fuzz::MemoryFile file("xml");
    file.write(text, length);
    FileParser fromFile;
    const bool fileOk = fromFile.parseFile(td::String(file.path().c_str()), &logger);
    FUZZ_CHECK(memoryOk == fileOk);
    FUZZ_CHECK(sameError(inMemory.getLastError(), fromFile.getLastError()));
    FUZZ_CHECK(std::strcmp(inMemory.getDocType().c_str(), fromFile.getDocType().c_str()) == 0);
    checkSameTree(inMemory.getRootNode(), fromFile.getRootNode());
    navigate(inMemory);
    navigate(fromFile);

    // Without a declaration, and the file with every byte of the input.
    MemoryParser bare;
    bare.parseMemory(text, &logger, false);
    navigate(bare);
    if (length < size)
    {
        file.write(input.data(), size);
        FileParser whole;
        whole.parseFile(td::String(file.path().c_str()), &logger);
        navigate(whole);
    }
    return 0;
}
