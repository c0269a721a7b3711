#include <sc/ILog.h>
#include <cstring>
#include <string>

namespace sc
{
namespace
{
// An "@" before a letter begins a word of its own (a key such as
// "@ET.UnexpTokenID", a name such as "@main"), not a placeholder.
bool beginsWord(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
} // namespace

td::String translate(ILog::TranslationFn fn, const char* key)
{
    if (!key)
        return td::String();
    if (fn)
        return fn(key);
    return td::String(key);
}

void addKey(ILog& log, ILog::TranslationFn fn, const char* key, std::uint32_t line, std::uint32_t column,
            ILog::Type type, const char* name, bool nameInBrackets)
{
    if (!fn)
    {
        if (name)
            log.translateAndAdd(key, line, column, type, name, nullptr);
        else
            log.translateAndAdd(key, line, column, type);
        return;
    }
    ILog::LE entry {fn(key), line, column};
    if (name)
    {
        entry.text.appendString(nameInBrackets ? " (" : ":", nameInBrackets ? 2 : 1);
        entry.text.appendString(name, static_cast<int>(std::strlen(name)));
        if (nameInBrackets)
            entry.text.appendString(")", 1);
    }
    log.add(entry, type);
}

td::String fillPlaceholders(const char* text, const char* first, std::va_list further)
{
    if (!text)
        return td::String();
    std::string out;
    // Arguments are fetched only when a "@" asks for one, so a caller that
    // passes exactly as many texts as placeholders is never read past.
    bool firstTaken = false;
    bool exhausted = false;
    for (const char* p = text; *p; ++p)
    {
        if (*p == '@' && !exhausted && !beginsWord(p[1]))
        {
            const char* arg = firstTaken ? va_arg(further, const char*) : first;
            firstTaken = true;
            if (arg)
            {
                out.append(arg);
                continue;
            }
            exhausted = true;
        }
        out.push_back(*p);
    }
    return td::String(out.c_str());
}
} // namespace sc
