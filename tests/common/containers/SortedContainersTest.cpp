#include <gtest/gtest.h>
#include <cnt/Dictionary.h>
#include <cnt/DictionaryNonDyn.h>
#include <cnt/Set.h>
#include <mem/StringMemoryManager.h>
#include <td/StrKey.h>
#include <td/String.h>

#include <algorithm>
#include <vector>

namespace
{

template <typename D>
std::vector<int> keysOf(const D& dict)
{
    std::vector<int> keys;
    for (const auto& e : dict)
        keys.push_back(e.key);
    return keys;
}

TEST(DictionaryTest, InsertOutsideBulkSortsAtOnceInsideWaitsForTheEnd)
{
    cnt::Dictionary<int, int> sorted;
    sorted.insert(5, 50);
    EXPECT_EQ(keysOf(sorted), (std::vector<int> {5}));
    sorted.insert(1, 10);
    EXPECT_EQ(keysOf(sorted), (std::vector<int> {1, 5}));
    sorted.insert(3, 30);
    EXPECT_EQ(keysOf(sorted), (std::vector<int> {1, 3, 5}));

    cnt::Dictionary<int, int> bulk;
    bulk.reserve(3);
    bulk.startBulkUpdate();
    for (int k : {5, 1, 3})
        bulk.insert(k, 10 * k);
    EXPECT_EQ(keysOf(bulk), (std::vector<int> {5, 1, 3}));
    EXPECT_TRUE(bulk.isUnsorted());
    int value = 0;
    EXPECT_FALSE(bulk.find(1, value)) << "1 lies below the first stored key while unsorted";

    bulk.endBulkUpdate();
    EXPECT_EQ(keysOf(bulk), (std::vector<int> {1, 3, 5}));
    EXPECT_FALSE(bulk.isUnsorted());
    EXPECT_FALSE(bulk.isBulkUpdateOpen());
    EXPECT_TRUE(bulk.find(1, value));
    EXPECT_EQ(value, 10);

    bulk.endBulkUpdate(); // none open: nothing happens
    EXPECT_EQ(keysOf(bulk), (std::vector<int> {1, 3, 5}));
}

TEST(DictionaryTest, LookupsByHalving)
{
    cnt::Dictionary<int, int> empty;
    int value = -1;
    EXPECT_FALSE(empty.find(7, value));
    EXPECT_EQ(empty.findValPtr(7), nullptr);

    cnt::Dictionary<int, int> dict;
    dict.reserve(16);
    dict.startBulkUpdate();
    for (int k = 2; k <= 20; k += 2)
        dict.insert(k, k * 100);
    dict.endBulkUpdate();

    for (int k = 0; k <= 22; ++k)
    {
        SCOPED_TRACE(k);
        const bool present = k >= 2 && k <= 20 && k % 2 == 0;
        EXPECT_EQ(dict.find(k, value), present);
        if (present)
        {
            EXPECT_EQ(value, k * 100);
        }
        EXPECT_EQ(dict.findValPtr(k) != nullptr, present);
    }

    // findValPtr points into the array: a change through it is seen later.
    *dict.findValPtr(8) = -8;
    EXPECT_TRUE(dict.find(8, value));
    EXPECT_EQ(value, -8);
}

TEST(DictionaryTest, KeepsDuplicateKeys)
{
    cnt::Dictionary<td::StrKey, int> dict;
    dict.insert(td::StrKey("sin", -1), 1);
    dict.insert(td::StrKey("sin", -1), 2);
    EXPECT_EQ(dict.size(), 2u);
    int value = 0;
    ASSERT_TRUE(dict.find(td::StrKey("sin", 3), value));
    EXPECT_TRUE(value == 1 || value == 2);
}

TEST(DictionaryTest, GrowthPolicies)
{
    struct Case
    {
        unsigned char policy;
        unsigned reserved;
        int inserts;
        unsigned capacity;
    };
    const Case cases[] = {
        {0, 4, 5, 8},       // doubles
        {255, 4, 5, 65540}, // adds 65536
        {1, 4, 5, 5},       // adds one
        {7, 4, 5, 11},      // adds the policy value
        {0, 0, 1, 1},       // doubling starts from one when nothing was reserved
        {0, 0, 3, 4},       // 1, 2, 4
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "policy " << int(c.policy) << ", reserved " << c.reserved);
        cnt::Dictionary<int, int> dict;
        dict.setGrowthPolicy(c.policy);
        dict.reserve(c.reserved);
        for (int k = c.inserts; k > 0; --k)
            dict.insert(k, -k);
        EXPECT_EQ(dict.capacity(), c.capacity);
        ASSERT_EQ(dict.size(), unsigned(c.inserts));
        for (int k = 1; k <= c.inserts; ++k)
        {
            int value = 0;
            EXPECT_TRUE(dict.find(k, value));
            EXPECT_EQ(value, -k);
        }
    }
}

