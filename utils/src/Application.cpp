#include <mu/IApplication.h>

namespace mu
{
IApplication* g_pApp = nullptr;

IApplication* pApp() { return g_pApp; }

IAppSettings* getAppSettings() { return g_pApp ? g_pApp->getSettings() : nullptr; }
IAppSettings* getApplicationSettings() { return getAppSettings(); }

TxtOutFile<std::ofstream>* getTracer() { return g_pApp ? g_pApp->getTracer() : nullptr; }
TxtOutFile<std::ofstream>* getTracerPtr() { return getTracer(); }
} // namespace mu
