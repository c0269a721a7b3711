#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>

#include <fo/FileOperations.h>

#include "TestEnvironment.h"

namespace
{
namespace fs = std::filesystem;

void makeFile(const fs::path& path, const std::string& text = "x") { test::writeFile(path, text); }

// The names in a list of paths, sorted.
template <class LIST, class NAME>
std::set<std::string> namesOf(const LIST& list, NAME name)
{
    std::set<std::string> names;
    for (const auto& entry : list)
        names.insert(name(entry));
    return names;
}

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(FileOperationsTest, CreateAndTestFolders)
{
    test::TempFolder tmp;
    const fs::path folder = tmp / "a";
    EXPECT_FALSE(fo::folderExists(td::String(folder.c_str())));
    EXPECT_TRUE(fo::createFolder(folder));
    EXPECT_TRUE(fo::folderExists(td::String(folder.c_str())));

    makeFile(folder / "keep");
    EXPECT_TRUE(fo::createFolder(td::String(folder.c_str())));
    EXPECT_EQ(namesIn(folder), std::set<std::string> {"keep"});

    EXPECT_FALSE(fo::createFolder(tmp / "missing" / "b"));
    EXPECT_FALSE(fs::exists(tmp / "missing"));
    EXPECT_FALSE(fo::createFolder(folder / "keep"));
    EXPECT_FALSE(fo::folderExists(td::String((folder / "keep").c_str())));
}

TEST(FileOperationsTest, DeleteFilesAndFolders)
{
    test::TempFolder tmp;
    makeFile(tmp / "f");
    EXPECT_TRUE(fo::deleteFile(tmp / "f"));
    EXPECT_FALSE(fo::deleteFile(tmp / "f"));

    fs::create_directories(tmp / "d" / "e" / "f");
    EXPECT_FALSE(fo::deleteFile(tmp / "d" / "e" / "f"));
    EXPECT_FALSE(fo::deleteFolder(tmp / "d", false));
    EXPECT_TRUE(fs::exists(tmp / "d" / "e" / "f"));
    EXPECT_TRUE(fo::deleteFolder(tmp / "d" / "e" / "f", false));

    makeFile(tmp / "d" / "1");
    makeFile(tmp / "d" / "e" / "2");
    fs::create_directories(tmp / "d" / "e" / "g" / "h");
    makeFile(tmp / "d" / "e" / "g" / "h" / "3");
    EXPECT_TRUE(fo::deleteFolder(td::String((tmp / "d").c_str()), true));
    EXPECT_FALSE(fs::exists(tmp / "d"));
    EXPECT_FALSE(fo::deleteFolder(tmp / "d", true));
}

// Links inside the tree are removed themselves: what they point to, outside
// the tree, stays whole.
TEST(FileOperationsTest, RecursiveDeletionNeverFollowsLinks)
{
    test::TempFolder tmp;
    fs::create_directories(tmp / "outside" / "sub");
    makeFile(tmp / "outside" / "file");
    makeFile(tmp / "outside" / "sub" / "deep");
    fs::create_directories(tmp / "tree" / "inner");
    fs::create_directory_symlink(tmp / "outside", tmp / "tree" / "toFolder");
    fs::create_directory_symlink(tmp / "outside", tmp / "tree" / "inner" / "again");
    fs::create_symlink(tmp / "outside" / "file", tmp / "tree" / "toFile");
    fs::create_symlink(tmp / "nowhere", tmp / "tree" / "dangling");

    EXPECT_TRUE(fo::deleteFolder(tmp / "tree", true));
    EXPECT_FALSE(fs::exists(tmp / "tree"));

    // A link given as the folder, with or without a trailing "/", goes itself.
    for (const char* name : {"link", "link/"})
    {
        fs::create_directory_symlink(tmp / "outside", tmp / "link");
        EXPECT_TRUE(fo::deleteFolder(tmp / name, true)) << name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(tmp / "link"))) << name;
    }
    EXPECT_EQ(namesIn(tmp / "outside"), (std::set<std::string> {"file", "sub"}));
    EXPECT_EQ(namesIn(tmp / "outside" / "sub"), std::set<std::string> {"deep"});
}

