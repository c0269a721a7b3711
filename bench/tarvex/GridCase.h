#pragma once
// What the benchmarks of the workplace's grids share: the files of a case,
// its stored solution, and its model loaded and compiled into a solver, kept
// across the benchmarks of one case.
#include <Vocabulary.h>
#include <sc/Naming.h>
#include <sc/TokenizedModel.h>
#include <td/Variant.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace bench
{
// workload: "powerflow" or "stateestimation".
inline std::string casePath(const char* workload, const char* caseName, const char* file)
{
    return std::string(BENCH_DATA_DIR) + "/" + workload + "/" + caseName + "/" + file;
}

// The lines "name value" of a stored solution; '#' starts a comment line.
inline std::vector<std::pair<std::string, double>> readSolution(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::pair<std::string, double>> values;
    std::string line;
    while (std::getline(in, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string name;
        double value = 0;
        words >> name >> value;
        values.emplace_back(std::move(name), value);
    }
    return values;
}

// The largest difference of the solver's variables from a stored solution;
// infinite when the solution names an unknown variable or is empty.
template <class Solver>
double errorAgainstSolution(Solver& solver, const std::string& path)
{
    const auto values = readSolution(path);
    double largest = values.empty() ? INFINITY : 0.0;
    for (const auto& [name, value] : values)
    {
        double got = 0;
        if (!solver.getVariableValue(name.c_str(), got))
            return INFINITY;
        largest = std::max(largest, std::fabs(got - value));
    }
    return largest;
}

// A model text loaded and compiled into a solver built as Solver(nullptr,
// maxIterations, eps).
template <class Solver>
struct LoadedCase
{
    sc::Naming naming;
    cnt::SafeFullVector<td::Variant> header;
    std::unique_ptr<sc::TokenizedModel> model;
    Solver solver {nullptr, 50, 1e-8};
    std::vector<double> start;
    bool ok = false;

    explicit LoadedCase(const std::string& modelPath)
    {
        test::fillVocabulary();
        model = std::make_unique<sc::TokenizedModel>(nullptr, header, identity, naming, 0);
        ok = model->loadFromFile(td::String(modelPath.c_str())) && solver.init(&naming, model.get(), true);
        if (ok)
            start.assign(solver.getVariablesPtr(), solver.getVariablesPtr() + solver.getNumberVariables());
    }

    void restart() { std::copy(start.begin(), start.end(), solver.getVariablesPtr()); }

    // The variables set to a stored solution.
    bool moveTo(const std::string& solutionPath)
    {
        const auto values = readSolution(solutionPath);
        return !values.empty() && std::all_of(values.begin(), values.end(), [this](const auto& v) {
            return solver.setVariableValue(v.first.c_str(), v.second);
        });
    }

    static td::String identity(const char* key) { return td::String(key); }
};
} // namespace bench
