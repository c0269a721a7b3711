#include <gtest/gtest.h>
#include <cnt/BlockVector.h>
#include <cnt/FixNumSet.h>
#include <cnt/PushBackVector.h>
#include <cnt/SafeFullVector.h>
#include <cnt/Vector.h>
#include <mem/StringMemoryManager.h>
#include <td/String.h>

#include <complex>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace
{

cnt::SafeFullVector<td::String> strings(std::initializer_list<const char*> texts)
{
    cnt::SafeFullVector<td::String> v(texts.size());
    size_t i = 0;
    for (const char* t : texts)
        v[i++] = t;
    return v;
}

std::vector<std::string> texts(const cnt::SafeFullVector<td::String>& v)
{
    std::vector<std::string> out;
    for (const td::String& s : v)
        out.emplace_back(s.c_str());
    return out;
}

using Texts = std::vector<std::string>;

TEST(SafeFullVectorTest, ReserveSetsTheSizeAndDiscardsUnlessUnchanged)
{
    struct Case
    {
        size_t n;
        Texts after;
    };
    const Case cases[] = {
        {3, {"a", "b", "c"}}, // the present size: contents stay
        {2, {"", ""}},
        {4, {"", "", "", ""}},
        {0, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.n);
        auto v = strings({"a", "b", "c"});
        v.reserve(c.n);
        EXPECT_EQ(v.size(), c.n);
        EXPECT_EQ(texts(v), c.after);
        EXPECT_EQ(v.getData() == nullptr, c.n == 0);
    }
}

TEST(SafeFullVectorTest, ResizeOnlyGrowsAndKeepsTheFront)
{
    struct Case
    {
        size_t n;
        Texts after;
    };
    const Case cases[] = {
        {1, {"a", "b"}},
        {2, {"a", "b"}},
        {4, {"a", "b", "", ""}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.n);
        auto v = strings({"a", "b"});
        v.resize(c.n);
        EXPECT_EQ(texts(v), c.after);
    }
}

TEST(SafeFullVectorTest, WholeVectorOperations)
{
    cnt::SafeFullVector<std::complex<double>> z(3);
    for (const auto& e : z)
        EXPECT_EQ(e, std::complex<double>(0, 0)); // array allocation zeroes complex numbers

    cnt::SafeFullVector<double> d(3);
    d.setAll(2.5);
    EXPECT_EQ(d[0] + d[1] + d[2], 7.5);
    d.zeros();
    EXPECT_EQ(d[0] + d[1] + d[2], 0.0);

    auto s = strings({"x", "y"});
    s.zeros();
    EXPECT_EQ(texts(s), (Texts {"", ""}));
    s.setAll(td::String("same"));
    EXPECT_EQ(s[0].c_str(), s[1].c_str()) << "assignment shares one text";

    auto src = strings({"p", "q"});
    s.takeDataFrom(src);
    EXPECT_EQ(texts(s), (Texts {"p", "q"}));
    EXPECT_EQ(texts(src), (Texts {"p", "q"}));

    cnt::SafeFullVector<td::String> copy;
    copy = src; // sizes differ: resized, then element by element
    EXPECT_EQ(texts(copy), (Texts {"p", "q"}));

    cnt::SafeFullVector<td::String> moved(std::move(copy));
    EXPECT_EQ(texts(moved), (Texts {"p", "q"}));
    EXPECT_TRUE(copy.isEmpty());
    EXPECT_EQ(copy.getData(), nullptr);

    moved.clean();
    EXPECT_EQ(moved.size(), 0u);
    EXPECT_EQ(moved.getData(), nullptr);
}

// A failed resize changes nothing; a failed reserve has already dropped
// the contents it would discard anyway and leaves a usable empty vector.
TEST(SafeFullVectorTest, FailedAllocationLeavesAConsistentVector)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator stops the process on oversized requests";
#endif
    cnt::SafeFullVector<double> v(2);
    v[0] = 1.5;
    v[1] = 2.5;
    const size_t tooMany = SIZE_MAX / 2;
    EXPECT_THROW(v.resize(tooMany), std::bad_alloc);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0], 1.5);
    EXPECT_EQ(v[1], 2.5);

    EXPECT_THROW(v.reserve(tooMany), std::bad_alloc);
    EXPECT_EQ(v.size(), 0u);
    EXPECT_EQ(v.getData(), nullptr);
    v.reserve(1);
    v[0] = 3.5;
    EXPECT_EQ(v[0], 3.5);
}

