#include <mu/AppSettings.h>

#include <chrono>
#include <system_error>
#include <thread>

#include <fo/FileOperations.h>
#include <mu/Environment.h>
#include <syst/Process.h>

#include "AppFolderName.h"
#include "lin/PasswordEntry.h"

namespace mu
{
namespace fs = std::filesystem;

namespace
{
const fs::path s_noPath;

int indexOf(fo::FolderType type)
{
    const int i = static_cast<int>(type);
    return i >= static_cast<int>(fo::FolderType::Application) && i <= static_cast<int>(fo::FolderType::Help) ? i : 0;
}

fs::path toPath(const td::String& text) { return fs::path(text.c_str()); }

td::String toText(const fs::path& path) { return td::String(path.c_str()); }
} // namespace

AppSettings::AppSettings(const char* organisation, const char* applicationName)
    : _organisation(organisation)
    , _appName(applicationName)
    , _progID(syst::Process::getID())
{
    td::String home = getEnvironmentVariable("HOME");
    _userName = getEnvironmentVariable("USER");
    if (home.isEmpty() || _userName.isEmpty())
    {
        const priv::PasswordEntry entry = priv::readPasswordEntry();
        if (home.isEmpty())
            home = entry.home;
        if (_userName.isEmpty())
            _userName = entry.login;
    }
    setFolder(fo::FolderType::Home, home);
    setFolder(fo::FolderType::HomeLocalData, home);
    std::error_code ec;
    setFolder(fo::FolderType::Tmp, toText(fs::temp_directory_path(ec)));
}

AppSettings::~AppSettings() { deleteRegistered(); }

void AppSettings::initApplicationRootFolder(const td::String& executablePath, const td::String& organisation,
                                            unsigned flags)
{
    const fs::path executable = toPath(executablePath);
    _appName = toText(executable.stem());
    _appNameWithExtension = toText(executable.filename());
    const std::string folder = executable.parent_path().string();
    setFolder(fo::FolderType::Application, td::String(folder.c_str() + (folder.starts_with('"') ? 1 : 0)));
    _organisation = organisation;

    const fs::path organisationFolder = getFSPath(fo::FolderType::HomeLocalData) / organisation.c_str();
    fo::createFolder(organisationFolder);
    fo::createFolder(organisationFolder / _appName.c_str());

    std::error_code ec;
    if (!(flags & 0x1) && !fs::exists(getFSPath(fo::FolderType::Application) / "GUI", ec))
        flags |= 0x1;
    initAppFolders(flags);
}

void AppSettings::initAppFolders(unsigned flags)
{
    struct FolderBit
    {
        unsigned bit;
        fo::FolderType type;
        const char* name;
    };
    static constexpr FolderBit s_folders[] = {
        {0x2, fo::FolderType::DPConfig, "DP"},     {0x4, fo::FolderType::Res, "Res"},
        {0x8, fo::FolderType::Help, "Help"},       {0x10, fo::FolderType::GUI, "GUI"},
        {0x20, fo::FolderType::Translation, "TR"}, {0x40, fo::FolderType::ReportConfig, "Rep"}};

    fs::path base = getFSPath(fo::FolderType::Application);
    if (flags & 0x1)
        getWorkingFolderPath(base);
    for (const FolderBit& folder : s_folders)
    {
        if (flags & folder.bit)
            setFolder(folder.type, toText(base / folder.name));
    }
}

const td::String& AppSettings::getPath(fo::FolderType type) const
{
    const int i = indexOf(type);
    return i ? _folderTexts[i] : mu::__emptyString;
}

const fs::path& AppSettings::getFSPath(fo::FolderType type) const
{
    const int i = indexOf(type);
    return i ? _folderPaths[i] : s_noPath;
}

void AppSettings::setFolder(fo::FolderType type, const td::String& folder)
{
    const int i = indexOf(type);
    _folderTexts[i] = folder;
    _folderPaths[i] = toPath(folder);
}

fs::path AppSettings::appFolderIn(const fs::path& base) const
{
    if (base.empty() || !priv::isOwnFolderName(_appName.c_str()) ||
        (!_organisation.isEmpty() && !priv::isOwnFolderName(_organisation.c_str())))
        return fs::path();
    return base / _organisation.c_str() / _appName.c_str();
}

td::String AppSettings::getLocalDataAppPath(bool) const
{
    return toText(getFSPath(fo::FolderType::HomeLocalData) / _organisation.c_str() / _appName.c_str());
}

void AppSettings::getLogFolder(td::String& folder) const
{
    fs::path path = toPath(getLocalDataAppPath(true));
    if (!_tracerFolderName.isEmpty())
        path /= _tracerFolderName.c_str();
    folder = toText(path);
}

bool AppSettings::createFolder(fo::FolderType type, const td::String& name, td::String& result) const
{
    fs::path folder = appFolderIn(getFSPath(type));
    if (folder.empty())
    {
        result.release();
        return false;
    }
    folder /= name.c_str();
    result = toText(folder);
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

bool AppSettings::fileExists(fo::FolderType type, const td::String& name, td::String& result) const
{
    fs::path file = appFolderIn(getFSPath(type));
    if (file.empty())
    {
        result.release();
        return false;
    }
    file /= name.c_str();
    result = toText(file);
    std::error_code ec;
    return fs::exists(file, ec);
}

void AppSettings::deleteAppFoldersInTmp()
{
    const fs::path folder = appFolderIn(getFSPath(fo::FolderType::Tmp));
    if (!folder.empty())
        fo::deleteFolder(folder, true);
}

td::String AppSettings::createAppFolderInTmp(bool timeStamped, bool deleteAtEnd)
{
    fs::path folder = appFolderIn(getFSPath(fo::FolderType::Tmp));
    if (folder.empty())
        return td::String();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (timeStamped)
    {
        char stamp[32];
        folder /= getCurrentDT(stamp, nullptr);
        fo::createFolder(folder);
    }
    const td::String text = toText(folder);
    if (deleteAtEnd)
        addFolderForDeletion(text);
    return text;
}

td::String AppSettings::getUniqueFileNameInTmp(const char* prefix, const char* extension)
{
    // The clock moves on within a tenth of a millisecond; the bound only
    // guards against a clock that stands still.
    td::String name;
    char stamp[32];
    for (int attempt = 0; attempt < 1000; ++attempt)
    {
        name = toText(getFSPath(fo::FolderType::Tmp) /
                      (std::string(prefix ? prefix : "") + getCurrentDT(stamp, extension)));
        if (name != _lastUniqueName)
            break;
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    _lastUniqueName = name;
    return name;
}

td::String AppSettings::getFileNameInTmpFolder(const td::String& name) const
{
    return toText(getFSPath(fo::FolderType::Tmp) / name.c_str());
}

void AppSettings::getFileNameInAppFolder(const td::String& name, td::String& result) const
{
    result = toText(getFSPath(fo::FolderType::Application) / name.c_str());
}

void AppSettings::getFileNameInHomeFolder(const td::String& name, td::String& result) const
{
    result = toText(getFSPath(fo::FolderType::Home) / name.c_str());
}

void AppSettings::setVersionNo(int version, int subVersion)
{
    _version = version;
    _subVersion = subVersion;
}

void AppSettings::initRecordsetConfigPath(const char* path)
{
    _folderPaths[indexOf(fo::FolderType::DPConfig)] = path ? fs::path(path) : fs::path();
}

void AppSettings::pushFront(cnt::ListSL<td::String>& list, const td::String& path)
{
    list.linkAfter(nullptr, new cnt::ListSL<td::String>::_tEntry {path, nullptr});
}

void AppSettings::deleteRegistered()
{
    for (const td::String& file : _filesToDelete)
        fo::deleteFile(toPath(file));
    for (const td::String& folder : _foldersToDelete)
        fo::deleteFolder(toPath(folder), true);
}
} // namespace mu
