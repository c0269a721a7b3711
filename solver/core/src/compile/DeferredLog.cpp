#include <compile/DeferredLog.h>

#include <cstdarg>

namespace SL_NS
{
void DeferredLog::add(const LE& entry, Type type)
{
    _entries.push_back({Kind::Entry, type, entry.text.c_str(), entry.line, entry.column, {}});
}

void DeferredLog::addWoTranslation(const td::String& text, Type type)
{
    _entries.push_back({Kind::Text, type, text.c_str(), 0, 0, {}});
}

void DeferredLog::translateAndAdd(const char* key, Type type)
{
    if (key && *key)
        _entries.push_back({Kind::Key, type, key, 0, 0, {}});
}

void DeferredLog::translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type)
{
    if (key && *key)
        _entries.push_back({Kind::PositionedKey, type, key, line, col, {}});
}

void DeferredLog::translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type, const char* strName,
                                  ...)
{
    if (!key || !*key)
        return;
    Entry entry {Kind::PositionedKey, type, key, line, col, {}};
    va_list more;
    va_start(more, strName);
    for (const char* p = strName; p && entry.arguments.size() < maxArguments; p = va_arg(more, const char*))
        entry.arguments.emplace_back(p);
    va_end(more);
    _entries.push_back(std::move(entry));
}

std::uint32_t DeferredLog::getNoOfErrors() const
{
    std::uint32_t n = 0;
    for (const Entry& e : _entries)
        n += e.type == Type::Error;
    return n;
}

void DeferredLog::replayInto(sc::ILog* pLog)
{
    if (pLog)
        for (const Entry& e : _entries)
        {
            const char* key = e.text.c_str();
            auto argument = [&e](std::size_t i) { return i < e.arguments.size() ? e.arguments[i].c_str() : nullptr; };
            switch (e.kind)
            {
            case Kind::Entry: pLog->add({td::String(key), e.line, e.column}, e.type); break;
            case Kind::Text: pLog->addWoTranslation(td::String(key), e.type); break;
            case Kind::Key: pLog->translateAndAdd(key, e.type); break;
            case Kind::PositionedKey:
                if (e.arguments.empty())
                    pLog->translateAndAdd(key, e.line, e.column, e.type);
                else
                    pLog->translateAndAdd(key, e.line, e.column, e.type, argument(0), argument(1), argument(2),
                                          nullptr);
                break;
            }
        }
    _entries.clear();
}
} // namespace SL_NS
