// Modules on top of the library use its process-wide objects from their own
// static initialisers and destructors: this program itself, a probe library
// opened at run time, and the same probe opened by a program that links
// neither, so that the library starts up as the probe's dependency.
#include <gtest/gtest.h>

#include <mem/Buffer.h>
#include <mu/Init.h>
#include <mu/NumberParser.h>

#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "StartupProbe.h"

namespace
{
struct StartupProbe
{
    StartupProbe()
    {
        number = mu::toDouble("2.75");
        mem::Buffer::Entry* at = nullptr;
        std::string text(1500, 'q');
        bufferOK = buffer.append(text.data(), text.size(), at);
        mu::__globalMutableString.append("probe");
        globalText = mu::__globalMutableString.c_str();
        mu::__globalMutableString.erase();
    }

    ~StartupProbe()
    {
        // Still usable while the modules above the library unload.
        mem::Buffer copy(buffer);
        mem::Buffer::Entry* at = nullptr;
        if (!copy.append("end", 3, at) || mu::toDouble("1.5") != 1.5)
            std::abort();
    }

    double number = 0.0;
    mem::Buffer buffer {mu::getMainThreadBufferAllocator()};
    bool bufferOK = false;
    std::string globalText;
};

StartupProbe s_probe;
} // namespace

TEST(StartupTest, LibraryObjectsExistWhenDependentModulesInitialise)
{
    EXPECT_EQ(s_probe.number, 2.75);
    EXPECT_TRUE(s_probe.bufferOK);
    EXPECT_EQ(s_probe.buffer.getTotalSize(), 1500u);
    EXPECT_EQ(s_probe.buffer.getNumberOfChunks(), 2u);
    EXPECT_EQ(s_probe.globalText, "probe");
    EXPECT_NE(mu::getMainThreadBufferAllocator(), nullptr);
    EXPECT_EQ(mu::getMainThreadBufferAllocator()->getUnitChunkSize(), 1024u);
}

TEST(StartupTest, LibraryOpenedAtRunTimeUsesTheObjectsFromItsInitialiser)
{
    void* pProbe = dlopen(STARTUP_PROBE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(pProbe, nullptr) << dlerror();
    auto faults = reinterpret_cast<StartupProbeFaultsFn>(dlsym(pProbe, "startupProbeFaults"));
    ASSERT_NE(faults, nullptr);
    EXPECT_EQ(faults(), 0u);
    // Unloading runs the probe's destructor, which aborts if the objects no
    // longer serve.
    EXPECT_EQ(dlclose(pProbe), 0);
}

TEST(StartupTest, LibraryStartsUpWhenLoadedAsTheDependencyOfAnother)
{
    // A process that links neither library opens the probe, which brings this
    // library in with it.
    char loader[] = STARTUP_LOADER;
    char probe[] = STARTUP_PROBE;
    char brennic[] = BRENNIC_FILE_NAME;
    char* argv[] = {loader, probe, brennic, nullptr};
    pid_t pid;
    ASSERT_EQ(posix_spawn(&pid, loader, nullptr, nullptr, argv, environ), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the loader died on signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "probe faults or load failure, see the loader's output";
}