TEST(SafeFullVectorDeathTest, CheckedAccessAndEqualSizes)
{
    cnt::SafeFullVector<int> v(2), w(3), empty;
    EXPECT_DEATH(v[2], "Assertion failed: pos >= 0 && pos < _size && _data");
    EXPECT_DEATH(empty[0], "Assertion failed: pos >= 0 && pos < _size && _data");
    EXPECT_DEATH(v.takeDataFrom(w), "Assertion failed: size == _size");
}

TEST(PushBackVectorTest, GrowsByDoublingFromOne)
{
    cnt::PushBackVector<int> v;
    std::vector<size_t> capacities;
    for (int i = 0; i < 5; ++i)
    {
        v.push_back() = i * 10;
        capacities.push_back(v.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<size_t> {1, 2, 4, 4, 8}));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(v[i], i * 10);
}

TEST(PushBackVectorTest, ReserveAlwaysEmptiesAndNewSlotsAreFresh)
{
    struct Case
    {
        size_t n;
        size_t capacity;
    };
    // 4 is the present capacity: the array stays, its used slots are reset.
    for (const Case& c : {Case {4, 4}, Case {3, 3}, Case {0, 0}})
    {
        SCOPED_TRACE(c.n);
        cnt::PushBackVector<td::String> v;
        v.reserve(4);
        v.push_back(td::String("old 0"));
        v.push_back(td::String("old 1"));
        v.reserve(c.n);
        EXPECT_EQ(v.size(), 0u);
        EXPECT_EQ(v.capacity(), c.capacity);
        EXPECT_TRUE(v.push_back().isEmpty()) << "push_back() hands out a default element";
        EXPECT_TRUE(v.push_back().isEmpty());
    }
}

