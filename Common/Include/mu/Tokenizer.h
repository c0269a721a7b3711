#pragma once
// The character-level reader under the XML parser. It scans the input in
// place, block by block, and collects names, quoted values, text and section
// bodies with their references decoded into one token buffer that is reused
// for every token. Every construct may span blocks: each scanning step loads
// the next block when the cursor reaches the end of the current one, and the
// end of the input is an EndOfInput exception wherever it falls.
//
// TINBUFFER is the block buffer of the file instance (td::BufferString<char,
// 4096, 0>); the in-memory instance (FROM_MEMORY) reads the caller's text in
// place as its one block and has no buffer of its own.
#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <type_traits>

#include <mu/ParserException.h>
#include <mu/UTFConverter.h>
#include <td/BufferString.h>

namespace mu
{
namespace xmlchars
{
enum : unsigned char
{
    WhiteSpace = 1,
    NameStart = 2, // letters and "_"
    NameChar = 4   // letters, digits, "_", "-", ".", ":"
};

constexpr unsigned char classOf(unsigned char c)
{
    if (c == 9 || c == 10 || c == 13 || c == 32)
        return WhiteSpace;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
        return NameStart | NameChar;
    if ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':')
        return NameChar;
    return 0;
}

struct Table
{
    unsigned char cls[256];
    constexpr Table()
        : cls()
    {
        for (int c = 0; c < 256; ++c)
            cls[c] = classOf(static_cast<unsigned char>(c));
    }
};

inline constexpr Table table;

inline bool is(char c, unsigned char what) { return table.cls[static_cast<unsigned char>(c)] & what; }
} // namespace xmlchars

template <typename TINBUFFER, bool FROM_MEMORY>
class Tokenizer
{
public:
    enum class Token : unsigned char
    {
        Other = 0,
        Less = 1,
        Greater = 2,
        Backslash = 3,
        Slash = 4,
        Plus = 5,
        Minus = 6,
        Star = 7,
        Exclamation = 11,
        Question = 12,
        Ampersand = 13,
        Hash = 15,
        Equal = 16,
        Apostrophe = 17,
        Quote = 18,
        Name = 22,
        OpenParen = 23,
        CloseParen = 24,
        OpenBracket = 25,
        CloseBracket = 26,
        OpenBrace = 27,
        CloseBrace = 28
    };

    // The token of a character that does not start a name.
    static Token isNonAlphaNumToken(char c)
    {
        switch (c)
        {
        case '<': return Token::Less;
        case '>': return Token::Greater;
        case '\\': return Token::Backslash;
        case '/': return Token::Slash;
        case '+': return Token::Plus;
        case '-': return Token::Minus;
        case '*': return Token::Star;
        case '!': return Token::Exclamation;
        case '?': return Token::Question;
        case '&': return Token::Ampersand;
        case '#': return Token::Hash;
        case '=': return Token::Equal;
        case '\'': return Token::Apostrophe;
        case '"': return Token::Quote;
        case '(': return Token::OpenParen;
        case ')': return Token::CloseParen;
        case '[': return Token::OpenBracket;
        case ']': return Token::CloseBracket;
        case '{': return Token::OpenBrace;
        case '}': return Token::CloseBrace;
        default: return Token::Other;
        }
    }

    static bool isValueToken(Token t) { return t == Token::Apostrophe || t == Token::Quote; }

    Tokenizer() = default;
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

protected:
    // The text as the one block.
    void setInput(const char* text, size_t length) requires FROM_MEMORY { resetInput(text, text + length); }

    // The stream is read block by block; the caller keeps it open.
    void setInput(std::istream* pStream) requires(!FROM_MEMORY)
    {
        _input.pStream = pStream;
        resetInput(nullptr, nullptr);
    }

    // Reads the first block of a stream without ending the parse when there
    // is none, so that a short file can be told from a cut one.
    void fetchFirstBlock() requires(!FROM_MEMORY) { fetchBlock(); }

    size_t available() const { return static_cast<size_t>(_pEnd - _pCur); }
    // The byte at offset i from the cursor in the current block, -1 past it.
    int byteAt(size_t i) const { return i < available() ? static_cast<unsigned char>(_pCur[i]) : -1; }
    void skipBytes(size_t n) { _pCur += n; }

    // The character under the cursor; the input ends here when there is none.
    char peek()
    {
        if (_pCur == _pEnd)
            reload();
        return *_pCur;
    }
    void step() { ++_pCur; }
    char nextChar()
    {
        const char c = peek();
        step();
        return c;
    }

    // The 0-based line of the cursor: the line feeds before it.
    int getLine() const
    {
        size_t lines = _linesBefore + static_cast<size_t>(std::count(_pBlockStart, _pCur, '\n'));
        return lines > INT_MAX ? INT_MAX : static_cast<int>(lines);
    }

    [[noreturn]] void throwError(ExceptionType type, int column, const char* message) const
    {
        throw ParserException(getLine(), column, type, message);
    }

