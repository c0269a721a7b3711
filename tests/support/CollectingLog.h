#pragma once
// A logger for tests: keeps every entry it is given, in order, and lets a
// test pretend that earlier errors were already counted.
#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>
#include <sc/ILog.h>

namespace test
{
class CollectingLog : public sc::ILog
{
public:
    struct Entry
    {
        std::string text;
        std::uint32_t line;
        std::uint32_t column;
        Type type;
        // The texts given with a key that was not translated.
        std::vector<std::string> arguments = {};
    };

    std::vector<Entry> entries;
    // Added to the real error count, so a test can start the logger "full".
    std::uint32_t extraErrors = 0;

    void clean() override { entries.clear(); }
    void setModulePosition(unsigned short) override {}
    void enableCollecting(bool) override {}
    void refresh() override {}

    void add(const LE& entry, Type type) override
    {
        entries.push_back({entry.text.c_str(), entry.line, entry.column, type});
        if (type == Type::Error)
            ++_errors;
    }

    void setTranslationFn(TranslationFn fn) override { _fn = fn; }

    void addWoTranslation(const td::String& text, Type type) override { add(LE {text, 0, 0}, type); }

    void translateAndAdd(const char* key, Type type) override { translateAndAdd(key, 0, 0, type); }

    void translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type) override
    {
        if (!key || !*key)
            return;
        add(LE {sc::translate(_fn, key), line, col}, type);
    }

    void translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type, const char* strName,
                         ...) override
    {
        if (!key || !*key)
            return;
        std::va_list further;
        va_start(further, strName);
        if (_fn)
            add(LE {sc::fillPlaceholders(_fn(key).c_str(), strName, further), line, col}, type);
        else
        {
            // Without a translation the key stays whole and its texts are
            // kept beside it.
            std::vector<std::string> arguments;
            for (const char* p = strName; p; p = va_arg(further, const char*))
                arguments.push_back(p);
            add(LE {td::String(key), line, col}, type);
            entries.back().arguments = std::move(arguments);
        }
        va_end(further);
    }

    std::uint32_t getNoOfErrors() const override { return _errors + extraErrors; }

    // Texts of all entries of one type, in order.
    std::vector<std::string> texts(Type type) const
    {
        std::vector<std::string> out;
        for (const Entry& e : entries)
            if (e.type == type)
                out.push_back(e.text);
        return out;
    }

private:
    TranslationFn _fn = nullptr;
    std::uint32_t _errors = 0;
};
} // namespace test
