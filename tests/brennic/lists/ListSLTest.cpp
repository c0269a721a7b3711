#include <gtest/gtest.h>
#include <StringHeader.h>
#include <cstring>
#include <string>
#include <vector>
#include <cnt/List.h>
#include <cnt/ListSL.h>
#include <mem/priv/Manager.h>
#include <td/String.h>

namespace
{
template <class TLIST>
std::vector<int> valuesOf(const TLIST& list)
{
    std::vector<int> out;
    for (const auto& v : list)
        out.push_back(v);
    return out;
}

TEST(ListSLTest, HeapListAppendsInOrderAndReleasesItsValues)
{
    td::String name("shared name");
    {
        cnt::ListSL<td::String, false> list;
        list.push_back(name);
        list.push_back(td::String("second"));
        list.push_back() = name;
        std::vector<std::string> texts;
        for (const td::String& s : list)
            texts.emplace_back(s.c_str());
        EXPECT_EQ(texts, (std::vector<std::string> {"shared name", "second", "shared name"}));

        cnt::ListSL<td::String, false> moved(std::move(list));
        EXPECT_TRUE(list.isEmpty());
        EXPECT_FALSE(moved.isEmpty());
    }
    // Every copy held by the list was released: the block has no sharer left.
    td::String copy(name);
    EXPECT_EQ(test::sharersOf(name), 1u);
}

// Entries cut from a slot pool: a chunk of 64 bytes holds four 16-byte entries,
// so the list below spans several chunks.
TEST(ListSLTest, PooledListTakesEntriesFromASlotPool)
{
    using List = cnt::ListSL<int, true>;
    static_assert(sizeof(List::_tEntry) == 16);
    mem::Manager<List::_tEntry, 64> pool;
    List list;
    for (int i = 0; i < 10; ++i)
        list.push_back(pool, i);
    EXPECT_EQ(pool.getNoOfChunks(), 3u);
    EXPECT_EQ(valuesOf(list), (std::vector<int> {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(list.getLastEntry()->value, 9);

    list.clean(); // forgets the entries; the pool still owns them
    EXPECT_TRUE(list.isEmpty());
    list.push_back(pool, 7);
    EXPECT_EQ(valuesOf(list), (std::vector<int> {7}));
}

TEST(ListSLTest, LinkAfterKeepsFirstAndLastInStep)
{
    using List = cnt::ListSL<int, true>;
    mem::Manager<List::_tEntry, 1024> pool;
    auto entry = [&pool](int v) {
        List::_tEntry* p = pool.allocate();
        p->value = v;
        return p;
    };
    List list;
    list.linkAfter(nullptr, entry(2)); // empty list: first and last
    EXPECT_EQ(list.getFirstEntry(), list.getLastEntry());
    list.linkAfter(nullptr, entry(0));              // in front
    list.linkAfter(list.getLastEntry(), entry(3));  // behind the last
    list.linkAfter(list.getFirstEntry(), entry(1)); // in the middle
    EXPECT_EQ(valuesOf(list), (std::vector<int> {0, 1, 2, 3}));
    EXPECT_EQ(list.getLastEntry()->value, 3);
    list.push_back(pool, 4);
    EXPECT_EQ(valuesOf(list), (std::vector<int> {0, 1, 2, 3, 4}));
}

TEST(ListTest, HeapListAppendsAtTheEnd)
{
    cnt::List<int*> list;
    int a = 1, b = 2, c = 3;
    list.push_back(&a);
    list.push_back(&b);
    auto it = list.push_back(&c);
    EXPECT_FALSE(it.hasNext());
    std::vector<int> seen;
    for (int* p : list)
        seen.push_back(*p);
    EXPECT_EQ(seen, (std::vector<int> {1, 2, 3}));

    int front = 0, middle = 9;
    *list.insertAfter(cnt::List<int*>::iterator()) = &front;
    *list.insertAfter(++list.begin()) = &middle;
    seen.clear();
    for (int* p : list)
        seen.push_back(*p);
    EXPECT_EQ(seen, (std::vector<int> {0, 1, 9, 2, 3}));
    list.clean();
    EXPECT_TRUE(list.isEmpty());
}

} // namespace
