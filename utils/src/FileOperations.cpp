#include <fo/FileOperations.h>

#include <cstring>
#include <system_error>

namespace fo
{
namespace
{
unsigned kindOf(fs::file_type type)
{
    switch (type)
    {
    case fs::file_type::regular: return _FileDesc::RegularFile;
    case fs::file_type::directory: return _FileDesc::Folder;
    default: return _FileDesc::Other;
    }
}

// Calls visit(entry) for each entry of the folder; a folder that is missing
// or unreadable has none, and an entry that cannot be read ends the walk.
template <class VISIT>
void forEachEntry(const fs::path& folder, VISIT visit)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        visit(*it);
}

bool isRegularFile(const fs::directory_entry& entry)
{
    std::error_code ec;
    return entry.is_regular_file(ec);
}

bool startsWith(const fs::path& name, const char* prefix, size_t length)
{
    return std::strncmp(name.c_str(), prefix, length) == 0;
}

fs::path toPath(const td::String& text) { return fs::path(std::string(text.c_str(), text.length())); }
} // namespace

bool folderExists(const td::String& path)
{
    std::error_code ec;
    return fs::is_directory(toPath(path), ec);
}

bool createFolder(const td::String& path) { return createFolder(toPath(path)); }

bool createFolder(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return true;
    return fs::create_directory(path, ec);
}

bool deleteFile(const fs::path& path)
{
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() == fs::file_type::directory)
        return false;
    return fs::remove(path, ec);
}

bool deleteFolder(const fs::path& path, bool recursive)
{
    std::error_code ec;
    // A link given as the folder goes itself: emptying it would empty what it
    // points to. With a trailing "/" the path would name that target.
    const fs::path folder = path.has_filename() ? path : path.parent_path();
    if (recursive && !fs::is_symlink(folder, ec))
    {
        cnt::ListSL<_FileDesc, false> content;
        createFolderContentList(folder, content);
        for (const _FileDesc& entry : content)
        {
            if (entry.kind == _FileDesc::Folder)
                deleteFolder(entry.path, true);
            else if (entry.kind == _FileDesc::RegularFile || fs::is_symlink(entry.path, ec))
                deleteFile(entry.path);
        }
    }
    return fs::remove(folder, ec);
}

bool deleteFolder(const td::String& path, bool recursive) { return deleteFolder(toPath(path), recursive); }

bool createFolderContentList(const fs::path& folder, cnt::ListSL<_FileDesc, false>& list)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return false;
    forEachEntry(folder, [&list](const fs::directory_entry& entry) {
        std::error_code ec;
        list.push_back(_FileDesc {entry.path(), kindOf(entry.symlink_status(ec).type())});
    });
    return true;
}

void deleteFilesInFolder(const fs::path& folder, const char* prefix)
{
    if (!prefix)
        return;
    const size_t length = std::strlen(prefix);
    forEachEntry(folder, [prefix, length](const fs::directory_entry& entry) {
        if (isRegularFile(entry) && startsWith(entry.path().filename(), prefix, length))
        {
            std::error_code ec;
            fs::remove(entry.path(), ec);
        }
    });
}

void getFileNamesInFolder(cnt::ListSL<td::String, false>& list, const fs::path& folder, const char* extension)
{
    forEachEntry(folder, [&list, extension](const fs::directory_entry& entry) {
        std::error_code ec;
        if (entry.is_directory(ec))
            return;
        if (!extension || entry.path().extension() == extension)
            list.push_back(td::String(entry.path().c_str()));
    });
}
} // namespace fo
