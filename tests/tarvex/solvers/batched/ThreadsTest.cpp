// Large passes split among threads: the values and the solution are the
// same to the last bit as on one thread, the pool serves solve after solve,
// and the model's threads setting decides the count. A large model's
// programs are written on a second thread while its next equations are
// built: the programs and the messages are those of one thread.
#include <BatchedVsPerToken.h>
#include <LoaderSupport.h>
#include <gtest/gtest.h>
#include <math/BackgroundTask.h>
#include <math/WorkerPool.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <sched.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace
{
using namespace SL_NS;

// A ring of n variables, x_i + 0.1 sin(x_(i-1) - x_i) + 0.1 sin(x_(i+1) - x_i)
// = 1, solved by x_i = 1 (every sine of zero); started off it, unevenly.
// With n above the threshold every pass (shared values, residuals,
// Jacobian) is split. The equation of variable at may be replaced by lines
// of one's own.
std::string ring(int n, const std::string& header, int at = -1, const std::string& lines = "")
{
    std::string text = "Header:\n" + header + "\nend\nModel [type = NL, eps = 1e-12" +
                       (isComplexBuild ? ", domain = cmplx]\nVars [conj = false]\n" : "]\nVars\n");
    auto x = [n](int i) { return "x" + std::to_string((i + n) % n); };
    for (int i = 0; i < n; ++i)
        text += x(i) + " = " + std::to_string(0.1 * (i % 7)) + "\n";
    text += "NLEs\n";
    for (int i = 0; i < n; ++i)
        text += i == at ? lines
                        : x(i) + " + 0.1 * sin(" + x(i - 1) + " - " + x(i) + ") + 0.1 * sin(" + x(i + 1) + " - " +
                              x(i) + ") = 1\n";
    return text + "end\n";
}

// The line of the equation of variable at in ring's text.
unsigned ringLine(int n, int at) { return unsigned(3 + 2 + n + 1 + at + 1); }

constexpr int ringSize = int(ProgramBatches::parallelThreshold) + 100;

struct Compiled
{
    test::Load load;
    NRSolver solver {&load.log, 50, 1e-12};
    bool ok = false;

    explicit Compiled(const std::string& text)
    {
        load.fromString(text);
        ok = load.ok && solver.init(&load.naming, load.model.get(), true);
    }
};

// The cores the test may run on (fewer than the machine's under taskset).
unsigned hardwareThreads()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    return sched_getaffinity(0, sizeof set, &set) == 0 ? std::max(unsigned(CPU_COUNT(&set)), 1u) : 1u;
}

bool sameBits(const std::vector<Value>& a, const std::vector<Value>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Value)) == 0;
}

TEST(Threads, SplitPassesGiveTheValuesAndSolutionOfOneThread)
{
    Compiled one(ring(ringSize, "threads = 1"));
    Compiled four(ring(ringSize, "threads = 4"));
    ASSERT_TRUE(one.ok) << one.load.log;
    ASSERT_TRUE(four.ok) << four.load.log;
    EXPECT_EQ(one.solver.getThreadCount(), 1u);
    EXPECT_EQ(one.solver._workers, nullptr);
    EXPECT_EQ(four.solver.getThreadCount(), std::min(4u, hardwareThreads()));
    ASSERT_EQ(four.solver._workers != nullptr, hardwareThreads() > 1);

    // At the start and at a point moved from it (sines of non-zero angles).
    for (int point = 0; point < 2; ++point)
    {
        for (NRSolver* s : {&one.solver, &four.solver})
            for (int i = 0; i < s->_nVars && point == 1; ++i)
                s->_x[i] += 0.01 * (i % 5);
        const test::Evaluation a = test::evaluate(one.solver);
        const test::Evaluation b = test::evaluate(four.solver);
        EXPECT_EQ(a.places, b.places);
        EXPECT_TRUE(sameBits(a.values, b.values)) << "point " << point;
        EXPECT_TRUE(test::batchedAgrees(four.solver)) << "point " << point;
    }

    // Solved twice: the second solve reuses the pool.
    for (int solve = 0; solve < 2; ++solve)
    {
        ASSERT_EQ(one.solver.solve(), sc::Solution::OK);
        ASSERT_EQ(four.solver.solve(), sc::Solution::OK);
        EXPECT_EQ(one.solver.getIterationsNo(), four.solver.getIterationsNo());
        const std::vector<Value> x1(one.solver._x, one.solver._x + ringSize);
        const std::vector<Value> x4(four.solver._x, four.solver._x + ringSize);
        EXPECT_TRUE(sameBits(x1, x4));
        for (const Value& v : x1)
            ASSERT_NEAR(std::abs(v - Value(1)), 0.0, 1e-10);
    }
}

// The instructions of every program the model runs, in order.
std::vector<unsigned> programSizes(const NRSolver& s)
{
    std::vector<unsigned> sizes;
    for (const EvaluatorVect* list : {&s._fx, &s._shared})
        for (std::size_t i = 0; i < list->size(); ++i)
            sizes.push_back((*list)[i]->getNoOfInstructions());
    const EvaluatorSparseMatrix& j = s.getJacobian();
    for (std::size_t i = 0; i < j.size(); ++i)
        sizes.push_back(j.program(i)->getNoOfInstructions());
    return sizes;
}

