#pragma once
// The solver's English error text: entries separated by a newline, each
// opened by a head that names the model line and the part of the model,
// e.g. "(12,NLEqs):". Messages fill their "@" placeholders in order.
#include <expr/Build.h>
#include <cnt/StringBuilder.h>
#include <td/String.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace SL_NS
{
// The part of the model an error refers to; also selects the head's text.
enum class SolutionLocation : std::uint8_t
{
    Other = 0,
    RndGens,
    Stats,
    Vars,
    Params,
    Init,
    PreProc,
    ODEqs,
    TFs,
    NLEqs,
    MeasEqs,
    ECs,
    ReadModel,
    Limits,
    PostProc,
    RTSolution,
    Current = 16 // as an argument: the location the solver data holds now
};

// The head text of a location; "NDEF" beyond the table.
const char* getLocationName(SolutionLocation location);

class ErrorStr
{
public:
    // Starts an entry: "\n" unless the text is empty, then "(line,Location):".
    void writeIntro(unsigned short lineNo, SolutionLocation location);

    // Appends fmt with each "@" replaced by the next argument. Once the
    // arguments are used up the rest of fmt is copied as it stands, so a
    // further "@" stays; a format ending right after a placeholder stops there.
    template <typename... Args>
    void appendFormat(const char* fmt, const Args&... args)
    {
        if (fmt)
            appendParts(fmt, args...);
    }

    void append(const char* text) { _text.put(text); }

    td::String toString() const { return _text.toString(); }
    std::size_t length() const { return _text.length(); }
    void clean() { _text.reset(); }

private:
    void appendParts(const char* fmt) { _text.put(fmt); }

    template <typename First, typename... Rest>
    void appendParts(const char* fmt, const First& first, const Rest&... rest)
    {
        const char* at = std::strchr(fmt, '@');
        if (!at)
        {
            _text.put(fmt);
            return;
        }
        _text.put(fmt, unsigned(at - fmt));
        appendArg(first);
        if (at[1] == '\0')
            return;
        appendParts(at + 1, rest...);
    }

    void appendArg(const td::String& s) { _text.put(s.c_str(), unsigned(s.length())); }
    void appendArg(const td::StringExt& s) { _text.put(s.c_str(), unsigned(s.length())); }
    void appendArg(const char* s) { _text.put(s); }
    void appendArg(unsigned int v) { appendNumber("%u", v); }
    void appendArg(int v) { appendNumber("%d", v); }
    void appendArg(unsigned long v) { appendNumber("%lu", v); }
    void appendArg(unsigned short v) { appendNumber("%hu", v); }

    template <typename N>
    void appendNumber(const char* fmt, N v)
    {
        if (std::snprintf(_number, sizeof(_number), fmt, v) < 0)
            _number[sizeof(_number) - 1] = '\0';
        _text.put(_number);
    }

    cnt::StringBuilder<td::String, 1024> _text;
    char _number[64] = {};
};
} // namespace SL_NS
