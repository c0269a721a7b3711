// Model texts with plot sections, read as a host that draws plots reads
// them: the full vocabulary, the model compiled by the real and the complex
// Newton-Raphson solver, its plots bound to that solver, solved once and
// recorded, and the figures checked against what was recorded.
#include <LoaderSupport.h>
#include <PlotAndSolve.h>
#include <Vocabulary.h>
#include <sc/ModelLevel.h>
#include <sc/TokenizedModel.h>

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::fillVocabulary(test::Words::Full);
    const std::string text(reinterpret_cast<const char*>(data), size);
    test::Load load;
    load.fromString(text);
    if (!load.ok)
        return 0;
    // As the model objects do: a complex model is refused by a real solver.
    if (!load.model->getModelInfo(sc::ModelLevel::Main).complex)
        slDbl::compilePlotAndSolve(load.naming, *load.model);
    slCmplx::compilePlotAndSolve(load.naming, *load.model);
    return 0;
}
