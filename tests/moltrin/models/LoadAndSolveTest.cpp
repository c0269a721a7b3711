// Loading model texts into model objects and solving them through the
// static side; closed-form answers.
#include <ModelSupport.h>
#include <gtest/gtest.h>

#include <cmath>

namespace test
{
namespace
{
using S = sc::Solution;
using Type = sc::ILog::Type;

const char* const unsolvable = "Header:\nend\nModel [type = NL]\nVars\nx = 1\ny = 1\nNLEs\nx + y = 2\nend\n";

TEST(LoadAndSolve, CircleFromTheTextAndThenWithAnotherRadius)
{
    CollectingLog log;
    auto model = realModel(&log);
    ASSERT_TRUE(model);
    ASSERT_TRUE(model->initFromString(text(circle()))) << log;
    EXPECT_EQ(model->getSolverInterface()->solve(), S::OK);
    cnt::SafeFullVector<double> xy;
    model->getVariableValues(xy);
    ASSERT_EQ(xy.size(), 2u);
    // The solver stops once the residual is below 1e-6.
    EXPECT_NEAR(xy[0], 4, 1e-6);
    EXPECT_NEAR(xy[1], 3, 1e-6);

    // From there with r = 29: x - y = 1 and x^2 + y^2 = 841 give (21, 20).
    ASSERT_TRUE(model->setParameterValues(vec<unsigned>({0}), vec<double>({29})));
    EXPECT_EQ(model->getSolverInterface()->solve(), S::OK);
    model->getVariableValues(xy);
    EXPECT_NEAR(xy[0], 21, 1e-6);
    EXPECT_NEAR(xy[1], 20, 1e-6);
    EXPECT_TRUE(log.entries.empty()) << log;
}

TEST(LoadAndSolve, FromAFile)
{
    CollectingLog log;
    auto model = realModel(&log);
    ASSERT_TRUE(model->initFromFile(text(TEST_DATA_DIR "/circle.txt"))) << log;
    EXPECT_EQ(model->getSolverInterface()->solve(), S::OK);
    cnt::SafeFullVector<double> xy;
    model->getVariableValues(xy);
    EXPECT_NEAR(xy[0], 4, 1e-6);
    EXPECT_NEAR(xy[1], 3, 1e-6);

    EXPECT_FALSE(model->initFromFile(text(TEST_DATA_DIR "/missing.txt")));
    EXPECT_EQ(log.texts(Type::Error),
              std::vector<std::string> {"Cannot open model file " TEST_DATA_DIR "/missing.txt!"});
    EXPECT_EQ(model->getNumberOfVariables(), 0u);
}

TEST(LoadAndSolve, ComplexRoots)
{
    // z^2 + 4 = 0 from 1 + i converges to 2i.
    CollectingLog log;
    auto model = cmplxModel(&log);
    ASSERT_TRUE(model->initFromString(text("Header:\nend\nModel [type = NL, domain = cmplx]\nVars [conj = false]\n"
                                           "z = 1 + 1i\nNLEs\nz*z + 4 = 0\nend\n")))
        << log;
    EXPECT_EQ(model->getSolverInterface()->solve(), S::OK);
    cnt::SafeFullVector<std::complex<double>> z;
    model->getVariableValues(z);
    ASSERT_EQ(z.size(), 1u);
    EXPECT_NEAR(z[0].real(), 0, 1e-6);
    EXPECT_NEAR(z[0].imag(), 2, 1e-6);
}

TEST(LoadAndSolve, ModelsThatCannotBeLoaded)
{
    struct Case
    {
        const char* model;
        const char* error;
    };
    const Case cases[] = {
        {"Header:\nend\nModel\nVars\nx = 1\nNLEs\nx = 2\nend\n", "MS.UndefindeModelType"},
        {"Header:\nend\nModel [type = NL, domain = cmplx]\nVars [conj = false]\nz = 1\nNLEs\nz = 2i\nend\n",
         "Cannot use complex domain model with real domain solver!"},
        // The text reads well, but two variables meet one equation.
        {unsolvable, "Cannot init the solver!"},
        {"Header:\nmaxIter = 65536\nend\nModel [type = NL]\nVars\nx = 1\nNLEs\nx = 2\nend\n",
         "Too large value for maxIter! The largest is 65535."},
    };
    for (const Case& c : cases)
    {
        CollectingLog log;
        auto model = realModel(&log);
        EXPECT_FALSE(model->initFromString(text(c.model))) << c.model;
        EXPECT_TRUE(logged(log, c.error, Type::Error)) << c.model << log;
    }
}

TEST(LoadAndSolve, IterationLimitFromTheHeaderThenTheModelLineThenTheFactory)
{
    // x^2 = 2 from 1 needs four Newton steps: a limit of 3 stops it.
    struct Case
    {
        const char* header;
        const char* modelAttribs;
        unsigned factoryLimit;
        S status;
    };
    const Case cases[] = {
        // no limit in the text: the factory's, not the header's default
        {"", "", 3, S::MaximumIteration},
        {"", "", 4, S::OK},
        // the Model line's over the factory's
        {"", ", maxIter = 3", 100, S::MaximumIteration},
        {"", ", maxIter = 4", 3, S::OK},
        // the header's over both
        {"maxIter = 3", ", maxIter = 100", 100, S::MaximumIteration},
        {"maxIter = 4", ", maxIter = 3", 3, S::OK},
        {"maxIter = 65535", "", 3, S::OK},
        // too small: the limit stays
        {"maxIter = 1", "", 3, S::MaximumIteration},
        {"maxIter = 1", ", maxIter = 4", 3, S::OK},
    };
    for (const Case& c : cases)
    {
        CollectingLog log;
        auto model = realModel(&log, c.factoryLimit);
        ASSERT_TRUE(model->initFromString(text(squareRootOfTwo(c.header, c.modelAttribs)))) << c.header << log;
        EXPECT_EQ(model->getSolverInterface()->solve(), c.status)
            << c.header << " " << c.modelAttribs << " " << c.factoryLimit;
    }
    CollectingLog log;
    auto model = realModel(&log, 3);
    ASSERT_TRUE(model->initFromString(text(squareRootOfTwo("maxIter = 1"))));
    EXPECT_EQ(log.texts(Type::Warning),
              std::vector<std::string> {"Too small value for maxIter! Using default value for maxIter!"});
    // A load after one whose header gave a limit starts from the factory's again.
    ASSERT_TRUE(model->initFromString(text(squareRootOfTwo("maxIter = 4"))));
    EXPECT_EQ(model->getSolverInterface()->solve(), S::OK);
    ASSERT_TRUE(model->initFromString(text(squareRootOfTwo())));
    EXPECT_EQ(model->getSolverInterface()->solve(), S::MaximumIteration);
}

TEST(LoadAndSolve, RepetitionLimitFromTheHeader)
{
    // The Repeats group always asks again; PostProc counts the solves: the
    // first and one per repetition that maxReps allows. Without maxReps, or
    // with a negative one, the default of 10000 repetitions ends them with a
    // warning. One object loads the texts in turn: a limit ends with its text.
    struct Case
    {
        const char* header;
        double solves;
        std::vector<std::string> warnings;
    };
    const std::vector<std::string> capped {"@SC.RepetitionLimit"};
    const Case cases[] = {
        {"maxReps = 3", 4, {}}, {"", 10001, capped}, {"maxReps = 0", 1, {}}, {"maxReps = -1", 10001, capped}};
    CollectingLog log;
    auto model = realModel(&log);
    cnt::SafeFullVector<double> solves;
    for (const Case& c : cases)
    {
        log.clean();
        ASSERT_TRUE(model->initFromString(text(std::string("Header:\n") + c.header +
                                               "\nend\nModel [type = NL]\nVars\n  x = 1\nParams\n  n = 0\n"
                                               "NLEs\n  x = 2\nPostProc\n  n += 1\nRepeats\n  repeat\nend\n")))
            << log;
        EXPECT_EQ(model->getSolverInterface()->solve(), S::OK) << c.header;
        model->getParameterValues(solves);
        EXPECT_EQ(items(solves), std::vector<double> {c.solves}) << c.header;
        EXPECT_EQ(log.texts(Type::Warning), c.warnings) << c.header;
        EXPECT_EQ(log.texts(Type::Error), std::vector<std::string> {}) << c.header;
    }
}

TEST(LoadAndSolve, WithoutAnyLimitTheDefaultIs200)
{
    // Newton on x^3 = 0 from 1 steps to 2/3 and 4/9 and 8/27; from then on the
    // norm falls less than tenfold per step, so the steps are halved:
    // x_n = (8/27)(5/6)^(n-3). x_n^3 first drops below 1e-36 at n = 148
    // (9.2e-37; 1.4e-36 at n = 147): within 200 steps, beyond 100.
    const std::string cube = "Header:\nend\nModel [type = NL, eps = 1e-36]\nVars\nx = 1\nNLEs\nx^3 = 0\nend\n";
    for (unsigned factoryLimit : {0u, 100u, 147u, 148u})
    {
        CollectingLog log;
        auto model = realModel(&log, factoryLimit);
        ASSERT_TRUE(model->initFromString(text(cube))) << log;
        const bool enough = factoryLimit == 0 || factoryLimit >= 148;
        EXPECT_EQ(model->getSolverInterface()->solve(), enough ? S::OK : S::MaximumIteration) << factoryLimit;
    }
}

TEST(LoadAndSolve, EveryLoadReplacesTheModelBefore)
{
    CollectingLog log;
    auto model = realModel(&log);
    cnt::SafeFullVector<double> values;
    const auto solvedTo = [&](double expected) {
        if (model->getSolverInterface()->solve() != S::OK)
            return false;
        model->getVariableValues(values);
        return std::fabs(values[0] - expected) < 1e-6;
    };

    ASSERT_TRUE(model->initFromString(text(circle())));
    EXPECT_TRUE(solvedTo(4));
    // a^3 = 8 from 1 has the one real root 2.
    ASSERT_TRUE(model->initFromString(text("Header:\nend\nModel [type = NL]\nVars\na = 1\nNLEs\na^3 = 8\nend\n")));
    EXPECT_EQ(model->getNumberOfVariables(), 1u);
    EXPECT_EQ(model->getNumberOfParameters(), 0u);
    EXPECT_EQ(model->getVariableIndex(text("x")), -1);
    EXPECT_TRUE(solvedTo(2));
    ASSERT_TRUE(model->initFromString(text(circle())));
    EXPECT_TRUE(solvedTo(4));

    // A failed load leaves no model behind, whether the text or the solver
    // refused it; the next load works.
    for (const char* bad : {"Model [type = NL]\nVars\nx = 1\nNLEs\nx = \nend\n", unsolvable})
    {
        EXPECT_FALSE(model->initFromString(text(bad))) << bad;
        EXPECT_EQ(model->getNumberOfVariables(), 0u) << bad;
        EXPECT_EQ(model->getSolverInterface()->solve(), S::SolutionError) << bad;
        ASSERT_TRUE(model->initFromString(text(circle()))) << log;
        EXPECT_TRUE(solvedTo(4));
    }
}
} // namespace
} // namespace test