    const char* tokenText() const { return _token.c_str(); }
    size_t tokenLength() const { return static_cast<size_t>(_token.length()); }
    bool tokenIs(const char* text) const
    {
        return tokenLength() == std::strlen(text) && std::memcmp(tokenText(), text, tokenLength()) == 0;
    }

    // Skips white space; KEEP stores it in the (erased) token buffer, where
    // element text that follows is appended to it.
    template <bool KEEP>
    void skipWhiteSpaces()
    {
        _token.erase();
        for (;;)
        {
            const char* p = _pCur;
            while (p < _pEnd && xmlchars::is(*p, xmlchars::WhiteSpace))
                ++p;
            if constexpr (KEEP)
                append(_pCur, p);
            _pCur = p;
            if (p < _pEnd)
                return;
            reload();
        }
    }

    // Skips white space; true when the input ends there (the one place
    // where the end of the input is no error: after the root element).
    bool skipWhiteSpacesToEnd()
    {
        for (;;)
        {
            while (_pCur < _pEnd && xmlchars::is(*_pCur, xmlchars::WhiteSpace))
                ++_pCur;
            if (_pCur < _pEnd)
                return false;
            if (!fetchBlock())
                return true;
        }
    }

    // Skips white space and classifies the next character: a name start is
    // left under the cursor, any other character is stepped over.
    Token getNextToken()
    {
        skipWhiteSpaces<false>();
        const char c = *_pCur;
        if (xmlchars::is(c, xmlchars::NameStart))
            return Token::Name;
        ++_pCur;
        return isNonAlphaNumToken(c);
    }

    // Reads a name into the erased buffer and returns its hash (td::nameHash,
    // computed while scanning). The caller has checked the first character,
    // so the name is never empty.
    uint32_t parseName()
    {
        _token.erase();
        uint32_t hash = 0;
        for (;;)
        {
            const char* p = _pCur;
            while (p < _pEnd && xmlchars::is(*p, xmlchars::NameChar))
            {
                hash = std::rotl(hash, 5) ^ static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
                ++p;
            }
            append(_pCur, p);
            _pCur = p;
            if (p < _pEnd)
                return hash;
            reload();
        }
    }

    // Reads a value up to its closing quote (stepped over); the other quote,
    // "<", ">" and line feeds are ordinary characters.
    void parseQuotedString(Token quote)
    {
        const char closing = quote == Token::Quote ? '"' : '\'';
        _token.erase();
        for (;;)
        {
            const char* p = _pCur;
            while (p < _pEnd && *p != closing && *p != '&')
                ++p;
            append(_pCur, p);
            _pCur = p;
            if (p == _pEnd)
            {
                reload();
                continue;
            }
            ++_pCur;
            if (*p == closing)
                return;
            parseReservedXMLSign();
        }
    }

    // Appends element text up to the next "<", which stays under the cursor.
    void parseXMLText()
    {
        for (;;)
        {
            const char* p = _pCur;
            while (p < _pEnd && *p != '<' && *p != '&')
                ++p;
            append(_pCur, p);
            _pCur = p;
            if (p == _pEnd)
            {
                reload();
                continue;
            }
            if (*p == '<')
                return;
            ++_pCur;
            parseReservedXMLSign();
        }
    }

    // Reads a section body into the erased buffer up to the terminator of the
    // given length, which is stepped over. A match is found by the
    // terminator's last character and the body read so far, so a character
    // that breaks a partial match may begin the next one ("x]]]>" closes with
    // the body "x]").
    void skipComments(int length, const char* terminator)
    {
        const char last = terminator[length - 1];
        const size_t before = static_cast<size_t>(length - 1);
        _token.erase();
        for (;;)
        {
            const char* p = static_cast<const char*>(std::memchr(_pCur, last, available()));
            if (!p)
            {
                append(_pCur, _pEnd);
                _pCur = _pEnd;
                reload();
                continue;
            }
            append(_pCur, p);
            _pCur = p + 1;
            const size_t n = tokenLength();
            if (n >= before && std::memcmp(tokenText() + n - before, terminator, before) == 0)
            {
                _token.setLength(static_cast<int>(n - before));
                return;
            }
            append(p, p + 1);
        }
    }

    // Steps over a comment body up to and including its first "--".
    void skipToDoubleDash()
    {
        for (;;)
        {
            const char* p = static_cast<const char*>(std::memchr(_pCur, '-', available()));
            _pCur = p ? p + 1 : _pEnd;
            if (p && peek() == '-')
            {
                step();
                return;
            }
            if (!p)
                reload();
        }
    }

