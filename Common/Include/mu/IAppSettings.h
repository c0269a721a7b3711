#pragma once
// The folders, names, loggers and end-of-run clean-up of an application.
// mu::AppSettings implements it; the application owns that object and frees
// it with release().
#include <filesystem>

#include <fo/FolderType.h>
#include <td/String.h>

namespace mu
{
class ILogger;

class IAppSettings
{
public:
    virtual unsigned getProgID() = 0;
    // The folder of a kind; any other value gives an empty text and path.
    virtual const td::String& getPath(fo::FolderType type) const = 0;
    virtual const std::filesystem::path& getFSPath(fo::FolderType type) const = 0;
    // The tracer's log folder, set when the tracer is created.
    virtual void getTracerPath(td::String& path) = 0;
    // Home local-data folder / organisation / application name.
    virtual void getLocalDataAppPath(td::String& path) const = 0;
    virtual td::String getLocalDataAppPath(bool) const = 0;
    // Creates, where missing, folder of that kind / organisation /
    // application name / name and gives its text in result; false when it
    // does not exist afterwards (also for a kind without a folder).
    virtual bool createFolder(fo::FolderType type, const td::String& name, td::String& result) const = 0;
    // Deletes temporary folder / organisation / application name with
    // everything in it.
    virtual void deleteAppFoldersInTmp() = 0;
    // Creates temporary folder / organisation / application name, with a
    // subfolder named by the current date and time when timeStamped, and
    // returns its text; registered for deletion at the end when deleteAtEnd.
    virtual td::String createAppFolderInTmp(bool timeStamped, bool deleteAtEnd) = 0;
    // Temporary folder / (prefix + date and time + "." + extension); no two
    // calls on one object give the same name.
    virtual td::String getUniqueFileNameInTmp(const char* prefix, const char* extension) = 0;
    // result = folder of that kind / organisation / application name / name;
    // whether that file exists.
    virtual bool fileExists(fo::FolderType type, const td::String& name, td::String& result) const = 0;
    // Registered files and folders are deleted when the settings are
    // released, the latest registration first.
    virtual void addFileForDeletion(const td::String& path) = 0;
    virtual void addFolderForDeletion(const td::String& path) = 0;
    virtual td::String getFileNameInTmpFolder(const td::String& name) const = 0;
    virtual void getFileNameInAppFolder(const td::String& name, td::String& result) const = 0;
    virtual void getFileNameInHomeFolder(const td::String& name, td::String& result) const = 0;
    virtual const td::String& getApplicationFolder() const = 0;
    virtual void setTmpFolder(const td::String& folder) = 0;
    virtual const td::String& getTmpFolder() const = 0;
    virtual const td::String& getOSFolder() const = 0;
    virtual const td::String& getCommonAppDataFolder() const = 0;
    virtual void setAppName(const td::String& name) = 0;
    virtual const td::String& getAppName() const = 0;
    virtual const td::String& getHomeFolder() const = 0;
    virtual void setAppUserName(const td::String& name) = 0;
    virtual const td::String& getAppUserName() const = 0;
    virtual const td::String& getAppNameWithExtension() const = 0;
    virtual const td::String& getUserName() const = 0;
    virtual void setVersionNo(int version, int subVersion) = 0;
    virtual int getVersionNo() const = 0;
    virtual int getSubVersionNo() const = 0;
    virtual const td::String& getHomeLocalDataFolder() const = 0;
    // Home local-data folder / organisation / application name, then / the
    // tracer's folder name when one is set.
    virtual void getLogFolder(td::String& folder) const = 0;
    // The logger given to setLogger, null when none was set.
    virtual void setLogger(ILogger* pLogger) = 0;
    virtual ILogger* getLogger() const = 0;
    virtual void setDebugLogger(ILogger* pLogger) = 0;
    virtual ILogger* getDebugLogger() const = 0;
    // The language.
    virtual void setTranslationExtension(const td::String& extension) = 0;
    virtual const td::String& getTranslationExtension() const = 0;
    // Sets the data-provider configuration path only; its text stays.
    virtual void initRecordsetConfigPath(const char* path) = 0;
    virtual const std::filesystem::path& getDPConfigPath() const = 0;
    virtual const std::filesystem::path& getReportConfigPath() const = 0;
    virtual const std::filesystem::path& getResPath() const = 0;
    virtual const std::filesystem::path& getGUIPath() const = 0;
    virtual const std::filesystem::path& getTranslationPath() const = 0;
    virtual const std::filesystem::path& getHelpPath() const = 0;
    virtual const std::filesystem::path& getLogPath() const = 0;
    // Deletes the registered files and folders and the object.
    virtual void release() = 0;

protected:
    ~IAppSettings() = default;
};
} // namespace mu
