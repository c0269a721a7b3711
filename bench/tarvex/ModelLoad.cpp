// Load of a generated model text: half declarations, half equations. The
// complexity fit over the sizes shows that the load is linear in the text.
#include <benchmark/benchmark.h>
#include <cnt/SafeFullVector.h>
#include <sc/Naming.h>
#include <sc/SCLib.h>
#include <sc/TokenizedModel.h>
#include <string>
#include <td/Variant.h>
#include <Vocabulary.h>

namespace
{
td::String identity(const char* key) { return td::String(key); }

// A model of nLines body lines: nLines / 2 variables and as many equations.
td::String generateModel(int nLines)
{
    const int n = nLines / 2;
    std::string text = "Header:\n  maxIter = 50\nend\nModel [type = NL, eps = 1e-6]\nVars\n";
    for (int i = 0; i < n; ++i)
        text += "x" + std::to_string(i) + " = 1\n";
    text += "NLEs\n";
    for (int i = 0; i < n; ++i)
        text += "x" + std::to_string(i) + "^2 - 2 * x" + std::to_string((i + 1) % n) + " + sin(x0) = 1 [w = 1]\n";
    text += "end\n";
    return td::String(text.c_str(), text.size());
}

void BM_ModelLoad(benchmark::State& state)
{
    test::fillVocabulary();
    const td::String text = generateModel(static_cast<int>(state.range(0)));
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
