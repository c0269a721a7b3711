#pragma once
// A valid model text of any size, for measuring how the cost of a load grows.
#include <string>

namespace test
{
// n variables and n equations; each equation ties a variable to the next one.
inline std::string generatedModel(int n)
{
    std::string text = "Header:\n  maxIter = 50\nend\nModel [type = NL, eps = 1e-6]\nVars\n";
    for (int i = 0; i < n; ++i)
        text += "x" + std::to_string(i) + " = 1\n";
    text += "NLEs\n";
    for (int i = 0; i < n; ++i)
        text += "x" + std::to_string(i) + "^2 - 2 * x" + std::to_string((i + 1) % n) + " + sin(x0) = 1 [w = 1]\n";
    text += "end\n";
    return text;
}
} // namespace test
