#pragma once
// Reads an XML document (a file, or a NUL-terminated text in memory) and
// drives a handler through start of element, attribute, text, CDATA section
// and end of element. HANDLER derives from this class (the DOM parser) and
// receives the events as onStartDocument(), onStartElement(pName),
// onAttribute(pName, value, length), onText(text, length), onCData(text,
// length), onDocType(text, length) and onEndElement().
//
// Element and attribute names are interned: one entry per distinct name, so
// names are compared by entry. A parse succeeds when the input ends after
// the root element closed with nothing but comments after it; an end
// anywhere else is the tokenizer's EndOfInput error. Every error is a
// mu::ParserException that the entry points catch, keep as the last error and
// report to a logger.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <type_traits>

#include <cnt/HashList.h>
#include <cnt/Stack.h>
#include <mem/StringMemoryManager.h>
#include <mu/Assert.h>
#include <mu/IApplication.h>
#include <mu/ILogger.h>
#include <mu/ParserException.h>
#include <mu/Tokenizer.h>
#include <td/String.h>

namespace xml
{
template <class HANDLER, typename TINBUFFER, unsigned HASHSIZE, bool FROM_MEMORY>
class SAXParser : public mu::Tokenizer<TINBUFFER, FROM_MEMORY>
{
    using Base = mu::Tokenizer<TINBUFFER, FROM_MEMORY>;
    using Token = typename Base::Token;
    using ExceptionType = mu::ExceptionType;

public:
    using NameEntry = cnt::HashEntry<td::StringExt>;
    using NameList = cnt::HashList<cnt::HashBucket<NameEntry>, td::StringExt, HASHSIZE>;

    SAXParser() = default;

    // True when the file was read whole. With a null logger the
    // application's logger (if any) is told about a failure.
    bool parseFile(const td::String& fileName, mu::ILogger* pLogger = nullptr) requires(!FROM_MEMORY)
    {
        beginParse();
        td::String failure;
        _file.open(fileName.c_str(), std::ios::binary);
        if (_file.is_open())
            failure = parseOpenFile(fileName);
        else
        {
            failure.format("Cannot open xml file: %s", fileName.c_str());
            _lastError = mu::ParserException(-1, -1, ExceptionType::NotXML, failure);
        }
        _file.close();
        if (failure.isEmpty())
            return true;
        report(pLogger, "XmlFileParser::parseFile", failure);
        return false;
    }

    bool parseFile(const std::filesystem::path& path, mu::ILogger* pLogger = nullptr) requires(!FROM_MEMORY)
    {
        td::String fileName;
        fileName = path;
        return parseFile(fileName, pLogger);
    }

    // text must not be null. Without a header the text has no XML
    // declaration (a UTF-8 byte order mark is still skipped). Exceptions other
    // than parse errors (allocation) reach the caller.
    bool parseMemory(const char* text, mu::ILogger* pLogger, bool withHeader) requires FROM_MEMORY
    {
        MU_ASSERT(text);
        beginParse();
        this->setInput(text, std::strlen(text));
        try
        {
            parseDocument(withHeader);
            return true;
        }
        catch (const mu::ParserException& e)
        {
            _lastError = e;
            report(pLogger, "SAXParser::parseMemory", e.getMessage());
        }
        return false;
    }

    // Why the last parse failed: line -1 and no message when it did not.
    const mu::ParserException& getLastError() const { return _lastError; }

    // The entry of a name that a parse has seen, or null.
    const NameEntry* findName(const char* name, size_t length) const
    {
        return _names.find(NameList::hashOf(name, length), static_cast<int>(length), name);
    }

    // For the name list: interned names go to the string pool.
    td::StringExt* alloc(const char* text, unsigned length) { return _pool.alloc(text, length); }

protected:
    [[noreturn]] void syntaxError(const char* message) const { this->throwError(ExceptionType::Syntax, 0, message); }

    // Texts and names of the document live here until the parser goes.
    mem::StringMemoryManager<td::StringExt, 65536> _pool;

private:
    HANDLER& handler() { return static_cast<HANDLER&>(*this); }

