// DOM parse of a generated XML model (variables, then many Eq elements with
// fx attributes) from memory and from a file. The argument is the document
// size in MB; the complexity fit shows that the parse is linear in the size.
// The smallest documents, whose text and tree stay in the caches, read
// faster per byte than the others.
#include <benchmark/benchmark.h>
#include <td/BufferString.h>
#include <xml/DOMParser.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace
{
using FileParser = xml::DOMParser<td::BufferString<char, 4096, 0>, 1023, false>;
using MemoryParser = xml::DOMParser<td::BufferString<char, 0, 0>, 255, true>;

// A model of about mb megabytes: a tenth of the lines declare variables, the
// rest are equations over them.
std::string generatedModel(long mb)
{
    const size_t size = static_cast<size_t>(mb) << 20;
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<Model type=\"NR\" domain=\"real\" desc=\"generated\">\n\t<Vars>\n";
    const int nVars = static_cast<int>(size / 600);
    for (int i = 0; i < nVars; ++i)
        text += "\t\t<Var name=\"x" + std::to_string(i) + "\" val=\"1.25\"/>\n";
    text += "\t</Vars>\n\t<NLEqs>\n";
    for (int i = 0; text.size() < size; ++i)
    {
        const std::string a = "x" + std::to_string(i % nVars), b = "x" + std::to_string((i + 1) % nVars);
        text += "\t\t<Eq fx=\"" + a + "^2 + 2*" + b + " - sin(" + a + ") &lt; 3\" w=\"1\"/>\n";
    }
    return text + "\t</NLEqs>\n</Model>\n";
}

const std::string& model(long mb)
{
    static std::map<long, std::string> models;
    auto it = models.find(mb);
    if (it == models.end())
        it = models.emplace(mb, generatedModel(mb)).first;
    return it->second;
}

// The model written once to a file that goes with the process.
const std::string& modelFile(long mb)
{
    struct Files
    {
        std::map<long, std::string> paths;
        ~Files()
        {
            for (auto& [size, path] : paths)
                std::filesystem::remove(path);
        }
    };
    static Files files;
    auto it = files.paths.find(mb);
    if (it == files.paths.end())
    {
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("bench_xml_" + std::to_string(getpid()) + "_" + std::to_string(mb) + ".xml"))
                                     .string();
        std::ofstream(path, std::ios::binary) << model(mb);
        it = files.paths.emplace(mb, path).first;
    }
    return it->second;
}

void BM_XmlParseMemory(benchmark::State& state)
{
    const std::string& text = model(state.range(0));
    for (auto _ : state)
    {
        MemoryParser parser;
        if (!parser.parseMemory(text.c_str(), nullptr, true))
            state.SkipWithError("the generated model did not parse");
        benchmark::DoNotOptimize(parser.getRootNode());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_XmlParseFile(benchmark::State& state)
{
    const td::String path(modelFile(state.range(0)).c_str());
    const size_t size = model(state.range(0)).size();
    for (auto _ : state)
    {
        FileParser parser;
        if (!parser.parseFile(path))
            state.SkipWithError("the generated model did not parse");
        benchmark::DoNotOptimize(parser.getRootNode());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

BENCHMARK(BM_XmlParseMemory)->Arg(12)->Arg(25)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_XmlParseFile)->Arg(12)->Arg(25)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->Complexity();
} // namespace

BENCHMARK_MAIN();
