#pragma once
// Titles and messages for the application's logger, passed only below a
// process-wide level: a message of level L reaches the logger when the set
// level is above L, so nothing is logged until setLogLevel raises it from 0.
namespace mu
{
class ILogger;

void setLogLevel(unsigned level);

// Do nothing without an application or without its logger.
void logInfo(const char* title, const char* message, unsigned level);
void logWarning(const char* title, const char* message, unsigned level);
void logError(const char* title, const char* message, unsigned level);

// The application's logger, null without an application (two names, one
// operation).
ILogger* getLoggerC();
ILogger* getLogger();
} // namespace mu