    // The message for the logger when the parse fails, else empty.
    td::String parseOpenFile(const td::String& fileName) requires(!FROM_MEMORY)
    {
        td::String failure;
        this->setInput(&_file);
        try
        {
            this->fetchFirstBlock();
            parseDocument(true);
        }
        catch (const mu::ParserException& e)
        {
            _lastError = e;
            failure.format("Cannot parse xml file: %s\n%s", fileName.c_str(), e.getMessage().c_str());
        }
        catch (const td::String& text)
        {
            failure.format("Error parsing xml file: %s\n%s", fileName.c_str(), text.c_str());
            _lastError = mu::ParserException(-1, -1, ExceptionType::Syntax, text);
        }
        catch (...)
        {
            failure.format("Unexpected exception while parsing while parsing xml file: %s", fileName.c_str());
            _lastError = mu::ParserException(-1, -1, ExceptionType::Syntax, failure);
        }
        this->setInput(nullptr);
        return failure;
    }

    [[noreturn]] static void headerError(ExceptionType type, const char* message)
    {
        throw mu::ParserException(-1, -1, type, message);
    }

    // The name list is kept, so that a name keeps its one entry in every
    // tree the parser holds.
    void beginParse()
    {
        while (!_openNames.isEmpty())
            _openNames.pop();
        _elementOpened = false;
        _lastError = mu::ParserException();
        handler().onStartDocument();
    }

    void report(mu::ILogger* pLogger, const char* title, const td::String& message) const
    {
        if (!pLogger)
        {
            if (mu::IAppSettings* pSettings = mu::getAppSettings())
                pLogger = pSettings->getLogger();
        }
        if (pLogger)
            pLogger->show(2, td::String(title), message);
    }

    void parseDocument(bool withHeader)
    {
        if (withHeader)
            parseHeader();
        else
            detectEncoding();
        parseXMLContent();
    }

    // Steps over a UTF-8 byte order mark; every other signature is refused.
    void detectEncoding()
    {
        const int b1 = this->byteAt(1), b2 = this->byteAt(2), b3 = this->byteAt(3);
        bool otherEncoding = false;
        switch (this->byteAt(0))
        {
        case 0xEF:
            if (b1 != 0xBB || b2 != 0xBF)
                headerError(ExceptionType::NotXML, "Not an XML file");
            this->skipBytes(3);
            return;
        case 0xFE: // UTF-16, big end first
            otherEncoding = b1 == 0xFF;
            break;
        case 0xFF: // UTF-16 or UTF-32, little end first
            otherEncoding = b1 == 0xFE && (b2 > 0 || (b2 == 0 && b3 == 0));
            break;
        case 0x00: // UTF-32, big end first
            otherEncoding = b1 == 0 && b2 == 0xFE && b3 == 0xFF;
            break;
        default: return;
        }
        if (otherEncoding)
            headerError(ExceptionType::UnsupportedEncoding, "Unsupported file encoding");
        headerError(ExceptionType::NotXML, "Not an XML file");
    }

    // The XML declaration: version 1.0, optionally encoding UTF-8.
    void parseHeader()
    {
        if (this->available() < 10)
            headerError(ExceptionType::NotXML, "Not an XML file");
        detectEncoding();
        if (this->getNextToken() != Token::Less)
            headerError(ExceptionType::Header, "Wrong header file");
        if (this->getNextToken() != Token::Question || !readNameOf("xml"))
            headerError(ExceptionType::Header, "Wrong XML header");
        if (!readNameOf("version"))
            headerError(ExceptionType::Header, "XML version expected");
        readHeaderValue();
        if (!this->tokenIs("1.0"))
            headerError(ExceptionType::Header, "Unsupported XML version");
        Token t = this->getNextToken();
        if (t == Token::Name)
        {
            this->parseName();
            if (!this->tokenIs("encoding"))
                headerError(ExceptionType::Header, "Unsupported XML version");
            readHeaderValue();
            if (!tokenIsUpper("UTF-8") && !tokenIsUpper("UTF8"))
                headerError(ExceptionType::Header, "Unsupported XML encoding");
            t = this->getNextToken();
        }
        else if (t != Token::Question)
            headerError(ExceptionType::Header, "Wrong XML header");
        if (t != Token::Question)
            headerError(ExceptionType::Header, "Wrong XML header: Expected xml header closing sign '?'");
        if (this->getNextToken() != Token::Greater)
            headerError(ExceptionType::Header, "Wrong XML header: Expected xml header closing sign '>'");
    }