// Records that own their arrays (plots) cannot be copied: growth must move
// them, and a reserve of the same capacity must reset the slots it reuses.
TEST(PushBackVectorTest, MovesOwningElementsWhenGrowing)
{
    cnt::PushBackVector<std::unique_ptr<int>> v;
    for (int i = 0; i < 5; ++i)
        v.push_back() = std::make_unique<int>(i);
    ASSERT_EQ(v.capacity(), 8u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(*v[i], i);

    v.reserve(8);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(v.push_back(), nullptr) << i;
}

TEST(PushBackVectorTest, PushBackOfOwnElementWhileGrowing)
{
    cnt::PushBackVector<td::String> v;
    v.push_back(td::String("first"));
    v.push_back(v[0]); // the array grows under the argument
    v.push_back(v[1]);
    ASSERT_EQ(v.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_STREQ(v[i].c_str(), "first");
}

TEST(PushBackVectorDeathTest, CheckedAccess)
{
    cnt::PushBackVector<int> v;
    v.reserve(4);
    v.push_back(1);
    EXPECT_DEATH(v[1], "Assertion failed: pos < sz");
}

TEST(BlockVectorTest, BlocksAreAddedAndElementsNeverMove)
{
    cnt::BlockVector<double, 4096> v;
    v.push_back(0.0);
    const double* first = &v[0];
    for (int i = 1; i < 4096; ++i)
        v.push_back(i);
    EXPECT_EQ(v.capacity(), 4096u);
    v.push_back(4096);
    EXPECT_EQ(v.capacity(), 8192u);
    for (int i = 4097; i < 10000; ++i)
        v.push_back(i);
    EXPECT_EQ(v.capacity(), 12288u);
    EXPECT_EQ(&v[0], first);

    // forward, then backwards across blocks, then forward again
    for (size_t pos : {5000u, 0u, 9999u, 4095u, 4096u, 8191u, 8192u, 1u})
        EXPECT_EQ(v[pos], double(pos)) << pos;

    double sum = 0;
    for (double x : v)
        sum += x;
    EXPECT_EQ(sum, 9999.0 * 10000.0 / 2); // 0 + 1 + ... + 9999
}

TEST(BlockVectorTest, ReserveRewindsOrReplacesTheBlocks)
{
    struct Case
    {
        size_t n;
        size_t capacity;
        bool sameFirstBlock;
    };
    const Case cases[] = {
        {4096, 4096, true}, // one block already: kept, size back to 0
        {1, 4096, true},
        {4097, 8192, false},
        {0, 0, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.n);
        cnt::BlockVector<double, 4096> v;
        for (int i = 0; i < 10; ++i)
            v.push_back(i);
        const double* first = &v[0];
        v.reserve(c.n);
        EXPECT_EQ(v.size(), 0u);
        EXPECT_EQ(v.capacity(), c.capacity);
        v.push_back(42);
        EXPECT_EQ(v[0], 42.0);
        if (c.sameFirstBlock)
        {
            EXPECT_EQ(&v[0], first);
        }
        EXPECT_EQ(v.capacity(), c.capacity == 0 ? 4096u : c.capacity);
    }
}

// A rewind keeps every block, the ones past the first too: refilling to
// the old size stores into the same memory.
TEST(BlockVectorTest, RewindKeepsEveryBlockAndMovesHandThemOver)
{
    cnt::BlockVector<double, 1024> v;
    for (int i = 0; i < 2500; ++i)
        v.push_back(i);
    const double* second = &v[1024];
    v.rewind();
    EXPECT_EQ(v.size(), 0u);
    EXPECT_EQ(v.capacity(), 3072u);
    for (int i = 0; i < 3072; ++i)
        v.push_back(-i);
    EXPECT_EQ(v.capacity(), 3072u);
    EXPECT_EQ(&v[1024], second);
    EXPECT_EQ(v[2000], -2000.0);

    cnt::BlockVector<double, 1024> w(std::move(v));
    EXPECT_EQ(v.size(), 0u);
    EXPECT_EQ(v.capacity(), 0u);
    EXPECT_EQ(&w[1024], second);
    v = std::move(w);
    EXPECT_EQ(v.size(), 3072u);
    EXPECT_EQ(v[3071], -3071.0);
    v.push_back(1); // the moved-to vector grows as any other
    EXPECT_EQ(v[3072], 1.0);
}

TEST(PushBackVectorTest, MoveAssignmentTakesTheArray)
{
    cnt::PushBackVector<td::String> v;
    v.push_back(td::String("a"));
    cnt::PushBackVector<td::String> w;
    w.push_back(td::String("b"));
    w = std::move(v);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_STREQ(w[0].c_str(), "a");
    EXPECT_TRUE(v.isEmpty());
    EXPECT_EQ(v.capacity(), 0u);
}

TEST(BlockVectorDeathTest, CheckedAccessAndIteration)
{
    cnt::BlockVector<double, 1024> v;
    v.push_back(1);
    EXPECT_DEATH(v[1], "Assertion failed: pos < _size");
    auto it = v.end();
    EXPECT_DEATH(++it, "Assertion failed: _pos < _size");
}

TEST(VectorTest, DoublesFromOneAndReserveKeepsElements)
{
    cnt::Vector<unsigned> v;
    EXPECT_EQ(v.size(), 0u);
    std::vector<unsigned> capacities;
    for (unsigned i = 0; i < 5; ++i)
    {
        v.push_back(i * 3);
        capacities.push_back(v.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<unsigned> {1, 2, 4, 4, 8}));

    struct Case
    {
        size_t n;
        unsigned size;
    };
    // Below the size the size is cut to the new capacity.
    for (const Case& c : {Case {8, 5}, Case {16, 5}, Case {5, 5}, Case {3, 3}})
    {
        SCOPED_TRACE(c.n);
        cnt::Vector<unsigned> w;
        for (unsigned i = 0; i < 5; ++i)
            w.push_back(i * 3);
        w.reserve(c.n);
        EXPECT_EQ(w.capacity(), c.n);
        ASSERT_EQ(w.size_ref(), c.size);
        for (unsigned i = 0; i < c.size; ++i)
            EXPECT_EQ(w[i], i * 3);
        w.push_back(99);
        EXPECT_EQ(w[c.size], 99u);
    }

    cnt::Vector<unsigned> fresh;
    fresh.reserve(4096);
    EXPECT_EQ(fresh.size_ref(), 0u);
    EXPECT_EQ(fresh.capacity(), 4096u);
}

TEST(VectorTest, PoolStringsAreKeptAsTheyAre)
{
    mem::StringMemoryManager<td::StringExt, 65536> pool;
    cnt::Vector<td::StringExt> names;
    const char* input[] = {"x", "", "y", "z"};
    for (const char* t : input)
    {
        const td::StringExt* p = pool.alloc(td::String(t));
        names.push_back(p ? *p : td::StringExt());
    }
    ASSERT_EQ(names.size_ref(), 4u);
    for (unsigned i = 0; i < 4; ++i)
        EXPECT_STREQ(names[i].c_str(), input[i]);
}

TEST(VectorDeathTest, Assertions)
{
    cnt::Vector<unsigned> empty;
    EXPECT_DEATH(empty.reserve(0), "Assertion failed: n > 0");
    EXPECT_DEATH(empty[0], "Assertion failed: _data != nullptr");
    EXPECT_DEATH(empty.size_ref(), "Assertion failed: _data != nullptr");
    cnt::Vector<unsigned> one;
    one.push_back(1);
    EXPECT_DEATH(one[1], "Assertion failed: pos < size_ref\\(\\)");
}

std::vector<int> members(const cnt::FixNumSet<int>& set)
{
    std::vector<int> out;
    for (int v : set)
        out.push_back(v);
    return out;
}

TEST(FixNumSetTest, KeepsMembersAscendingWithoutSorting)
{
    struct Case
    {
        std::vector<int> inserts;
        std::vector<int> iterated;
    };
    const Case cases[] = {
        {{5, 2, 7, 5, 3}, {2, 3, 5, 7}},
        {{0, 9}, {0, 9}},
        {{9, 8, 7, 0}, {0, 7, 8, 9}},             // each in front
        {{1, 8, 4, 6, 5, 2}, {1, 2, 4, 5, 6, 8}}, // between first and last
        {{4, 4, 4}, {4}},
        {{}, {}},
    };
    for (const Case& c : cases)
    {
        cnt::FixNumSet<int> set;
        set.reserve(10);
        for (int v : c.inserts)
            set.insert(v);
        EXPECT_EQ(members(set), c.iterated);
        for (int v = 0; v < 10; ++v)
        {
            bool expected = false;
            for (int m : c.iterated)
                expected = expected || m == v;
            EXPECT_EQ(set.contains(v), expected) << v;
        }
        set.clean();
        EXPECT_TRUE(set.isEmpty());
        set.insert(6);
        set.insert(1);
        EXPECT_EQ(members(set), (std::vector<int> {1, 6})) << "no old links left";
    }
}

TEST(FixNumSetTest, ReserveBelowOneIsIgnored)
{
    cnt::FixNumSet<int> set;
    set.reserve(3);
    set.insert(2);
    set.reserve(0);
    EXPECT_EQ(set.size(), 3);
    EXPECT_EQ(members(set), (std::vector<int> {2}));
    set.reserve(5); // a new array: empty again
    EXPECT_EQ(members(set), (std::vector<int> {}));
}

TEST(FixNumSetDeathTest, ValuesOutsideTheSetAndForeignIterators)
{
    cnt::FixNumSet<int> set, other;
    set.reserve(10);
    other.reserve(10);
    EXPECT_DEATH(set.insert(10), "Assertion failed: val < _size");
    EXPECT_DEATH(set.insert(-1), "Assertion failed: val >= 0");
    EXPECT_DEATH((void)(set.begin() != other.end()), "Assertion failed: it._pFixSet == _pFixSet");
    auto it = set.end();
    EXPECT_DEATH(++it, "Assertion failed: _pos > 0");
}

} // namespace
