// What a thread of the compile logs is kept and handed on to the model's log
// later, entry by entry in its order, with positions and arguments.
#include <CollectingLog.h>
#include <compile/DeferredLog.h>
#include <gtest/gtest.h>

namespace
{
using namespace SL_NS;
using Type = sc::ILog::Type;

TEST(DeferredLog, HandsOnEveryEntryInItsOrderOnce)
{
    DeferredLog deferred;
    deferred.translateAndAdd("@ET.NoInstruction", 12, 3, Type::Error);
    deferred.translateAndAdd("@ET.CantDiff", 14, 1, Type::Error, "x", "y", nullptr);
    deferred.translateAndAdd("", 15, 1, Type::Error); // no key: nothing
    deferred.translateAndAdd("@SC.Note", Type::Info);
    deferred.addWoTranslation("as written", Type::Warning);
    EXPECT_EQ(deferred.getNoOfErrors(), 2u);

    test::CollectingLog log;
    deferred.replayInto(&log);
    ASSERT_EQ(log.entries.size(), 4u) << log.entries.size();
    EXPECT_EQ(log.entries[0].text, "@ET.NoInstruction");
    EXPECT_EQ(log.entries[0].line, 12u);
    EXPECT_EQ(log.entries[0].column, 3u);
    EXPECT_EQ(log.entries[1].text, "@ET.CantDiff");
    EXPECT_EQ(log.entries[1].line, 14u);
    EXPECT_EQ(log.entries[1].arguments, (std::vector<std::string> {"x", "y"}));
    EXPECT_EQ(log.entries[2].text, "@SC.Note");
    EXPECT_EQ(log.entries[2].type, Type::Info);
    EXPECT_EQ(log.entries[3].text, "as written");
    EXPECT_EQ(log.entries[3].type, Type::Warning);

    // Handed on once: a second replay adds nothing, nor does one without a log.
    deferred.replayInto(&log);
    deferred.replayInto(nullptr);
    EXPECT_EQ(log.entries.size(), 4u);
    EXPECT_EQ(deferred.getNoOfErrors(), 0u);
}
} // namespace
