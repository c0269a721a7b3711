// The tracer: the log file of one run of the application.
#include <mu/AppSettings.h>

#include <cstdio>
#include <cstring>
#include <system_error>

#include <fo/FileOperations.h>
#include <mu/Environment.h>
#include <td/DateTime.h>

#include "AppFolderName.h"

namespace mu
{
namespace fs = std::filesystem;

namespace
{
// The log of a run replaces the logs of earlier runs.
void removeLogFiles(const fs::path& folder)
{
    cnt::ListSL<td::String, false> logFiles;
    fo::getFileNamesInFolder(logFiles, folder, ".log");
    for (const td::String& file : logFiles)
        fo::deleteFile(fs::path(file.c_str()));
}

void writeStartLine(std::ostream& out)
{
    char stamp[32];
    td::DateTime::now().format(stamp);
    out << "\xEF\xBB\xBF"
        << "Info [" << stamp << "][main] Msg: Application start\n";
    out.flush();
}
} // namespace

bool AppSettings::createTracer(TxtOutFile<std::ofstream>*& tracer, const char* folderName, const char* extraFolder)
{
    if (folderName)
        _tracerFolderName = folderName;
    if (tracer)
    {
        tracer->close(); // flushes
        delete tracer;
        tracer = nullptr;
    }
    if (extraFolder && !priv::isOwnFolderName(extraFolder))
        return false;

    fs::path folder = getHomePath();
    if (extraFolder)
        folder /= extraFolder;
    folder = folder / _organisation.c_str() / _appName.c_str();
    if (folderName)
        folder /= folderName;
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        fs::create_directories(folder, ec);
    removeLogFiles(folder);
    _logPath = folder;
    _tracerPath = td::String(folder.c_str());

    td::String fileName;
    fileName.format("%s_%u.log", _appName.c_str(), _progID);
    tracer = new TxtOutFile<std::ofstream>(folder / fileName.c_str(), std::ios::out | std::ios::trunc);
    if (tracer->is_open())
        writeStartLine(*tracer);
    if (!tracer->good())
    {
        delete tracer;
        tracer = nullptr;
        return false;
    }
    return true;
}

const char* AppSettings::putCurrentDT(char* buffer, size_t size, const char* extension)
{
    const td::DateTime now = td::DateTime::now();
    const td::Date& d = now.getDate();
    const td::Time& t = now.getTime();
    int n = std::snprintf(buffer, size, "%04d%02d%02d-%02d%02d%02d%04d", d.year(), d.month(), d.day(), t.hours(),
                          t.minutes(), t.seconds(), t.fractions());
    n = n < 0 ? 0 : std::min(n, static_cast<int>(size) - 1);
    buffer[n] = 0;
    if (extension && *extension && std::strlen(extension) + 1 < size - 1 - static_cast<size_t>(n))
        std::snprintf(buffer + n, size - static_cast<size_t>(n), ".%s", extension);
    return buffer;
}
} // namespace mu
