#include "ConsoleLog.h"

#include <sc/ConsoleLogger.h>

#include <cstdio>

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
    if (entry.line != 0)
        std::printf("%s LineNo=%u, colNo=%u, msg=%s\n", kind, entry.line, entry.column, entry.text.c_str());
    else
        std::printf("%s Msg=%s\n", kind, entry.text.c_str());
}

void ConsoleLog::addWoTranslation(const td::String& text, Type type) { add(LE {text, 0, 0}, type); }

void ConsoleLog::translateAndAdd(const char* key, Type type) { translateAndAdd(key, 0, 0, type); }

void ConsoleLog::translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type)
{
    add(LE {sc::translate(_translate, key), line, col}, type);
}

void ConsoleLog::translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type, const char* strName,
                                 ...)
{
    if (!key || !*key)
        return;
    const td::String text = sc::translate(_translate, key);
    std::va_list further;
    va_start(further, strName);
    const td::String filled = sc::fillPlaceholders(text.c_str(), strName, further);
    va_end(further);
    add(LE {filled, line, col}, type);
}
