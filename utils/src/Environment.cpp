#include <mu/Environment.h>

#include <cstdlib>

#include <mu/IApplication.h>
#include <plat/Platform.h>

namespace mu
{
void getHomePath(std::filesystem::path& out)
{
    if (IAppSettings* pSettings = getAppSettings())
    {
        const td::String& home = pSettings->getHomeFolder();
        if (!home.isEmpty())
        {
            out = home.c_str();
            return;
        }
    }
    const char* home = std::getenv("HOME");
    if (home && *home)
        out = home;
}

std::filesystem::path getHomePath()
{
    std::filesystem::path home;
    getHomePath(home);
    return home;
}

td::String getHomeFolderName() { return getEnvironmentVariable("HOME"); }

std::filesystem::path getZorbelSDKPath() { return getHomePath() / "Zorbel.SDK"; }

void getWorkingFolderPath(std::filesystem::path& out) { out = plat::getWorkingFolder().c_str(); }

td::String getEnvironmentVariable(const char* name) { return td::String(name ? std::getenv(name) : nullptr); }
} // namespace mu
