// Load of a generated model text: half declarations, half equations; and
// load, compile and solve of a single line that sums many terms. The
// complexity fits over the sizes show both linear in the text.
#include <CompiledModel.h>
#include <benchmark/benchmark.h>
#include <cnt/SafeFullVector.h>
#include <sc/Naming.h>
#include <sc/SCLib.h>
#include <sc/TokenizedModel.h>
#include <string>
#include <td/Variant.h>
#include <GeneratedModel.h>
#include <Vocabulary.h>

namespace
{
td::String identity(const char* key) { return td::String(key); }

void BM_ModelLoad(benchmark::State& state)
{
    test::fillVocabulary();
    // the argument counts body lines: half declarations, half equations
    const std::string source = test::generatedModel(static_cast<int>(state.range(0)) / 2);
    const td::String text(source.c_str(), source.size());
    for (auto _ : state)
    {
        sc::Naming naming;
        cnt::SafeFullVector<td::Variant> header;
        sc::TokenizedModel model(nullptr, header, identity, naming, 0);
        if (!model.loadFromString(text))
            state.SkipWithError("the generated model did not load");
        benchmark::DoNotOptimize(model.getNumberOfExpressions(sc::Group::NLEs, sc::ModelLevel::Main));
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.length()));
}

BENCHMARK(BM_ModelLoad)->Arg(12500)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

// x*x/N summed N times is x^2 = 4: Newton from x = 1 takes a few steps.
void BM_SumLine(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::string term = "x*x/" + std::to_string(n);
    std::string text = "Header:\nend\nModel [type = NL]\nVars\nx = 1\nNLEs\n" + term;
    text.reserve(text.size() + (term.size() + 3) * static_cast<std::size_t>(n) + 16);
    for (int k = 1; k < n; ++k)
        text += " + " + term;
    text += " = 4\nend\n";
    for (auto _ : state)
    {
        test::Compiled c(text);
        if (!c.ok || c.solver.solve() != sc::Solution::OK)
            state.SkipWithError("the sum did not load, compile or solve");
        benchmark::DoNotOptimize(c.value("x"));
    }
    state.SetComplexityN(n);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_SumLine)
    ->RangeMultiplier(4)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
} // namespace

BENCHMARK_MAIN();