TEST(FileOperationsTest, AFolderWithAnEntryOfAnotherKindStays)
{
    test::TempFolder tmp;
    fs::create_directory(tmp / "d");
    makeFile(tmp / "d" / "f");
    ASSERT_EQ(mkfifo((tmp / "d" / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(fo::deleteFolder(tmp / "d", true));
    EXPECT_EQ(namesIn(tmp / "d"), std::set<std::string> {"pipe"});
}

TEST(FileOperationsTest, ContentListClassifiesWithoutFollowingLinks)
{
    test::TempFolder tmp;
    makeFile(tmp / "file");
    fs::create_directory(tmp / "folder");
    fs::create_directory_symlink(tmp / "folder", tmp / "link");
    ASSERT_EQ(mkfifo((tmp / "pipe").c_str(), 0600), 0);

    cnt::ListSL<fo::_FileDesc, false> list;
    ASSERT_TRUE(fo::createFolderContentList(tmp.path(), list));
    const auto described =
        namesOf(list, [](const fo::_FileDesc& d) { return d.path.filename().string() + ":" + std::to_string(d.kind); });
    EXPECT_EQ(described, (std::set<std::string> {"file:0", "folder:1", "link:2", "pipe:2"}));

    cnt::ListSL<fo::_FileDesc, false> unchanged;
    unchanged.push_back(fo::_FileDesc {"x", 0});
    EXPECT_FALSE(fo::createFolderContentList(tmp / "file", unchanged));
    EXPECT_FALSE(fo::createFolderContentList(tmp / "missing", unchanged));
    EXPECT_EQ(namesOf(unchanged, [](const fo::_FileDesc& d) { return d.path.string(); }), std::set<std::string> {"x"});
}

TEST(FileOperationsTest, DeleteByPrefix)
{
    test::TempFolder tmp;
    for (const char* name : {"app_1.log", "app_", "app.log", "ap", "other_app_2"})
        makeFile(tmp / name);
    fs::create_directory(tmp / "app_old");
    makeFile(tmp / "app_old" / "app_inside");

    fo::deleteFilesInFolder(tmp.path(), "app_");
    EXPECT_EQ(namesIn(tmp.path()), (std::set<std::string> {"app.log", "ap", "other_app_2", "app_old"}));
    EXPECT_EQ(namesIn(tmp / "app_old"), std::set<std::string> {"app_inside"});

    fo::deleteFilesInFolder(tmp.path(), nullptr);
    EXPECT_EQ(namesIn(tmp.path()).size(), 4u);
}

TEST(FileOperationsTest, NamesByExtension)
{
    test::TempFolder tmp;
    for (const char* name : {"a.log", "a.LOG", "a.log.1", "log"})
        makeFile(tmp / name);
    fs::create_directory(tmp / "b.log");

    auto names = [&tmp](const char* extension) {
        cnt::ListSL<td::String, false> list;
        fo::getFileNamesInFolder(list, tmp.path(), extension);
        return namesOf(list, [](const td::String& s) { return std::string(s.c_str()); });
    };
    EXPECT_EQ(names(".log"), std::set<std::string> {(tmp / "a.log").string()});
    EXPECT_EQ(names(nullptr), (std::set<std::string> {(tmp / "a.log").string(), (tmp / "a.LOG").string(),
                                                      (tmp / "a.log.1").string(), (tmp / "log").string()}));
}

// What the operations make of a folder they cannot read: nothing listed,
// nothing thrown, the folder not deleted. The faults found, empty when none.
std::string faultsWith(const fs::path& folder)
{
    std::string faults;
    try
    {
        cnt::ListSL<td::String, false> names;
        fo::getFileNamesInFolder(names, folder, ".log");
        fo::deleteFilesInFolder(folder, "a");
        cnt::ListSL<fo::_FileDesc, false> list;
        fo::createFolderContentList(folder, list);
        if (!names.isEmpty() || !list.isEmpty())
            faults += "listed ";
        if (fo::deleteFolder(folder, true))
            faults += "deleted ";
    }
    catch (...)
    {
        faults += "threw";
    }
    return faults;
}

// A missing folder, a path through a file and a folder that cannot be read
// all count as empty. Root reads every folder, so the locked one is tried by
// a child that is not root.
TEST(FileOperationsTest, UnreadableFoldersAreEmpty)
{
    test::TempFolder tmp;
    makeFile(tmp / "file");
    for (const fs::path& folder : {tmp / "missing", tmp / "file" / "sub"})
        EXPECT_EQ(faultsWith(folder), "") << folder;

    const fs::path locked = tmp / "locked";
    fs::create_directory(locked);
    makeFile(locked / "a.log");
    chmod(locked.c_str(), 0);
    chmod(tmp.path().c_str(), 0711);
    const std::string seen = test::runInChild([&locked] {
                                 if (getuid() == 0 && setuid(65534) != 0)
                                     return std::string("still root");
                                 return access(locked.c_str(), R_OK) == 0 ? "readable" : faultsWith(locked);
                             }).output;
    chmod(locked.c_str(), 0700);
    EXPECT_TRUE(fs::exists(locked / "a.log"));
    if (seen == "still root")
        GTEST_SKIP() << "root could not be given up: the locked folder was not tried";
    EXPECT_EQ(seen, "");
}
} // namespace
