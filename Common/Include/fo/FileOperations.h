#pragma once
// Folder and file operations over the standard filesystem library. None of
// them throws a filesystem error: a failure is a false result, and a folder
// that is missing or cannot be read counts as empty.
#include <filesystem>

#include <cnt/ListSL.h>
#include <td/String.h>

namespace fo
{
namespace fs = std::filesystem;

// One entry of a folder, classified without following symbolic links: a
// link is Other whatever it points to.
struct _FileDesc
{
    enum Kind : unsigned
    {
        RegularFile = 0,
        Folder = 1,
        Other = 2
    };

    fs::path path;
    unsigned kind;
};

bool folderExists(const td::String& path);

// True when the folder exists already, else whether it could be created
// (one level: the parent must exist).
bool createFolder(const td::String& path);
bool createFolder(const fs::path& path);

// Removes a file (or a link), never a folder; true when it was removed.
bool deleteFile(const fs::path& path);

// Not recursive: removes an empty folder (or a file). Recursive: removes the
// files and links inside, and the folders inside with their content, then the
// folder; a link, inside or given as the folder, is removed itself, never
// followed. Other entries (devices, pipes) are left, and then the folder
// stays: false.
bool deleteFolder(const fs::path& path, bool recursive);
bool deleteFolder(const td::String& path, bool recursive);

// Appends one entry per folder entry (not recursive); false, with the list
// unchanged, when the path is not a folder.
bool createFolderContentList(const fs::path& folder, cnt::ListSL<_FileDesc, false>& list);

// Removes every regular file of the folder (not recursive) whose name begins
// with prefix; a null prefix removes nothing.
void deleteFilesInFolder(const fs::path& folder, const char* prefix);

// Appends the path of every entry of the folder that is not a folder and
// whose extension (with its dot, as ".log") is extension; a null extension
// takes every such entry.
void getFileNamesInFolder(cnt::ListSL<td::String, false>& list, const fs::path& folder, const char* extension);
} // namespace fo
