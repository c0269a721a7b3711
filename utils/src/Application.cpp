#include <mu/IApplication.h>

namespace mu
{
IApplication* g_pApp = nullptr;

IAppSettings* getAppSettings() { return g_pApp ? g_pApp->getSettings() : nullptr; }
} // namespace mu
