#pragma once
// The whole document as a tree of nodes: the handler of the SAX parser.
// Nodes come from chunks of 4096, attribute pairs from chunks of 4096 pairs
// (one element's pairs stay contiguous), texts and names from the string
// pool; nothing is freed before the parser itself. Construct one parser per
// document.
//
// The two instances: the file parser DOMParser<td::BufferString<char, 4096,
// 0>, 1023, false> (blocks of 4096 bytes, 1024 name buckets) and the
// in-memory parser DOMParser<td::BufferString<char, 0, 0>, 255, true> (the
// text read in place, 256 name buckets).
#include <algorithm>
#include <cstring>
#include <utility>

#include <cnt/Stack.h>
#include <mem/priv/Manager.h>
#include <mu/Assert.h>
#include <mu/NumberParser.h>
#include <td/String.h>
#include <xml/SAXParser.h>

namespace xml
{
template <typename TINBUFFER, unsigned HASHSIZE, bool FROM_MEMORY>
class DOMParser : public SAXParser<DOMParser<TINBUFFER, HASHSIZE, FROM_MEMORY>, TINBUFFER, HASHSIZE, FROM_MEMORY>
{
    using Base = SAXParser<DOMParser, TINBUFFER, HASHSIZE, FROM_MEMORY>;
    friend Base;

public:
    using NameEntry = typename Base::NameEntry;

    struct Attrib
    {
        const NameEntry* pName;
        const td::StringExt* pValue; // never null: an empty value is an empty string
    };

    struct Node
    {
        const NameEntry* pName;
        const td::StringExt* pText; // null when the element has no text
        Node* pFirstChild;
        Node* pLastChild;
        Attrib* pAttribs;
        unsigned nAttribs;
        Node* pNextSibling;
    };

    // One element's attributes must fit one chunk of pairs.
    static constexpr unsigned maxAttribs = 4095;

    // A position among siblings, optionally filtered by element name.
    class node_iterator
    {
    public:
        node_iterator() = default;
        node_iterator(const DOMParser* pParser, const Node* pNode)
            : _pParser(pParser)
            , _pNode(pNode)
        {
        }

        bool isEnd() const { return _pNode == nullptr; }
        const Node* getNode() const { return _pNode; }
        const Node* operator->() const
        {
            MU_ASSERT_MSG(_pNode, "pIt");
            return _pNode;
        }

        // The first child of this node named name, as an iterator over the
        // children of that name; the end iterator when there is none.
        node_iterator getChildNode(const char* name) const
        {
            MU_ASSERT_MSG(_pParser, "pParser");
            const NameEntry* pFilter = _pNode ? _pParser->findName(name, std::strlen(name)) : nullptr;
            if (!pFilter)
                return node_iterator(_pParser, nullptr);
            return node_iterator(_pParser, pFilter, first(_pNode->pFirstChild, pFilter));
        }

        // The next sibling (of the filter's name, when there is a filter).
        node_iterator& operator++()
        {
            MU_ASSERT_MSG(_pNode, "pIt");
            _pNode = first(_pNode->pNextSibling, _pFilter);
            return *this;
        }

        // Siblings from this one to the end of the list (of the filter's
        // name, when there is a filter); 0 at the end.
        unsigned getCounter() const
        {
            unsigned count = 0;
            for (const Node* p = _pNode; p; p = first(p->pNextSibling, _pFilter))
                ++count;
            return count;
        }

        // The value of this node's attribute of that name (the first one),
        // null when there is none.
        const td::StringExt* getAttribValueStrPtr(const char* name) const
        {
            if (!_pNode)
                return nullptr;
            const int length = static_cast<int>(std::strlen(name));
            for (unsigned i = 0; i < _pNode->nAttribs; ++i)
            {
                const Attrib& a = _pNode->pAttribs[i];
                if (a.pName->pStr->compare(name, length))
                    return a.pValue;
            }
            return nullptr;
        }

        // The attribute read as a number (an empty value is 0.0); false, with
        // value untouched, when there is no such attribute.
        bool getAttribValue(const char* name, double& value) const
        {
            const td::StringExt* pValue = getAttribValueStrPtr(name);
            if (!pValue)
                return false;
            value = mu::toDouble(pValue->c_str());
            return true;
        }

    private:
        node_iterator(const DOMParser* pParser, const NameEntry* pFilter, const Node* pNode)
            : _pFilter(pFilter)
            , _pParser(pParser)
            , _pNode(pNode)
        {
        }

