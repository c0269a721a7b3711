// Model texts through the model objects, as a host uses them: the factories
// make a real and a complex Newton-Raphson model, each loads the input from
// a string and from a file with the settings that the text states, solves
// it when the text asks for a short run, and answers every accessor within
// its counts. A second load on the same object replaces the first.
#include <Check.h>
#include <CollectingLog.h>
#include <MemoryFile.h>
#include <cnt/SafeFullVector.h>
#include <sc/ModelFactory.h>
#include <sc/ModelLevel.h>
#include <sc/Naming.h>
#include <sc/TokenizedModel.h>
#include <td/Variant.h>

#include <complex>
#include <cstdint>
#include <cstring>
#include <string>

namespace
{
// The factory's limit, and the largest limit that the text may state for
// the model to be solved: limit groups may start as many passes as the
// limit allows, each of as many iterations.
constexpr unsigned iterationBudget = 16;
// The repetitions that the header may allow for the model to be solved; it
// holds for the sub-model too. Without it the default limit allows
// thousands: bounded, yet too long a run for one input.
constexpr int repetitionBudget = 2;

// The largest maxIter a model line of the level states, 0 for none.
double modelLineLimit(const sc::TokenizedModel& m, sc::ModelLevel level)
{
    const sc::TokenizedModel::Lines& lines = m.getLines(level);
    if (lines.size() == 0)
        return 0;
    const sc::_tl& first = lines[0];
    double limit = 0;
    for (std::uint32_t i = 0; i < first.nAttribs; ++i)
    {
        const sc::_TokV& tok = m.getAttribTokens()[first.firstAttrib + i];
        double value = 0;
        // a NaN limit counts as too large
        if (tok.attribID == std::uint8_t(sc::AttribID::maxIter) && tok.getValue(value) && !(value <= limit))
            limit = value;
    }
    return limit;
}

td::String keepKey(const char* key) { return td::String(key); }

bool fewRepetitions(const sc::TokenizedModel& m)
{
    int reps = -1;
    return m.isHeaderParamStated(sc::HeaderParam::maxReps) &&
           m.getHeaderParamValue(sc::HeaderParam::maxReps, reps) == 1 && reps >= 0 && reps <= repetitionBudget;
}

// The text asks for no more iterations than the budget, and when it repeats
// itself, for no more repetitions. Read once the factories have filled the
// vocabulary.
bool shortRun(const std::string& text)
{
    sc::Naming naming;
    cnt::SafeFullVector<td::Variant> header;
    sc::TokenizedModel m(nullptr, header, keepKey, naming, 0);
    m.loadFromString(td::String(text.data(), text.size()));
    int headerLimit = 0;
    if (m.isHeaderParamStated(sc::HeaderParam::maxIter) &&
        (m.getHeaderParamValue(sc::HeaderParam::maxIter, headerLimit) != 1 || headerLimit > int(iterationBudget)))
        return false;
    for (sc::ModelLevel level : {sc::ModelLevel::Main, sc::ModelLevel::SubModel})
    {
        const double limit = modelLineLimit(m, level);
        if (!(limit <= iterationBudget) ||
            (m.getNumberOfExpressions(sc::Group::Repeats, level) > 0 && !fewRepetitions(m)))
            return false;
    }
    return true;
}

// A string's lines end at a carriage return too, a file's only at a line
// feed: the file gets a line feed for every carriage return that ends a line.
std::string withFileLineEnds(std::string text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            text[i] = '\n';
    return text;
}

cnt::SafeFullVector<unsigned> sequence(std::size_t n)
{
    cnt::SafeFullVector<unsigned> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = unsigned(i);
    return v;
}

// Every accessor of a loaded (or failed) model, each answer checked against
// the counts.
template <typename T, typename X>
void readEverything(sc::IModel<T, X>& model)
{
    using Values = cnt::SafeFullVector<T>;
    const std::size_t nVars = model.getNumberOfVariables();
    const std::size_t nParams = model.getNumberOfParameters();

    const auto varNames = model.getVariableNames();
    FUZZ_CHECK(varNames.size() == nVars);
    for (std::size_t i = 0; i < nVars; ++i)
        FUZZ_CHECK(varNames[i].length() == 0 || model.getVariableIndex(varNames[i]) == long(i));
    const auto paramNames = model.getParameterNames();
    FUZZ_CHECK(paramNames.size() == nParams);
    for (std::size_t i = 0; i < nParams; ++i)
        FUZZ_CHECK(paramNames[i].length() == 0 || model.getParameterIndex(paramNames[i]) == long(i));
    FUZZ_CHECK(model.getVariableIndex(td::String()) == -1 && model.getParameterIndex(td::String()) == -1);

    Values vars, params;
    model.getVariableValues(vars);
    model.getParameterValues(params);
    FUZZ_CHECK(vars.size() == nVars && params.size() == nParams);

    const auto outIndices = model.getOutputSymbolIndices();
    for (unsigned index : outIndices)
        FUZZ_CHECK(index < nVars + nParams);
    const auto outNames = model.getOutputSymbolNames(outIndices);
    FUZZ_CHECK(outNames.size() == outIndices.size() || outNames.size() == 0);
    Values outValues;
    FUZZ_CHECK(model.getOutputSymbolValues(outIndices, outValues));
    FUZZ_CHECK(outValues.size() == outIndices.size());

    // Every parameter and one past them: the last is refused, the rest read.
    const auto indices = sequence(nParams + 1);
    Values some;
    FUZZ_CHECK(!model.getParameterValues(indices, some));
    FUZZ_CHECK(some.size() == nParams + 1);

    FUZZ_CHECK(model.setVariableValues(vars));
    FUZZ_CHECK(model.setParameterValues(sequence(nParams), params));
}

template <typename T>
void loadAndSolve(sc::IModel<T, sc::IStatic>* pModel, const std::string& text, const std::string& path, bool solve)
{
    const td::String source(text.data(), text.size());
    const bool fromString = pModel->initFromString(source);
    const std::size_t nVars = pModel->getNumberOfVariables();
    readEverything(*pModel);
    if (fromString && solve)
    {
        pModel->getSolverInterface()->solve();
        readEverything(*pModel);
    }
    // the file road reads the same lines into a fresh solver
    const bool fromFile = pModel->initFromFile(td::String(path.c_str()));
    FUZZ_CHECK(fromFile == fromString);
    FUZZ_CHECK(!fromFile || pModel->getNumberOfVariables() == nVars);
    readEverything(*pModel);
    if (fromFile && solve)
        pModel->getSolverInterface()->solve();
    pModel->release();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    fuzz::MemoryFile file("modelobject");
    const std::string fileText = withFileLineEnds(text);
    file.write(fileText.data(), fileText.size());
    test::CollectingLog log;
    auto* pReal = sc::createRealStaticModel(sc::IStatic::Problem::NLE, &log, iterationBudget);
    auto* pCmplx = sc::createCmplxStaticModel(sc::IStatic::Problem::NLE, &log, iterationBudget);
    FUZZ_CHECK(pReal && pCmplx);
    const bool solve = shortRun(text);
    loadAndSolve(pReal, text, file.path(), solve);
    loadAndSolve(pCmplx, text, file.path(), solve);
    return 0;
}
