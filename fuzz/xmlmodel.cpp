// Models written as XML through the exported solvers: the real and the
// complex Newton-Raphson, least-squares and time solvers read the input
// from text and from a file.
// Both roads must agree on the outcome, and on the error text unless the
// document does not parse (then each road words the parser's failure its
// own way). A model that loads is solved with a short iteration limit and
// every symbol is read back.
#include <Check.h>
#include <MemoryFile.h>
#include <sc/SolverFactory.h>

#include <complex>
#include <cstdint>
#include <cstring>
#include <string>

namespace
{
template <typename T>
using Factory = sc::ISolver<T>* (*)(sc::ILog*, int);

bool startsWith(const td::String& text, const char* prefix)
{
    return std::strncmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

template <typename T>
void readSymbols(sc::ISolver<T>& solver)
{
    const int nVars = solver.getNumberVariables();
    const int nParams = solver.getNumberParameters();
    FUZZ_CHECK(nVars > 0 && nParams >= 0);
    for (int i = 0; i < nVars + nParams; ++i)
    {
        T value {};
        FUZZ_CHECK(solver.getSymbolValue(i, value));
        if (const char* name = solver.getSymbolName(i))
            FUZZ_CHECK(solver.getVariableIndex(name) >= 0);
    }
}

template <typename T>
void run(Factory<T> factory, const char* text, const std::string& path)
{
    sc::ISolver<T>* pText = factory(nullptr, 8);
    sc::ISolver<T>* pFile = factory(nullptr, 8);
    const bool textOk = pText->init(td::String(text), sc::SourceType::Memory);
    const bool fileOk = pFile->init(td::String(path.c_str()), sc::SourceType::File);
    FUZZ_CHECK(textOk == fileOk);
    const td::String textErrors = pText->getLastErrorStr();
    const td::String fileErrors = pFile->getLastErrorStr();
    if (!startsWith(textErrors, "(0,Other):Cannot parse xml input data"))
        FUZZ_CHECK(std::strcmp(textErrors.c_str(), fileErrors.c_str()) == 0);
    if (textOk)
    {
        // A time solver takes a step from the start.
        pText->reset(0);
        pText->solve();
        readSymbols(*pText);
    }
    pText->release();
    pFile->release();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The text road reads up to the first NUL; the file holds the same.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* text = input.c_str();
    fuzz::MemoryFile file("xmlmodel");
    file.write(text, std::strlen(text));
    run<double>(sc::createDblNRSolver, text, file.path());
    run<std::complex<double>>(sc::createCmplxNRSolver, text, file.path());
    run<double>(sc::createDblWLSSolver, text, file.path());
    run<std::complex<double>>(sc::createCmplxWLSSolver, text, file.path());
    run<double>(sc::createDblDAESolver, text, file.path());
    run<std::complex<double>>(sc::createCmplxDAESolver, text, file.path());
    run<double>([](sc::ILog* pLog, int) { return sc::createDblODESolver(pLog); }, text, file.path());
    run<std::complex<double>>([](sc::ILog* pLog, int) { return sc::createCmplxODESolver(pLog); }, text, file.path());
    return 0;
}