        // pNode or the first sibling after it that passes the filter.
        static const Node* first(const Node* pNode, const NameEntry* pFilter)
        {
            if (pFilter)
            {
                while (pNode && pNode->pName != pFilter)
                    pNode = pNode->pNextSibling;
            }
            return pNode;
        }

        const NameEntry* _pFilter = nullptr; // null: every sibling
        const DOMParser* _pParser = nullptr;
        const Node* _pNode = nullptr; // null: the end
    };

    DOMParser() = default;
    DOMParser(const DOMParser&) = delete;
    DOMParser& operator=(const DOMParser&) = delete;

    ~DOMParser()
    {
        while (_pFirstChunk)
            delete std::exchange(_pFirstChunk, _pFirstChunk->pNext);
    }

    // The root element, null until a parse has opened one.
    const Node* getRootNode() const { return _document.pFirstChild; }
    node_iterator getRoot() const { return node_iterator(this, getRootNode()); }

    // The document type declaration's text, empty when there was none.
    const td::String& getDocType() const { return _docType; }

private:
    static constexpr unsigned nodesPerChunk = 4096;
    static constexpr unsigned attribsPerChunk = 4096;

    struct AttribChunk
    {
        Attrib pairs[attribsPerChunk];
        AttribChunk* pNext;
    };

    static inline const td::StringExt s_emptyValue {};

    static bool isWhiteSpaceOnly(const char* text, size_t length)
    {
        for (size_t i = 0; i < length; ++i)
        {
            if (!mu::xmlchars::is(text[i], mu::xmlchars::WhiteSpace))
                return false;
        }
        return true;
    }

    void onStartDocument()
    {
        while (!_openNodes.isEmpty())
            _openNodes.pop();
        _document = Node {};
        _openNodes.push(&_document);
        _docType.release();
    }

    void onStartElement(const NameEntry* pName)
    {
        Node* pNode = _nodes.allocate();
        *pNode = Node {pName, nullptr, nullptr, nullptr, nullptr, 0, nullptr};
        Node* pParent = _openNodes.top();
        if (pParent->pLastChild)
            pParent->pLastChild->pNextSibling = pNode;
        else
            pParent->pFirstChild = pNode;
        pParent->pLastChild = pNode;
        _openNodes.push(pNode);
    }

    void onEndElement() { _openNodes.pop(); }

    void onAttribute(const NameEntry* pName, const char* value, size_t length)
    {
        Node& node = *_openNodes.top();
        if (node.nAttribs == maxAttribs)
            this->syntaxError("Too many attributes in one element");
        *newAttrib(node) = Attrib {pName, length > 0 ? this->alloc(value, unsigned(length)) : &s_emptyValue};
    }

    // In mixed content the last piece wins; white space alone is no text.
    void onText(const char* text, size_t length)
    {
        if (!isWhiteSpaceOnly(text, length))
            _openNodes.top()->pText = this->alloc(text, unsigned(length));
    }

    void onCData(const char* text, size_t length) { onText(text, length); }

    void onDocType(const char* text, size_t length)
    {
        if (!isWhiteSpaceOnly(text, length))
            _docType = td::String(text, length);
    }

    // The next pair of node's contiguous run. When the chunk is used up its
    // pairs so far move to the front of a new chunk.
    Attrib* newAttrib(Node& node)
    {
        if (!_pLastChunk || _usedInChunk == attribsPerChunk)
        {
            AttribChunk* pChunk = new AttribChunk;
            pChunk->pNext = nullptr;
            (_pLastChunk ? _pLastChunk->pNext : _pFirstChunk) = pChunk;
            _pLastChunk = pChunk;
            std::copy(node.pAttribs, node.pAttribs + node.nAttribs, pChunk->pairs);
            _usedInChunk = node.nAttribs;
            if (node.nAttribs > 0)
                node.pAttribs = pChunk->pairs;
        }
        Attrib* pAttrib = _pLastChunk->pairs + _usedInChunk++;
        if (node.nAttribs++ == 0)
            node.pAttribs = pAttrib;
        return pAttrib;
    }

    mem::Manager<Node, nodesPerChunk * sizeof(Node)> _nodes;
    AttribChunk* _pFirstChunk = nullptr;
    AttribChunk* _pLastChunk = nullptr;
    unsigned _usedInChunk = 0;
    Node _document {}; // the parent of the root element
    cnt::Stack<Node*, 16> _openNodes;
    td::String _docType;
};
} // namespace xml
