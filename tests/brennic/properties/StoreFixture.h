#pragma once
// A temporary home folder for the stores of one test, stores made in it, and
// the place of a store's file there.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <mu/IAppProperties.h>

#include "TestEnvironment.h"

namespace test
{
struct ReleaseStore
{
    void operator()(mu::IAppProperties* pStore) const { pStore->release(); }
};
using Store = std::unique_ptr<mu::IAppProperties, ReleaseStore>;

class StoreTest : public ::testing::Test
{
protected:
    StoreTest()
        : _home("HOME", tmp.path().string())
    {
    }

    static Store open(const char* name = "tool") { return Store(mu::IAppProperties::getProperties("Org", name)); }

    // Where the store named name keeps its file.
    fs::path fileOf(const char* name = "tool") const { return tmp / "Org" / name / (std::string(name) + ".plist"); }

    // Puts a fixture file where the store named name reads it.
    fs::path place(const char* fixture, const char* name = "tool") const
    {
        fs::create_directories(fileOf(name).parent_path());
        fs::copy_file(fs::path(TEST_DATA_DIR) / fixture, fileOf(name), fs::copy_options::overwrite_existing);
        return fileOf(name);
    }

    static std::string dump(const mu::IAppProperties& store) { return store.toString().c_str(); }

    TempFolder tmp;

private:
    ScopedEnv _home;
};
} // namespace test