    // The next token is a name, and it is this one.
    bool readNameOf(const char* name)
    {
        if (this->getNextToken() != Token::Name)
            return false;
        this->parseName();
        return this->tokenIs(name);
    }

    // "=" and a quoted value of a declaration attribute.
    void readHeaderValue()
    {
        if (this->getNextToken() != Token::Equal)
            headerError(ExceptionType::Header, "Wrong XML header: Expected '=' after 'version'");
        const Token quote = this->getNextToken();
        if (!Base::isValueToken(quote))
            headerError(ExceptionType::Header, "Wrong XML header: Expected version number");
        this->parseQuotedString(quote);
    }

    // The token in upper case equals text (upper case already).
    bool tokenIsUpper(const char* text) const
    {
        const size_t n = this->tokenLength();
        if (n != std::strlen(text))
            return false;
        for (size_t i = 0; i < n; ++i)
        {
            char c = this->tokenText()[i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            if (c != text[i])
                return false;
        }
        return true;
    }

    bool rootClosed() const { return _elementOpened && _openNames.isEmpty(); }

    // Each round consumes input, so the loop ends with the input at the
    // latest: normally after the root element, else by EndOfInput.
    void parseXMLContent()
    {
        for (;;)
        {
            if (rootClosed())
            {
                if (this->skipWhiteSpacesToEnd())
                    return;
                parseTrailingComment();
                continue;
            }
            this->template skipWhiteSpaces<true>();
            if (this->peek() != '<')
            {
                this->parseXMLText();
                handler().onText(this->tokenText(), this->tokenLength());
                continue;
            }
            this->step();
            switch (this->getNextToken())
            {
            case Token::Exclamation: parseExclamation(); break;
            case Token::Name: parseNode(); break;
            case Token::Question: parseWorkingInstruction(); break;
            case Token::Slash: parseEndNode(); break;
            default: syntaxError("Invalid element name");
            }
        }
    }

    // After the root element only comments may follow.
    void parseTrailingComment()
    {
        if (this->peek() != '<')
            trailingError();
        this->step();
        if (this->getNextToken() != Token::Exclamation || !openComment(this->getNextToken()))
            trailingError();
        this->skipToDoubleDash();
        if (this->peek() != '>')
            syntaxError("Unexpected token! Trailing comments are not closed with '>'");
        this->step();
    }

    [[noreturn]] void trailingError() const
    {
        this->throwError(ExceptionType::TrailingToken, 0, "Unexpected token at the end of xml");
    }

    // A comment opens with two dashes in a row; the first one is read.
    bool openComment(Token t)
    {
        if (t != Token::Minus || this->peek() != '-')
            return false;
        this->step();
        return true;
    }

    // After "<!": a CDATA section, a document type declaration or a comment.
    void parseExclamation()
    {
        const Token t = this->getNextToken();
        if (t == Token::OpenBracket)
        {
            if (!readNameOf("CDATA") || this->getNextToken() != Token::OpenBracket)
                syntaxError("Unexpected token");
            this->skipComments(3, "]]>");
            handler().onCData(this->tokenText(), this->tokenLength());
        }
        else if (t == Token::Name)
        {
            this->parseName();
            if (!this->tokenIs("DOCTYPE"))
                syntaxError("Unexpected token");
            this->skipComments(1, ">");
            handler().onDocType(this->tokenText(), this->tokenLength());
        }
        else if (openComment(t))
        {
            this->skipToDoubleDash();
            if (this->peek() != '>')
                syntaxError("Unexpected token! Comments are not closed with '>'");
            this->step();
        }
        else
            syntaxError("Unexpected token");
    }

    const NameEntry* intern(uint32_t hash)
    {
        return _names.add(hash, static_cast<int>(this->tokenLength()), this->tokenText(), this);
    }

    void openElement(const NameEntry* pName)
    {
        handler().onStartElement(pName);
        _openNames.push(pName);
        _elementOpened = true;
    }

    void closeElement()
    {
        _openNames.pop();
        handler().onEndElement();
    }

    // A start tag, the cursor on its name.
    void parseNode()
    {
        const NameEntry* pName = intern(this->parseName());
        switch (this->getNextToken())
        {
        case Token::Greater: openElement(pName); return;
        case Token::Slash:
            openElement(pName);
            if (this->getNextToken() != Token::Greater)
                syntaxError("Unexpected token");
            closeElement();
            return;
        case Token::Name:
            openElement(pName);
            parseAttributes();
            return;
        default: syntaxError("Unexpected token");
        }
    }

    // name = "value" pairs up to ">" or "/>"; each round consumes input.
    void parseAttributes()
    {
        for (;;)
        {
            const NameEntry* pName = intern(this->parseName());
            if (this->getNextToken() != Token::Equal)
                syntaxError("Unexpected token");
            const Token quote = this->getNextToken();
            if (!Base::isValueToken(quote))
                syntaxError("Unexpected token");
            this->parseQuotedString(quote);
            handler().onAttribute(pName, this->tokenText(), this->tokenLength());
            switch (this->getNextToken())
            {
            case Token::Name: break;
            case Token::Greater: return;
            case Token::Slash:
                if (this->getNextToken() != Token::Greater)
                    syntaxError("Unexpected token! Expected '>'");
                closeElement();
                return;
            default: syntaxError("Unexpected token");
            }
        }
    }

    // An end tag after "</". It closes the open element of the same name
    // (the same interned entry); a name never seen cannot match.
    void parseEndNode()
    {
        if (this->getNextToken() != Token::Name)
            syntaxError("Unexpected token");
        this->parseName();
        const NameEntry* pName = findName(this->tokenText(), this->tokenLength());
        const td::String unknownName = pName ? td::String() : td::String(this->tokenText(), this->tokenLength());
        if (this->getNextToken() != Token::Greater)
            syntaxError("Unexpected token");
        if (_openNames.isEmpty())
            syntaxError("Unexpected token");
        if (_openNames.top() != pName)
        {
            td::String message;
            message.format("Unexpected closing element name: '%s'. Expected: '%s'",
                           pName ? pName->pStr->c_str() : unknownName.c_str(), _openNames.top()->pStr->c_str());
            this->throwError(ExceptionType::Syntax, 0, message.c_str());
        }
        closeElement();
    }

    // "<?" name, pseudo-attributes, "?>"; not reported. Each round consumes
    // input.
    void parseWorkingInstruction()
    {
        if (this->getNextToken() != Token::Name)
            syntaxError("Unexpected token. Expected working instructions name");
        this->parseName();
        for (;;)
        {
            switch (this->getNextToken())
            {
            case Token::Name:
            {
                this->parseName();
                if (this->getNextToken() != Token::Equal)
                    syntaxError("Unexpected token while parsing working instructions attribute. Expected '='");
                const Token quote = this->getNextToken();
                if (!Base::isValueToken(quote))
                    syntaxError(
                        "Unexpected token while parsing working instructions attribute. Expected '\"' or \"'\"");
                this->parseQuotedString(quote);
                break;
            }
            case Token::Question:
                if (this->getNextToken() != Token::Greater)
                    syntaxError("Unexpected token while parsing working instructions attribute. Expected '>'");
                return;
            default: syntaxError("Unexpected token while parsing working instructions name");
            }
        }
    }

    struct NoFile
    {
    };

    [[no_unique_address]] std::conditional_t<FROM_MEMORY, NoFile, std::ifstream> _file;
    NameList _names;
    cnt::Stack<const NameEntry*, 16> _openNames;
    bool _elementOpened = false; // the root element has been opened
    mu::ParserException _lastError;
};
} // namespace xml
