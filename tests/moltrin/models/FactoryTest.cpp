// What the factories refuse: problem kinds without a solver and iteration
// limits that the solvers cannot hold.
#include <ModelSupport.h>
#include <gtest/gtest.h>

#include <functional>

namespace test
{
namespace
{
using Type = sc::ILog::Type;

// Whether the factory made a model; the model is released at once.
using Factory = std::function<bool(sc::ILog*)>;

template <typename M>
bool made(M* pModel)
{
    if (pModel)
        pModel->release();
    return pModel != nullptr;
}

TEST(Factories, RefuseUnknownProblems)
{
    struct Case
    {
        Factory create;
        const char* error;
    };
    const auto unknownStatic = static_cast<sc::IStatic::Problem>(5);
    const auto unknownDynamic = static_cast<sc::IDynamic::Problem>(2);
    // Every kind has its solver: only a problem outside the enumerations is refused.
    const Case cases[] = {
        {[&](sc::ILog* pLog) { return made(sc::createRealStaticModel(unknownStatic, pLog, 10)); },
         "Unknown problem type!"},
        {[&](sc::ILog* pLog) { return made(sc::createCmplxStaticModel(unknownStatic, pLog, 10)); },
         "Unknown problem type!"},
        {[&](sc::ILog* pLog) { return made(sc::createRealDynamicModel(unknownDynamic, pLog, 10)); },
         "Unknown problem type!"},
    };
    for (const Case& c : cases)
    {
        CollectingLog log;
        EXPECT_FALSE(c.create(&log));
        EXPECT_EQ(log.texts(Type::Error), std::vector<std::string> {c.error});
        EXPECT_FALSE(c.create(nullptr));
    }
}

TEST(Factories, IterationLimitFitsSixteenBits)
{
    for (unsigned limit : {0u, 1u, 65535u})
    {
        CollectingLog log;
        EXPECT_TRUE(made(sc::createRealStaticModel(sc::IStatic::Problem::NLE, &log, limit))) << limit;
        EXPECT_TRUE(made(sc::createCmplxStaticModel(sc::IStatic::Problem::NLE, nullptr, limit))) << limit;
        EXPECT_TRUE(log.entries.empty()) << log;
    }
    for (unsigned limit : {65536u, 4294967295u})
    {
        CollectingLog log;
        EXPECT_FALSE(made(sc::createRealStaticModel(sc::IStatic::Problem::NLE, &log, limit))) << limit;
        EXPECT_EQ(log.texts(Type::Error),
                  std::vector<std::string> {"Too large value for maxIter! The largest is 65535."});
        EXPECT_FALSE(made(sc::createCmplxStaticModel(sc::IStatic::Problem::NLE, nullptr, limit))) << limit;
    }
}
} // namespace
} // namespace test
