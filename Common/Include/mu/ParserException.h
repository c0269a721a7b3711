#pragma once
// The exception of the XML tokenizer and parser. It never leaves a parse:
// the parser's entry points catch it, keep it as the last error and report it.
#include <td/String.h>

namespace mu
{
enum class ExceptionType : unsigned char
{
    EndOfInput = 0,
    Syntax = 1,
    NotXML = 3,
    UnsupportedEncoding = 7,
    Header = 8,
    TrailingToken = 9
};

class ParserException
{
public:
    // A parser that has not failed: no position, no message.
    ParserException() = default;

    ParserException(int line, int column, ExceptionType type, const char* message)
        : _message(message)
        , _line(line)
        , _column(column)
        , _type(type)
    {
    }

    ParserException(int line, int column, ExceptionType type, td::String message)
        : _message(std::move(message))
        , _line(line)
        , _column(column)
        , _type(type)
    {
    }

    const td::String& getMessage() const { return _message; }
    // 0-based count of the line feeds before the fault; -1 when the fault has
    // no position (the file as a whole, its declaration).
    int getLine() const { return _line; }
    // -1 from the tokenizer, 0 from the parser: columns are not tracked.
    int getColumn() const { return _column; }
    ExceptionType getType() const { return _type; }

private:
    td::String _message;
    int _line = -1;
    int _column = -1;
    ExceptionType _type = ExceptionType::EndOfInput;
};
} // namespace mu
