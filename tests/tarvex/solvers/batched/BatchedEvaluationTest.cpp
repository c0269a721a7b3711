// Every model text of the examples, the test fixtures and the model fuzz
// seeds, compiled by the solver of its type: the batched evaluation of its
// shared values, residuals and Jacobian agrees with the per-token machine.
#include <BatchedVsPerToken.h>
#include <LoaderSupport.h>
#include <expr/CU.h>
#include <gtest/gtest.h>
#include <solvers/DAESolver.h>
#include <solvers/ODESolver.h>
#include <solvers/WLSSolver.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace
{
using namespace SL_NS;
namespace fs = std::filesystem;

const fs::path root = fs::path(TEST_DATA_DIR) / "../../../../..";

std::string readText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream os;
    os << in.rdbuf();
    return os.str();
}

std::unique_ptr<Solver> solverFor(const sc::TokenizedModel& model, sc::ILog* pLog)
{
    switch (model.getModelInfo(sc::ModelLevel::Main).type)
    {
    case 1: return std::make_unique<WLSSolver>(pLog, 100, 1e-6);
    case 2: return std::make_unique<ODESolver>(pLog);
    case 3: return std::make_unique<DAESolver>(pLog, 100, 1e-6);
    default: return std::make_unique<NRSolver>(pLog, 100, 1e-6);
    }
}

struct Compiled
{
    test::Load load;
    std::unique_ptr<Solver> solver;
    bool ok = false;

    explicit Compiled(const std::string& text)
    {
        load.fromString(text);
        if (!load.ok)
            return;
        solver = solverFor(*load.model, &load.log);
        ok = solver->init(&load.naming, load.model.get(), true);
    }
};

std::vector<fs::path> modelTexts()
{
    std::vector<fs::path> paths;
    for (const char* dir : {"examples/models", "tests", "fuzz/model/corpus"})
        for (const auto& e : fs::recursive_directory_iterator(root / dir))
            if (e.is_regular_file() && e.path().filename() != "CMakeLists.txt" &&
                (e.path().extension() == ".txt" || e.path().extension().empty()))
                paths.push_back(e.path());
    return paths;
}

TEST(BatchedEvaluation, AgreesWithPerTokenMachineOnEveryModelText)
{
    int compiled = 0;
    for (const fs::path& p : modelTexts())
    {
        Compiled c(readText(p));
        if (!c.ok)
            continue;
        ++compiled;
        EXPECT_TRUE(test::batchedAgrees(*c.solver)) << p;
        for (sc::ISolver<Value>* pSub : c.solver->_subModels)
        {
            auto* pSolver = dynamic_cast<Solver*>(pSub);
            EXPECT_TRUE(pSolver && test::batchedAgrees(*pSolver)) << p << " (sub-model)";
        }
    }
    EXPECT_GE(compiled, 10);
}

Compiled ring()
{
    std::string text = readText(fs::path(TEST_DATA_DIR) / "shapes.txt");
    if (isComplexBuild)
    {
        text.replace(text.find("type = NL"), 9, "type = NL, domain = cmplx");
        text.replace(text.find("Vars"), 4, "Vars [conj = false]");
    }
    return Compiled(text);
}

// The factorisation takes the values at places of its own: remapped
// destinations receive the same values.
TEST(BatchedEvaluation, RemappedDestinationsReceiveTheSameValues)
{
    Compiled c = ring();
    ASSERT_TRUE(c.ok);
    Solver& s = *c.solver;
    const std::size_t n = s._fx.size();
    std::vector<Value> expected(n);
    s.evaluateShared();
    s.setBatchedEvaluation(false);
    s._fx.evaluate(expected.data(), 1.0);

    std::vector<std::uint32_t> dests(n), reversed(n);
    for (std::uint32_t k = 0; k < n; ++k)
    {
        dests[k] = k;
        reversed[k] = std::uint32_t(n - 1 - k);
    }
    BatchedPrograms batches;
    batches.build(s._fx.evaluators(), dests, false);
    batches.remapDestinations(reversed);
    std::vector<Value> got(n);
    CU cu(&s);
    batches.evaluate(cu, got.data());
    for (std::size_t k = 0; k < n; ++k)
        EXPECT_TRUE(test::agree(got[n - 1 - k], expected[k])) << k;
}

// The fixture's programs do run in batches (the comparison above would pass
// trivially if nothing were batched), and they solve.
TEST(BatchedEvaluation, RingOfOneShapeRunsInBatches)
{
    Compiled c = ring();
    ASSERT_TRUE(c.ok) << (c.load.log.entries.empty() ? "" : c.load.log.entries.back().text);
    auto& nr = dynamic_cast<NRSolver&>(*c.solver);
    EXPECT_EQ(nr._fx.batchedSize(), 8u);
    EXPECT_GE(nr.getJacobian().batchedSize(), 16u);
    EXPECT_TRUE(test::batchedAgrees(nr));
    EXPECT_EQ(nr.solve(), sc::Solution::OK);
}
} // namespace