TEST(DictionaryTest, ReserveNeverDropsBelowTheEntryCount)
{
    cnt::Dictionary<int, int> dict;
    dict.reserve(8);
    for (int k = 1; k <= 5; ++k)
        dict.insert(k, k);
    dict.reserve(0); // nothing happens
    EXPECT_EQ(dict.capacity(), 8u);
    dict.reserve(2);
    EXPECT_EQ(dict.capacity(), 5u);
    dict.insert(6, 6); // grows from a full array instead of writing past it
    EXPECT_EQ(dict.capacity(), 10u);
    for (int k = 1; k <= 6; ++k)
    {
        int value = 0;
        EXPECT_TRUE(dict.find(k, value));
        EXPECT_EQ(value, k);
    }
    dict.reserve(20); // a larger reserve keeps the entries too
    EXPECT_EQ(dict.capacity(), 20u);
    EXPECT_EQ(keysOf(dict), (std::vector<int> {1, 2, 3, 4, 5, 6}));
}

TEST(SetTest, IntegerLookups)
{
    cnt::Set<int> empty;
    EXPECT_EQ(empty.find(3), empty.end());
    EXPECT_FALSE(empty.findKey(3));

    cnt::Set<int> set;
    set.reserve(8);
    set.startBulkUpdate();
    for (int v : {40, 10, 30, 20})
        set.insert(v);
    set.endBulkUpdate();
    ASSERT_EQ(std::vector<int>(set.begin(), set.end()), (std::vector<int> {10, 20, 30, 40}));

    struct Case
    {
        int value;
        bool member;
    };
    for (const Case& c : {Case {5, false}, Case {10, true}, Case {25, false}, Case {40, true}, Case {45, false}})
    {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(set.findKey(c.value), c.member);
        EXPECT_EQ(set.find(c.value) != set.end(), c.member);
    }

    // findEntry searches positions from..to only.
    EXPECT_EQ(set.findEntry(20, 1, 3), set.begin() + 1);
    EXPECT_EQ(set.findEntry(20, 2, 3), nullptr);
    EXPECT_EQ(set.findEntry(40, 0, 2), nullptr);
    EXPECT_EQ(set.findEntry(10, 3, 2), nullptr);
}

TEST(SetTest, GrowsFromNothingAndSortsEachInsertOutsideABulkUpdate)
{
    cnt::Set<int> set;
    std::vector<unsigned> capacities;
    for (int v : {30, 10, 50, 20, 40})
    {
        set.insert(v);
        capacities.push_back(set.capacity());
        EXPECT_TRUE(std::is_sorted(set.begin(), set.end())) << v;
    }
    EXPECT_EQ(capacities, (std::vector<unsigned> {1, 2, 4, 4, 8}));
    EXPECT_EQ(std::vector<int>(set.begin(), set.end()), (std::vector<int> {10, 20, 30, 40, 50}));

    set.reserve(2); // never below the member count
    EXPECT_EQ(set.capacity(), 5u);
    for (int v : {10, 30, 50})
        EXPECT_TRUE(set.findKey(v)) << v;
}

TEST(SetTest, PoolStringsOrderByUnsignedBytesShorterFirst)
{
    mem::StringMemoryManager<td::StringExt, 65536> pool;
    const char* texts[] = {"\x80", "b", "abc", "z", "ab", "a"};
    cnt::Set<td::StringExt> set;
    set.startBulkUpdate();
    for (const char* t : texts)
        set.insert(*pool.alloc(td::String(t)));
    set.insert(td::StringExt()); // the empty string
    set.endBulkUpdate();

    const char* expected[] = {"", "a", "ab", "abc", "b", "z", "\x80"};
    ASSERT_EQ(set.size(), 7u);
    for (unsigned i = 0; i < 7; ++i)
        EXPECT_STREQ(set.begin()[i].c_str(), expected[i]) << i;

    EXPECT_TRUE(set.findKey(*pool.alloc(td::String("abc"))));
    EXPECT_FALSE(set.findKey(*pool.alloc(td::String("abd"))));
}

TEST(DictionaryNonDynTest, OneNameInAFixedArray)
{
    cnt::DictionaryNonDyn<td::StrKey, int, 1> names;
    int type = 0;
    EXPECT_FALSE(names.find(td::StrKey("s", 1), type));
    names.insert(td::StrKey("s", 1), 4);
    EXPECT_TRUE(names.find(td::StrKey("s", 1), type));
    EXPECT_EQ(type, 4);
    EXPECT_FALSE(names.find(td::StrKey("t", 1), type));

    names.clean();
    EXPECT_FALSE(names.find(td::StrKey("s", 1), type));
    names.insert(td::StrKey("x", 1), 7);
    EXPECT_TRUE(names.find(td::StrKey("x", 1), type));
    EXPECT_EQ(type, 7);
}

TEST(DictionaryNonDynDeathTest, InsertIntoAFullDictionaryStops)
{
    cnt::DictionaryNonDyn<td::StrKey, int, 1> names;
    names.insert(td::StrKey("s", 1), 4);
    EXPECT_DEATH(names.insert(td::StrKey("t", 1), 5), "Assertion failed: _noEntries < CAPACITY");
}

TEST(DictionaryNonDynTest, BulkFillSortsOnce)
{
    cnt::DictionaryNonDyn<int, int, 4> dict;
    dict.startBulkUpdate();
    for (int k : {9, 3, 7, 1})
        dict.insert(k, k + 100);
    int value = 0;
    EXPECT_FALSE(dict.find(1, value));
    dict.endBulkUpdate();
    for (int k : {1, 3, 7, 9})
    {
        EXPECT_TRUE(dict.find(k, value));
        EXPECT_EQ(value, k + 100);
    }
}

} // namespace
