#pragma once
// Regional formats made for a test, and entry lists as text.
#include <string>

#include <mu/Regionals.h>

namespace test
{
// Separators: decimal '.', thousands ',', date "-", time "~".
inline mu::Regionals makeRegionals(const char* name, const char* dateShort, const char* dateLong, const char* timeShort,
                                   const char* timeLong, int buffLen = 512)
{
    return mu::Regionals(name, buffLen, '.', ',', dateShort, dateLong, "-", timeShort, timeLong, "~", '.', "dmy");
}

// "kind text" per entry, joined by "|".
template <class ENTRIES>
std::string describe(const ENTRIES& entries)
{
    std::string text;
    for (const auto& entry : entries)
        text += (text.empty() ? "" : "|") + std::to_string(entry.kind) + " " + entry.text.c_str();
    return text;
}
} // namespace test
