#pragma once
// A log that keeps its entries to hand them on later, in their order, to
// another log: what a thread of the compile reports goes to the model's log
// from the thread that owns it.
#include <expr/Build.h>
#include <sc/ILog.h>

#include <cstdint>
#include <string>
#include <vector>

namespace SL_NS
{
class DeferredLog final : public sc::ILog
{
public:
    // Hands every entry on to log (when there is one) and forgets them.
    void replayInto(sc::ILog* pLog);

    void clean() override { _entries.clear(); }
    void setModulePosition(unsigned short) override {}
    void enableCollecting(bool) override {}
    void add(const LE& entry, Type type) override;
    void setTranslationFn(TranslationFn) override {}
    void addWoTranslation(const td::String& text, Type type) override;
    void translateAndAdd(const char* key, Type type) override;
    void translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type) override;
    void translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type, const char* strName,
                         ...) override;
    void refresh() override {}
    std::uint32_t getNoOfErrors() const override;

private:
    enum class Kind : std::uint8_t
    {
        Entry,        // add
        Text,         // addWoTranslation
        Key,          // translateAndAdd without a position
        PositionedKey // translateAndAdd with one, and its arguments
    };
    // Arguments past this many are dropped: the compile's messages take two.
    static constexpr std::size_t maxArguments = 3;
    struct Entry
    {
        Kind kind;
        Type type;
        std::string text; // the key, or the text
        unsigned line = 0;
        unsigned column = 0;
        std::vector<std::string> arguments;
    };
    std::vector<Entry> _entries;
};
} // namespace SL_NS
