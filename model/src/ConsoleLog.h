#pragma once
// The logger that prints every entry as one line on the standard output,
// in English unless the host gives it a translation function.
#include <sc/ILog.h>

#include <cstdarg>

class ConsoleLog : public sc::ILog
{
public:
    constexpr ConsoleLog() = default;

    void clean() override {}
    void setModulePosition(unsigned short) override {}
    void enableCollecting(bool) override {}
    void add(const LE& entry, Type type) override;
    void setTranslationFn(TranslationFn fn) override { _translate = fn; }
    void addWoTranslation(const td::String& text, Type type) override;
    void translateAndAdd(const char* key, Type type) override;
    void translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type) override;
    void translateAndAdd(const char* key, unsigned int line, unsigned int col, Type type, const char* strName,
                         ...) override;
    void refresh() override {}
    // Nothing is counted, so no error limit ever holds back an entry.
    std::uint32_t getNoOfErrors() const override { return 0; }

private:
    td::String translated(const char* key, const char* first, std::va_list further) const;

    TranslationFn _translate = nullptr;
};

namespace globals
{
// Constant-initialised, so it is ready before any other initialiser runs.
extern ConsoleLog s_consoleLog;
} // namespace globals
