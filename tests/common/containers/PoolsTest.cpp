#include <gtest/gtest.h>
#include <cnt/ListSL.h>
#include <cnt/StackExt.h>
#include <mem/ListManager.h>
#include <mem/MemoryManager.h>

#include <complex>
#include <vector>

namespace
{

TEST(MemoryManagerTest, RunsComeFromTheCurrentBufferOrANewOne)
{
    mem::MemoryManager<double> mgr(1023);
    EXPECT_EQ(mgr.getEntries(0), nullptr);
    EXPECT_EQ(mgr.getEntries(-3), nullptr);

    double* a = mgr.getEntries(1000);
    double* b = mgr.getEntries(23);
    EXPECT_EQ(b, a + 1000) << "the first buffer still had room";
    double* c = mgr.getEntries(1000);
    EXPECT_NE(c, b + 23) << "a full buffer is left behind";
    c[999] = 1; // the whole run is usable

    double* d = mgr.getEntries(2000);
    EXPECT_EQ(mgr.getBufferSize(), 2000u);
    d[1999] = 1;
    double* e = mgr.getEntry();
    double* f = mgr.getEntry();
    EXPECT_EQ(f, e + 1);
    e[1999] = 1; // the later buffer has the raised size too
    EXPECT_EQ(mgr.getBufferSize(), 2000u);
}

TEST(MemoryManagerTest, EntriesAreDefaultConstructed)
{
    mem::MemoryManager<std::complex<double>> mgr(4095);
    const std::complex<double>* run = mgr.getEntries(4095);
    for (int i = 0; i < 4095; ++i)
        ASSERT_EQ(run[i], std::complex<double>(0, 0)) << i;
}

// Instruction sequences are runs of member-function pointers.
struct Machine
{
    int acc = 0;
    void add() { acc += 1; }
    void twice() { acc *= 2; }
};

TEST(MemoryManagerTest, HoldsRunsOfInstructions)
{
    using Instruction = void (Machine::*)();
    mem::MemoryManager<Instruction> mgr(4095);
    Instruction* program = mgr.getEntries(3);
    program[0] = &Machine::add;
    program[1] = &Machine::add;
    program[2] = &Machine::twice;
    Machine m;
    for (int i = 0; i < 3; ++i)
        (m.*program[i])();
    EXPECT_EQ(m.acc, 4); // (0 + 1 + 1) * 2
}

// A buffer made before the size was raised is shorter than the buffers
// after it: reusing it must not hand out a run that passes its end.
TEST(MemoryManagerTest, ReusedBuffersKeepTheirOwnLength)
{
    mem::MemoryManager<int> mgr(10);
    int* shortBuffer = mgr.getEntries(10);
    int* longBuffer = mgr.getEntries(20);
    mgr.rewind();
    EXPECT_EQ(mgr.getEntries(4), shortBuffer);
    int* run = mgr.getEntries(15); // 6 left in the short buffer: too few
    EXPECT_EQ(run, longBuffer);
    run[14] = 1;
    EXPECT_EQ(mgr.getEntries(5), longBuffer + 15);
    int* fresh = mgr.getEntries(1); // both buffers used up: a new one
    EXPECT_NE(fresh, shortBuffer);
    EXPECT_NE(fresh, longBuffer + 20);
}

using TokenList = cnt::ListSL<int, true>;

std::vector<int> valuesOf(const TokenList& list)
{
    std::vector<int> out;
    for (int v : list)
        out.push_back(v);
    return out;
}

TEST(ListManagerTest, InsertsBeforeTheDesignatedEntry)
{
    struct Case
    {
        const char* what;
        std::vector<int> initial;
        int before; // index of the designated entry; -1 none; -2 one of another list
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"empty list", {}, -1, {9}},
        {"no entry designated", {1, 2}, -1, {9, 1, 2}},
        {"the first entry", {1, 2, 3}, 0, {9, 1, 2, 3}},
        {"a middle entry", {1, 2, 3}, 1, {1, 9, 2, 3}},
        {"the last entry", {1, 2, 3}, 2, {1, 2, 9, 3}},
        {"an entry of another list", {1, 2}, -2, {1, 2, 9}},
    };
    mem::ListManager<TokenList, 65536> mgr;
    TokenList other;
    mgr.push_back(other, 100);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        TokenList list;
        for (int v : c.initial)
            mgr.push_back(list, v);
        TokenList::iterator it = c.before == -2 ? other.begin() : TokenList::iterator();
        if (c.before >= 0)
        {
            it = list.begin();
            for (int i = 0; i < c.before; ++i)
                ++it;
        }
        const TokenList::iterator designated = it;
        mgr.insert(list, it, 9);
        EXPECT_EQ(valuesOf(list), c.expected);
        EXPECT_EQ(it, designated) << "the iterator is not changed";
        EXPECT_EQ(list.getLastEntry()->value, c.expected.back());
        EXPECT_EQ(list.getLastEntry()->pNext, nullptr);
        mgr.push_back(list, 7);
        EXPECT_EQ(list.getLastEntry()->value, 7);
    }
    EXPECT_EQ(valuesOf(other), (std::vector<int> {100}));
}

using NodeStack = cnt::StackExt<const void*, 65536>;

TEST(StackExtTest, StacksSharingAPoolReuseEachOthersEntries)
{
    NodeStack::Pool pool;
    NodeStack first(&pool), second(&pool);
    int a = 0, b = 0, c = 0;

    first.push(&a);
    first.push(&b);
    EXPECT_EQ(first.top(), &b);
    const void* slotOfB = &first.top();
    first.pop();
    EXPECT_EQ(first.top(), &a);

    second.push(&c);
    EXPECT_EQ(&second.top(), slotOfB) << "the popped entry is taken again";
    EXPECT_EQ(second.top(), &c);
    EXPECT_EQ(first.top(), &a);

    second.pop();
    first.pop();
    EXPECT_TRUE(first.isEmpty());
    EXPECT_TRUE(second.isEmpty());
    EXPECT_EQ(pool.getNoOfChunks(), 1u);
}

TEST(StackExtDeathTest, EmptyStack)
{
    NodeStack::Pool pool;
    NodeStack stack(&pool);
    EXPECT_DEATH(stack.pop(), "Assertion failed: _top");
    EXPECT_DEATH(stack.top(), "Assertion failed: _top");
}

} // namespace
