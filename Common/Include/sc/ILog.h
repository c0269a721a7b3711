#pragma once
// The one channel through which the solver and model libraries report. The
// libraries only borrow a logger: it is never deleted through this interface.
#include <cstdarg>
#include <cstdint>
#include <td/String.h>

namespace sc
{
class ILog
{
public:
    enum class Type : std::uint8_t
    {
        Info = 0,
        Warning = 1,
        Error = 2
    };

    // One entry; line 0 means the entry has no position in the model text.
    struct LE
    {
        td::String text;
        std::uint32_t line = 0;
        std::uint32_t column = 0;
    };

    using TranslationFn = td::String (*)(const char*);

    virtual void clean() = 0;
    virtual void setModulePosition(unsigned short modulePos) = 0;
    virtual void enableCollecting(bool enable) = 0;
    virtual void add(const LE& entry, Type type) = 0;
    virtual void setTranslationFn(TranslationFn fn) = 0;
    virtual void addWoTranslation(const td::String& text, Type type) = 0;
    virtual void translateAndAdd(const char* key, Type type) = 0;
    virtual void translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type) = 0;
    // Fills each "@" placeholder of the translated text with the next text argument:
    // strName first, then the further const char* arguments. Callers end
    // the further arguments with a null pointer; a "@" left without an
    // argument stays as it is. A null or empty key records nothing.
    virtual void translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type, const char* strName,
                                 ...) = 0;
    virtual void refresh() = 0;
    virtual std::uint32_t getNoOfErrors() const = 0;

protected:
    ~ILog() = default;
};

// The text of key through fn, or the key itself when there is no function.
td::String translate(ILog::TranslationFn fn, const char* key);

// Records key at (line, column), followed by name when there is one. With a
// translation function the entry's text is fn's text of the key, then ":" and
// the name, or " (" and the name and ")" when nameInBrackets; it goes to add.
// Without one the key and the name go to the logger's translateAndAdd, so the
// logger translates them itself.
void addKey(ILog& log, ILog::TranslationFn fn, const char* key, std::uint32_t line, std::uint32_t column,
            ILog::Type type, const char* name = nullptr, bool nameInBrackets = false);

// text with each "@" placeholder replaced by the next argument: first, then
// the const char* arguments of further up to a null pointer. Once the
// arguments run out the remaining "@" stay in the text. An "@" directly
// before a letter is no placeholder: keys and names are never rewritten.
td::String fillPlaceholders(const char* text, const char* first, std::va_list further);
} // namespace sc
