#include <expr/ErrorStr.h>

namespace SL_NS
{
namespace
{
const char* const s_locationNames[] = {"Other",     "RndGens", "Stats",    "Vars",      "Params",  "Init",
                                       "PreProc",   "ODEqs",   "TFs",      "NLEqs",     "MeasEqs", "ECs",
                                       "ReadModel", "Limits",  "PostProc", "RTSolution"};
} // namespace

const char* getLocationName(SolutionLocation location)
{
    const auto i = std::size_t(location);
    return i < std::size(s_locationNames) ? s_locationNames[i] : "NDEF";
}

void ErrorStr::writeIntro(unsigned short lineNo, SolutionLocation location)
{
    if (_text.length() > 0)
        _text.put('\n');
    appendFormat("(@,@):", lineNo, getLocationName(location));
}
} // namespace SL_NS
