// This program is a module loaded on top of the library: its static objects
// are constructed after the library's initialisers ran and destroyed before
// the library unloads. The probe uses the library's process-wide objects at
// both moments, as any dependent library may.
#include <gtest/gtest.h>

#include <mem/Buffer.h>
#include <mu/Init.h>
#include <mu/NumberParser.h>

#include <cstdlib>
#include <string>

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
    mem::Buffer buffer{mu::getMainThreadBufferAllocator()};
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
