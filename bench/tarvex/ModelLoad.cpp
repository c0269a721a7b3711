// Load of a generated model text: half declarations, half equations. The
// complexity fit over the sizes shows that the load is linear in the text.
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
} // namespace

BENCHMARK_MAIN();
