#include <mu/Logging.h>

#include <atomic>

#include <mu/IApplication.h>
#include <mu/ILogger.h>

namespace mu
{
namespace
{
std::atomic<unsigned> s_logLevel = 0;

// type: 0 information, 1 warning, 2 error.
void log(int type, const char* title, const char* message, unsigned level)
{
    if (s_logLevel.load(std::memory_order_relaxed) <= level)
        return;
    if (ILogger* pLogger = getLogger())
        pLogger->show(type, td::String(title), td::String(message));
}
} // namespace

void setLogLevel(unsigned level) { s_logLevel.store(level, std::memory_order_relaxed); }

void logInfo(const char* title, const char* message, unsigned level) { log(0, title, message, level); }
void logWarning(const char* title, const char* message, unsigned level) { log(1, title, message, level); }
void logError(const char* title, const char* message, unsigned level) { log(2, title, message, level); }

ILogger* getLoggerC() { return getLogger(); }
ILogger* getLogger()
{
    IApplication* pApp = mu::pApp();
    return pApp ? pApp->getLogger() : nullptr;
}
} // namespace mu
