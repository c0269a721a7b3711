#include "ConsoleLog.h"

#include "Sentences.h"

#include <sc/ConsoleLogger.h>

#include <cstdio>
#include <string>

namespace globals
{
constinit ConsoleLog s_consoleLog;
} // namespace globals

namespace sc
{
ILog* getConsoleLogger() { return &globals::s_consoleLog; }
} // namespace sc

void ConsoleLog::add(const LE& entry, Type type)
{
    const char* kind = nullptr;
    switch (type)
    {
    case Type::Info: std::printf("%s\n", entry.text.c_str()); return;
    case Type::Warning: kind = "Warning!"; break;
    case Type::Error: kind = "Error!"; break;
    default: return;
    }
    // Stored lines are the text's own, as an editor numbers them.
    if (entry.line == 0)
        std::printf("%s %s\n", kind, entry.text.c_str());
    else if (entry.column == 0)
        std::printf("%s line %u: %s\n", kind, entry.line, entry.text.c_str());
    else
        std::printf("%s line %u, column %u: %s\n", kind, entry.line, entry.column, entry.text.c_str());
}

void ConsoleLog::addWoTranslation(const td::String& text, Type type) { add(LE {text, 0, 0}, type); }

void ConsoleLog::translateAndAdd(const char* key, Type type) { translateAndAdd(key, 0, 0, type); }

void ConsoleLog::translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type)
{
    translateAndAdd(key, line, col, type, nullptr);
}

void ConsoleLog::translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type, const char* strName,
                                 ...)
{
    if (!key || !*key)
        return;
    std::va_list further;
    va_start(further, strName);
    const td::String text = translated(key, strName, further);
    va_end(further);
    add(LE {text, line, col}, type);
}

// The host's translation when it gave one; otherwise the English sentence
// followed by the key in brackets, so that a reader can look the key up. A
// key without a sentence is its own text.
td::String ConsoleLog::translated(const char* key, const char* first, std::va_list further) const
{
    const char* sentence = _translate ? nullptr : msg::englishSentence(key);
    if (!sentence)
    {
        const td::String text = sc::translate(_translate, key);
        return sc::fillPlaceholders(text.c_str(), first, further);
    }
    const td::String filled = sc::fillPlaceholders(sentence, first, further);
    return td::String((std::string(filled.c_str()) + " [" + key + "]").c_str());
}
