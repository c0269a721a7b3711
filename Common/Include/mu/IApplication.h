#pragma once
#include <mu/IAppSettings.h>

namespace mu
{
class IApplication
{
public:
    // The settings object the application holds.
    virtual IAppSettings* getSettings() = 0;

protected:
    ~IApplication() = default;
};

// The process's application object; null until one registers itself in its
// constructor.
extern IApplication* g_pApp;

// The settings of the registered application, or null when there is none
// (callers then go on without a logger).
IAppSettings* getAppSettings();
} // namespace mu
