#pragma once

namespace mu
{
class ILogger;

class IAppSettings
{
public:
    // The logger given to setLogger, null when none was set.
    virtual ILogger* getLogger() const = 0;
    virtual void setLogger(ILogger* pLogger) = 0;

protected:
    ~IAppSettings() = default;
};
} // namespace mu
