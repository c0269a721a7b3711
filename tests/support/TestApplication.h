#pragma once
// An application object for the tests of the application services, made in
// a home folder of its own.
#include <string>

#include <mu/AppSettings.h>
#include <mu/IApplication.h>

#include "CollectingLogger.h"
#include "TestEnvironment.h"

namespace test
{
// What a test application is made in, made before it and gone after it: a
// temporary home folder (HOME, and TMPDIR for its "tmp" folder, point there
// while the application lives) and an argument vector naming the executable
// home / "bin" / name, which need not exist.
class AppFrame
{
protected:
    explicit AppFrame(const char* name)
        : _executable((_home.path() / "bin" / name).string())
    {
    }

    static std::string madeFolder(const fs::path& folder)
    {
        fs::create_directories(folder);
        return folder.string();
    }

    TempFolder _home;
    ScopedEnv _homeVariable {"HOME", _home.path().string()};
    ScopedEnv _tmpVariable {"TMPDIR", madeFolder(_home / "tmp")};
    std::string _executable;
    const char* _arguments[2] = {_executable.c_str(), nullptr};
};

// The process's application while it exists, with a logger, a debug logger
// and a main tool-bar identifier the test chooses.
class TestApplication : private AppFrame, public mu::IApplication
{
public:
    explicit TestApplication(const char* organisation = "Org", const char* name = "tool",
                             const char* tracerOption = nullptr)
        : AppFrame(name)
        , mu::IApplication(1, _arguments, organisation, tracerOption, false)
    {
    }

    const char* getMainToolBarStrID() const override { return pToolBarID; }
    mu::ILogger* getLogger() const override { return pLogger; }
    mu::ILogger* getDebugLogger() const override { return pDebugLogger; }

    // The settings are the application's own kind.
    mu::AppSettings& settings() { return static_cast<mu::AppSettings&>(*getSettings()); }
    const fs::path& homeFolder() const { return _home.path(); }

    using mu::IApplication::setColorNames;
    using mu::IApplication::setEnvironment;
    using mu::IApplication::setResFolder;

    const char* pToolBarID = nullptr;
    mu::ILogger* pLogger = nullptr;
    mu::ILogger* pDebugLogger = nullptr;
};
} // namespace test