// With a conditional equation amid the batches: its Jacobian entries wait
// for the batches before it.
TEST(Threads, ProgramsWrittenBesideTheBuildAreThoseOfOneThread)
{
    const int at = ringSize / 2;
    const std::string x = "x" + std::to_string(at);
    const std::string conditional = "if " + x + " > 5\n" + x + " = 5\nelse\n" + x + " + 0.1 * sin(x" +
                                    std::to_string(at - 1) + " - " + x + ") = 1.1\nend\n";
    Compiled one(ring(ringSize, "threads = 1", at, conditional));
    Compiled two(ring(ringSize, "threads = 2", at, conditional));
    ASSERT_TRUE(one.ok) << one.load.log;
    ASSERT_TRUE(two.ok) << two.load.log;
    EXPECT_EQ(programSizes(one.solver), programSizes(two.solver));
    const test::Evaluation a = test::evaluate(one.solver);
    const test::Evaluation b = test::evaluate(two.solver);
    EXPECT_EQ(a.places, b.places);
    EXPECT_TRUE(sameBits(a.values, b.values));
    ASSERT_EQ(two.solver.solve(), sc::Solution::OK);
}

// An equation late in the model that cannot be differentiated fails while
// the batches before it are written on the second thread: the load fails
// with the messages of one thread, at the equation's line.
TEST(Threads, AnEquationFailingBesideTheWritingFailsTheLoadWithTheMessagesOfOneThread)
{
    const int at = ringSize - 10;
    const std::string x = "x" + std::to_string(at);
    const std::string equation = x + " + int(" + x + ") = 0.5\n";
    Compiled one(ring(ringSize, "threads = 1", at, equation));
    Compiled two(ring(ringSize, "threads = 2", at, equation));
    EXPECT_FALSE(one.ok);
    EXPECT_FALSE(two.ok);
    const auto& entries = two.load.log.entries;
    ASSERT_FALSE(entries.empty());
    EXPECT_NE(entries.front().text.find("CantDiff"), std::string::npos) << two.load.log;
    EXPECT_EQ(entries.front().line, ringLine(ringSize, at));
    ASSERT_EQ(one.load.log.entries.size(), entries.size()) << one.load.log << two.load.log;
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        EXPECT_EQ(one.load.log.entries[i].text, entries[i].text);
        EXPECT_EQ(one.load.log.entries[i].line, entries[i].line);
        EXPECT_EQ(one.load.log.entries[i].column, entries[i].column);
    }
}

// The count follows the setting after the model is read as well; a small
// model keeps no pool whatever the count.
TEST(Threads, CountSetAfterTheReadAndSmallModels)
{
    Compiled c(ring(ringSize, "maxIter = 50"));
    ASSERT_TRUE(c.ok) << c.load.log;
    EXPECT_EQ(c.solver.getThreadCount(), Solver::defaultThreads());
    c.solver.setMaxThreads(1);
    EXPECT_EQ(c.solver._workers, nullptr);
    c.solver.setMaxThreads(1000);
    EXPECT_EQ(c.solver.getThreadCount(), hardwareThreads());
    EXPECT_EQ(c.solver._workers != nullptr, hardwareThreads() > 1);
    EXPECT_EQ(c.solver.solve(), sc::Solution::OK);

    Compiled small(ring(50, "threads = 4"));
    ASSERT_TRUE(small.ok) << small.load.log;
    EXPECT_EQ(small.solver._workers, nullptr);
    EXPECT_EQ(small.solver.solve(), sc::Solution::OK);

    // A text's setting holds for that text: the next without one has the
    // host's count again.
    NRSolver s(nullptr, 50, 1e-12);
    s.setMaxThreads(2);
    test::Load withSetting, without;
    withSetting.fromString(ring(50, "threads = 1"));
    without.fromString(ring(50, ""));
    ASSERT_TRUE(s.init(&withSetting.naming, withSetting.model.get(), true));
    EXPECT_EQ(s.getThreadCount(), 1u);
    ASSERT_TRUE(s.init(&without.naming, without.model.get(), true));
    EXPECT_EQ(s.getThreadCount(), std::min(2u, hardwareThreads()));
}

// Every part runs once per task, on any number of threads, task after task,
// and after the workers have gone to sleep.
TEST(Threads, PoolRunsEveryPartOnce)
{
    for (unsigned n : {1u, 2u, 4u})
    {
        math::WorkerPool pool(n);
        EXPECT_EQ(pool.size(), n);
        std::vector<std::atomic<int>> runs(64);
        auto task = [](void* context, unsigned part) {
            (*static_cast<std::vector<std::atomic<int>>*>(context))[part].fetch_add(1);
        };
        for (int round = 0; round < 200; ++round)
        {
            if (round == 100)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            pool.run(task, &runs, unsigned(1 + round % 64));
        }
        for (unsigned p = 0; p < 64; ++p)
        {
            int expected = 0;
            for (int round = 0; round < 200; ++round)
                expected += p < unsigned(1 + round % 64);
            EXPECT_EQ(runs[p].load(), expected) << n << " threads, part " << p;
        }
    }
}

// A task runs behind its poster, one at a time, and hands its result (or
// what it threw) to the wait; the end of the task object waits for a task
// still running.
TEST(Threads, BackgroundTaskRunsBehindItsPoster)
{
    std::atomic<int> runs {0};
    {
        math::BackgroundTask task;
        EXPECT_TRUE(task.wait()); // nothing posted
        for (int k = 0; k < 100; ++k)
        {
            task.post([&runs, k] {
                ++runs;
                return k % 3 != 0;
            });
            EXPECT_TRUE(task.pending());
            EXPECT_EQ(task.wait(), k % 3 != 0);
            EXPECT_FALSE(task.pending());
        }
        task.post([]() -> bool { throw std::runtime_error("no memory"); });
        EXPECT_THROW(task.wait(), std::runtime_error);
        EXPECT_TRUE(task.wait());
        task.post([&runs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ++runs;
            return true;
        });
    }
    EXPECT_EQ(runs.load(), 101);
}
} // namespace
