#pragma once
// A logger that keeps what it is shown, and a small application object for
// the tests of the application services.
#include <string>
#include <vector>

#include <mu/AppSettings.h>
#include <mu/IApplication.h>
#include <mu/ILogger.h>
#include <mu/TranslationMgr.h>

namespace test
{
class CollectingLogger : public mu::ILogger
{
public:
    struct Entry
    {
        int type;
        std::string title;
        std::string message;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> entries;

    void show(int type, const td::String& title, const td::String& message) override
    {
        entries.push_back({type, title.c_str(), message.c_str()});
    }
};

// An application with real settings (read from the environment when it is
// made), the four translation managers, and optionally a store, a logger
// and a main tool-bar identifier. It is the process's application while it
// exists.
class TestApplication : public mu::IApplication
{
public:
    TestApplication(const char* organisation = "Org", const char* name = "tool")
        : _pSettings(new mu::AppSettings(organisation, name))
    {
        mu::g_pApp = this;
    }
    ~TestApplication()
    {
        mu::g_pApp = nullptr;
        _pSettings->release();
    }
    TestApplication(const TestApplication&) = delete;
    TestApplication& operator=(const TestApplication&) = delete;

    const char* getMainToolBarStrID() const override { return pToolBarID; }
    mu::ILogger* getLogger() const override { return pLogger; }
    mu::IAppSettings* getSettings() override { return _pSettings; }
    mu::IAppProperties* getProperties() override { return pProperties; }
    mu::TranslationMgrBase<mu::_NTR>* getTranslationMgr() override { return &general; }
    mu::TranslationMgrBase<mu::_NTR>* getTranslationMgrRep() override { return &report; }
    mu::TranslationMgrBase<mu::_DPTR>* getTranslationMgrDP() override { return &dataProvider; }
    mu::TranslationMgrBase<mu::_DPTR>* getTranslationMgrMenu() override { return &menu; }

    mu::AppSettings& settings() { return *_pSettings; }

    const char* pToolBarID = nullptr;
    mu::ILogger* pLogger = nullptr;
    mu::IAppProperties* pProperties = nullptr; // borrowed
    mu::TranslationMgrBase<mu::_NTR> general {fo::FolderType::Translation};
    mu::TranslationMgrBase<mu::_NTR> report {fo::FolderType::ReportConfig};
    mu::TranslationMgrBase<mu::_DPTR> dataProvider {fo::FolderType::DPConfig};
    mu::TranslationMgrBase<mu::_DPTR> menu {fo::FolderType::GUI};

private:
    mu::AppSettings* _pSettings;
};

} // namespace test
