#include <td/GUID.h>

#include <gtest/gtest.h>

#include <cstring>

namespace
{
// A random (version 4) identifier as libuuid makes it: the version nibble
// 4 in byte 6 and the variant bits 10 at the top of byte 8.
TEST(GUID, FreshRandomIdentifiers)
{
    unsigned char a[16];
    unsigned char b[16];
    mu::getGUID(reinterpret_cast<char*>(a));
    mu::getGUID(reinterpret_cast<char*>(b));
    EXPECT_NE(std::memcmp(a, b, 16), 0);
    for (const unsigned char* id : {a, b})
    {
        EXPECT_EQ(id[6] >> 4, 4);
        EXPECT_EQ(id[8] >> 6, 2);
    }
}
} // namespace
