#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include <syst/Process.h>

#include "TestEnvironment.h"

namespace
{
TEST(ProcessTest, IdentityOfProcessAndComputer)
{
    EXPECT_EQ(syst::Process::getID(), static_cast<unsigned>(getpid()));
    EXPECT_EQ(mu::getProcesID(), static_cast<unsigned>(getpid()));

    std::string hostName = test::readFile("/proc/sys/kernel/hostname");
    hostName = hostName.substr(0, hostName.find('\n')).substr(0, 63);
    EXPECT_EQ(syst::Computer::getName().c_str(), hostName);
}

TEST(ProcessTest, ExecuteReplacesTheProcessOrReturnsMinusOne)
{
    char shell[] = "/bin/sh", dashC[] = "-c", exit7[] = "exit 7";
    char* argv[] = {shell, dashC, exit7, nullptr};
    EXPECT_EQ(test::runInChild([&argv] { return std::to_string(syst::Process::execute("/bin/sh", argv)); }).exitCode,
              7);

    cnt::SafeFullVector<td::String> arguments(2);
    arguments[0] = "-c";
    arguments[1] = "exit \"$#\"";
    EXPECT_EQ(test::runInChild([&arguments] {
                  return std::to_string(syst::Process::execute(td::String("/bin/sh"), arguments));
              }).exitCode,
              0);
    arguments[1] = "test \"$0\" = /bin/sh && exit 5";
    EXPECT_EQ(test::runInChild([&arguments] {
                  return std::to_string(syst::Process::execute(td::String("/bin/sh"), arguments));
              }).exitCode,
              5);

    EXPECT_EQ(syst::Process::execute("/nonexistent/program", argv), -1);
    EXPECT_EQ(syst::Process::execute(td::String("/nonexistent/program"), arguments), -1);
    EXPECT_EQ(syst::Process::execute(nullptr, argv), -1);
}
} // namespace
