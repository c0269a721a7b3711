#pragma once
// The process's application object as the utility services see it. A
// program's application class derives from it and registers itself in
// g_pApp. The services treat a missing application, and a null answer from
// one, as "none": they then do nothing and return 0, null or empty.
#include <fstream>

#include <mu/IAppSettings.h>
#include <mu/TxtOutFile.h>

namespace mu
{
class IAppProperties;
class ILogger;
class _NTR;
class _DPTR;
template <class TABLE>
class TranslationMgrBase;

class IApplication
{
public:
    // The identifier of the main tool bar, null when there is none.
    virtual const char* getMainToolBarStrID() const { return nullptr; }
    // The logger of the logging functions, null when there is none.
    virtual ILogger* getLogger() const { return nullptr; }

    // The settings object the application holds.
    virtual IAppSettings* getSettings() = 0;
    virtual IAppProperties* getProperties() { return nullptr; }

    // Translation managers: general texts (folder kind Translation), reports
    // (ReportConfig), data providers (DPConfig) and menus (GUI).
    virtual TranslationMgrBase<_NTR>* getTranslationMgr() { return nullptr; }
    virtual TranslationMgrBase<_NTR>* getTranslationMgrRep() { return nullptr; }
    virtual TranslationMgrBase<_DPTR>* getTranslationMgrDP() { return nullptr; }
    virtual TranslationMgrBase<_DPTR>* getTranslationMgrMenu() { return nullptr; }

    // The log file of the run, null when there is none.
    virtual TxtOutFile<std::ofstream>* getTracer() { return nullptr; }

protected:
    ~IApplication() = default;
};

// The process's application object; null until one registers itself in its
// constructor.
extern IApplication* g_pApp;

IApplication* pApp();

// The settings of the registered application, or null when there is none
// (callers then go on without a logger). Two names, one operation.
IAppSettings* getAppSettings();
IAppSettings* getApplicationSettings();

// The application's tracer, null without an application or tracer. Two
// names, one operation.
TxtOutFile<std::ofstream>* getTracer();
TxtOutFile<std::ofstream>* getTracerPtr();
} // namespace mu