    // Decodes one reference after "&" into the buffer: amp, lt, gt, quot,
    // apos or nbsp followed by ";", or "#" and a decimal reference.
    void parseReservedXMLSign()
    {
        static constexpr const char* wrongReference = "Unexpected character while parsing special character in string";
        struct Reference
        {
            const char* rest;    // the name's letters after the ones read
            const char* decoded; // UTF-8
        };
        Reference r;
        const char* wrongLetter = wrongReference;
        switch (nextChar())
        {
        case '#': parseUnicodeCharacter(); return;
        case 'l': r = {"t", "<"}; break;
        case 'g': r = {"t", ">"}; break;
        case 'q': r = {"uot", "\""}; break;
        case 'n':
            r = {"bsp", "\xC2\xA0"};
            wrongLetter = "Unexpected character while parsing special character in string nbsp";
            break;
        case 'a':
            switch (nextChar())
            {
            case 'm': r = {"p", "&"}; break;
            case 'p': r = {"os", "'"}; break;
            default: throwError(ExceptionType::Syntax, -1, wrongReference);
            }
            break;
        default: throwError(ExceptionType::Syntax, -1, wrongReference);
        }
        for (const char* p = r.rest; *p; ++p)
        {
            if (nextChar() != *p)
                throwError(ExceptionType::Syntax, -1, wrongLetter);
        }
        if (nextChar() != ';')
            throwError(ExceptionType::Syntax, -1, wrongReference);
        append(r.decoded, r.decoded + std::strlen(r.decoded));
    }

    // After "&#": one to four decimal digits before ";": the value as one UTF-16
    // unit, appended as UTF-8. The value 0 is refused (a NUL byte would cut
    // the text as a C string), and so is any character other than a digit
    // before the ";", so a bad reference cannot swallow a closing quote.
    void parseUnicodeCharacter()
    {
        unsigned value = 0;
        int digits = 0;
        for (;;)
        {
            const char c = nextChar();
            if (c == ';' && digits > 0)
                break;
            if (c < '0' || c > '9' || digits == 4)
                throwError(ExceptionType::Syntax, -1, "Wrong unicode formating!");
            value = value * 10 + static_cast<unsigned>(c - '0');
            ++digits;
        }
        if (value == 0)
            throwError(ExceptionType::Syntax, -1, "Wrong unicode formating!");
        const unsigned short unit = static_cast<unsigned short>(value);
        unsigned char bytes[3];
        const unsigned n = UTFConverter::measureUTF16toUTF8(&unit, &unit + 1, UTFConverter::Strict);
        if (n > sizeof(bytes) || UTFConverter::convertUTF16toUTF8(&unit, &unit + 1, bytes, bytes + n,
                                                                  UTFConverter::Strict) != UTFConverter::OK)
            throwError(ExceptionType::Syntax, -1, "Wrong unicode formating!");
        append(reinterpret_cast<const char*>(bytes), reinterpret_cast<const char*>(bytes) + n);
    }

private:
    struct MemoryInput
    {
    };
    struct FileInput
    {
        TINBUFFER block;
        std::istream* pStream = nullptr;
    };

    void resetInput(const char* pBegin, const char* pEnd)
    {
        _pBlockStart = _pCur = pBegin;
        _pEnd = pEnd;
        _linesBefore = 0;
        _token.erase();
    }

    // The next block of a stream; false when the input has ended. The lines
    // of the block left behind are counted first; the in-memory text is one
    // block, whose lines are counted only when an error asks for them.
    bool fetchBlock()
    {
        if constexpr (FROM_MEMORY)
            return false;
        else
        {
            _linesBefore += static_cast<size_t>(std::count(_pBlockStart, _pEnd, '\n'));
            _pBlockStart = _pCur = _pEnd;
            std::istream* pStream = _input.pStream;
            if (!pStream || !pStream->good())
                return false;
            char* pBlock = _input.block.data();
            pStream->read(pBlock, _input.block.capacity());
            const std::streamsize n = pStream->gcount();
            if (n < 1)
                return false;
            _pBlockStart = _pCur = pBlock;
            _pEnd = pBlock + n;
            return true;
        }
    }

    void reload()
    {
        if (!fetchBlock())
            throwError(ExceptionType::EndOfInput, -1, "End of input detected");
    }

    // Appends [pBegin, pEnd) to the token buffer, which grows by doubling so
    // that a long token costs linear time. A token must fit a string: texts
    // and names go into pooled strings afterwards.
    void append(const char* pBegin, const char* pEnd)
    {
        const size_t n = static_cast<size_t>(pEnd - pBegin);
        if (n == 0)
            return;
        const size_t length = tokenLength();
        const size_t needed = length + n;
        const size_t capacity = static_cast<size_t>(_token.capacity());
        if (needed > td::String::MaxLength)
            throwError(ExceptionType::Syntax, -1, "Token too long");
        if (needed > capacity)
            _token.reserve(static_cast<int>(std::max(needed, capacity * 2)));
        std::memcpy(_token.data() + length, pBegin, n);
        _token.setLength(static_cast<int>(needed));
    }

    [[no_unique_address]] std::conditional_t<FROM_MEMORY, MemoryInput, FileInput> _input;
    td::BufferString<char, 512, 256> _token;
    const char* _pCur = nullptr;
    const char* _pBlockStart = nullptr;
    const char* _pEnd = nullptr;
    size_t _linesBefore = 0; // line feeds in the blocks before the current one
};
} // namespace mu
