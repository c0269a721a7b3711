#pragma once
// The settings of an application: its folders by kind, names, version, the
// two loggers, the tracer (log file of the run) and the files and folders
// deleted when the settings are released.
#include <array>
#include <filesystem>
#include <fstream>

#include <cnt/ListSL.h>
#include <mu/IAppSettings.h>
#include <mu/TxtOutFile.h>

namespace mu
{
class AppSettings : public IAppSettings
{
public:
    // Home folder: $HOME, else the password database's; user name: $USER,
    // else the login name. Temporary folder: the system's.
    AppSettings(const char* organisation, const char* applicationName);
    // Deletes the registered files, then the registered folders.
    virtual ~AppSettings();
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    // Names and application folder from the executable's path, the
    // organisation's folders under the home local-data folder, then the
    // folder kinds (initAppFolders). Without bit 0x1 and without a "GUI"
    // entry in the application folder the kinds come from the working folder.
    void initApplicationRootFolder(const td::String& executablePath, const td::String& organisation, unsigned flags);
    // Sets the folder kinds of the flags' bits (0x2 "DP", 0x4 "Res", 0x8
    // "Help", 0x10 "GUI", 0x20 "TR", 0x40 "Rep") under the application
    // folder, or under the working folder with bit 0x1. Creates nothing.
    void initAppFolders(unsigned flags);

    // Opens a new tracer: home / [extraFolder /] organisation / application
    // name [/ folderName] / application name + "_" + process id + ".log",
    // after removing the ".log" files of that folder. extraFolder is refused
    // when it contains "/" or is "." or "..". True when the file is open;
    // otherwise tracer is null.
    bool createTracer(TxtOutFile<std::ofstream>*& tracer, const char* folderName, const char* extraFolder);

    // The current local date and time as "YYYYMMDD-hhmmssffff" (ffff in
    // ten-thousandths of a second), then "." and extension when it fits.
    template <size_t N>
    static const char* getCurrentDT(char (&buffer)[N], const char* extension)
    {
        return putCurrentDT(buffer, N, extension);
    }

    unsigned getProgID() override { return _progID; }
    const td::String& getPath(fo::FolderType type) const override;
    const std::filesystem::path& getFSPath(fo::FolderType type) const override;
    void getTracerPath(td::String& path) override { path = _tracerPath; }
    void getLocalDataAppPath(td::String& path) const override { path = getLocalDataAppPath(true); }
    td::String getLocalDataAppPath(bool) const override;
    bool createFolder(fo::FolderType type, const td::String& name, td::String& result) const override;
    void deleteAppFoldersInTmp() override;
    td::String createAppFolderInTmp(bool timeStamped, bool deleteAtEnd) override;
    td::String getUniqueFileNameInTmp(const char* prefix, const char* extension) override;
    bool fileExists(fo::FolderType type, const td::String& name, td::String& result) const override;
    void addFileForDeletion(const td::String& path) override { pushFront(_filesToDelete, path); }
    void addFolderForDeletion(const td::String& path) override { pushFront(_foldersToDelete, path); }
    td::String getFileNameInTmpFolder(const td::String& name) const override;
    void getFileNameInAppFolder(const td::String& name, td::String& result) const override;
    void getFileNameInHomeFolder(const td::String& name, td::String& result) const override;
    const td::String& getApplicationFolder() const override { return getPath(fo::FolderType::Application); }
    void setTmpFolder(const td::String& folder) override { setFolder(fo::FolderType::Tmp, folder); }
    const td::String& getTmpFolder() const override { return getPath(fo::FolderType::Tmp); }
    const td::String& getOSFolder() const override { return _osFolder; }
    const td::String& getCommonAppDataFolder() const override { return _commonAppDataFolder; }
    void setAppName(const td::String& name) override { _appName = name; }
    const td::String& getAppName() const override { return _appName; }
    const td::String& getHomeFolder() const override { return getPath(fo::FolderType::Home); }
    void setAppUserName(const td::String& name) override { _appUserName = name; }
    const td::String& getAppUserName() const override { return _appUserName; }
    const td::String& getAppNameWithExtension() const override { return _appNameWithExtension; }
    const td::String& getUserName() const override { return _userName; }
    void setVersionNo(int version, int subVersion) override;
    int getVersionNo() const override { return _version; }
    int getSubVersionNo() const override { return _subVersion; }
    const td::String& getHomeLocalDataFolder() const override { return getPath(fo::FolderType::HomeLocalData); }
    void getLogFolder(td::String& folder) const override;
    void setLogger(ILogger* pLogger) override { _pLogger = pLogger; }
    ILogger* getLogger() const override { return _pLogger; }
    void setDebugLogger(ILogger* pLogger) override { _pDebugLogger = pLogger; }
    ILogger* getDebugLogger() const override { return _pDebugLogger; }
    void setTranslationExtension(const td::String& extension) override { _translationExtension = extension; }
    const td::String& getTranslationExtension() const override { return _translationExtension; }
    void initRecordsetConfigPath(const char* path) override;
    const std::filesystem::path& getDPConfigPath() const override { return getFSPath(fo::FolderType::DPConfig); }
    const std::filesystem::path& getReportConfigPath() const override
    {
        return getFSPath(fo::FolderType::ReportConfig);
    }
    const std::filesystem::path& getResPath() const override { return getFSPath(fo::FolderType::Res); }
    const std::filesystem::path& getGUIPath() const override { return getFSPath(fo::FolderType::GUI); }
    const std::filesystem::path& getTranslationPath() const override { return getFSPath(fo::FolderType::Translation); }
    const std::filesystem::path& getHelpPath() const override { return getFSPath(fo::FolderType::Help); }
    const std::filesystem::path& getLogPath() const override { return _logPath; }
    void release() override { delete this; }

private:
    static constexpr int s_nKinds = 11; // kinds 1 to 10; 0 is none

    static const char* putCurrentDT(char* buffer, size_t size, const char* extension);
    static void pushFront(cnt::ListSL<td::String>& list, const td::String& path);

    void setFolder(fo::FolderType type, const td::String& folder);
    // base / organisation / application name: empty when base is empty or
    // the names do not make a folder of this application's own.
    std::filesystem::path appFolderIn(const std::filesystem::path& base) const;
    void deleteRegistered();

    std::array<td::String, s_nKinds> _folderTexts;
    std::array<std::filesystem::path, s_nKinds> _folderPaths;
    std::filesystem::path _logPath;
    td::String _organisation;
    td::String _appName;
    td::String _appNameWithExtension;
    td::String _userName;
    td::String _appUserName;
    td::String _osFolder;
    td::String _commonAppDataFolder;
    td::String _translationExtension;
    td::String _tracerPath;
    td::String _tracerFolderName; // empty: none
    td::String _lastUniqueName;   // the last name getUniqueFileNameInTmp gave
    cnt::ListSL<td::String> _filesToDelete;
    cnt::ListSL<td::String> _foldersToDelete;
    ILogger* _pLogger = nullptr;
    ILogger* _pDebugLogger = nullptr;
    unsigned _progID;
    int _version = 0;
    int _subVersion = 0;
};
} // namespace mu
