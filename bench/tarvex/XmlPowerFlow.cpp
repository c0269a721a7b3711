// The AC power-flow grids of bench_PowerFlow written as XML: load and
// compile from a file and from text through the exported solver, to set
// beside the model text's load and compile (bench_PowerFlow's
// BM_LoadAndCompile). Each run also solves once from the flat start and
// reports the largest difference to the stored solution.
#include "GridCase.h"
#include "XmlFromModelText.h"
#include <benchmark/benchmark.h>
#include <sc/SolverFactory.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace
{
const char* const s_cases[] = {"case118", "case2869pegase", "case9241pegase"};

// The XML form of a case, as text and as a file beside the other
// temporary files; made once per case.
struct XmlCase
{
    std::string text;
    std::string path;

    explicit XmlCase(int c)
        : text(bench::xmlFromModelText(bench::casePath("powerflow", s_cases[c], "model.txt")))
        , path((std::filesystem::temp_directory_path() / (std::string("bench_") + s_cases[c] + ".xml")).string())
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    ~XmlCase() { std::filesystem::remove(path); }
};

const XmlCase& xmlCase(int c)
{
    static std::map<int, XmlCase> cases;
    return cases.try_emplace(c, c).first->second;
}

// range(0): the case; range(1): 0 from a file, 1 from text.
void BM_XmlLoadAndCompile(benchmark::State& state)
{
    const int c = int(state.range(0));
    const XmlCase& xml = xmlCase(c);
    if (xml.text.empty())
        return state.SkipWithError("model not found");
    const auto source = state.range(1) == 0 ? sc::SourceType::File : sc::SourceType::Memory;
    const td::String model(source == sc::SourceType::File ? xml.path.c_str() : xml.text.c_str());
    sc::ISolver<double>* pSolver = nullptr;
    for (auto _ : state)
    {
        if (pSolver)
            pSolver->release();
        pSolver = sc::createDblNRSolver(nullptr, 50);
        if (!pSolver->init(model, source))
        {
            const td::String errors = pSolver->getLastErrorStr();
            pSolver->release();
            return state.SkipWithError(errors.c_str());
        }
    }
    if (!pSolver)
        return;
    if (pSolver->solve() == sc::Solution::OK)
    {
        state.counters["iterations"] = pSolver->getIterationsNo();
        state.counters["error_vs_solution"] =
            bench::errorAgainstSolution(*pSolver, bench::casePath("powerflow", s_cases[c], "solution.txt"));
    }
    pSolver->release();
}
} // namespace

BENCHMARK(BM_XmlLoadAndCompile)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"case", "text"})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
