// What cannot be differentiated is reported, with the equation's line and
// column, and never stops the process.
#include <DerivativeFixture.h>

#include <random>

namespace test
{
namespace
{
class DerivativeRefusals : public DerivativeTest
{
};

TEST_F(DerivativeRefusals, FunctionsAndOperatorsWithoutARule)
{
    const std::pair<const char*, const char*> cases[] = {
        {"min(x, 1) + y", "Function min cannot be differentiated and thus cannot be used as part of NLEqs!"},
        {"y*max(2, x)", "Function max cannot be differentiated"},
        {"round(x, 2)", "Function round cannot be differentiated"},
        {"int(x*y)", "Function int cannot be differentiated"},
        {"x > 1", "Differentiation is not defined for operator '>'"},
        {"y*(x and y)", "Differentiation is not defined for operator 'and'"},
        {"not x", "Differentiation is not defined for operator 'not'"},
        {"x == y", "Differentiation is not defined for operator '=='"},
#if SL_COMPLEX
        // Not holomorphic: |z|, the phase angle, and conj without conjugate variables.
        {"abs(x)", "Function abs cannot be differentiated"},
        {"atg2(x*y)", "Function atan2 cannot be differentiated"},
        {"conj(x) + y", "Function conj cannot be differentiated"},
        {"cabs(x)", "Function cabs cannot be differentiated"},
        {"rtop(x)", "Function rtop cannot be differentiated"},
        {"ptor(x)", "Function ptor cannot be differentiated"},
        {"real(x)", "Function real cannot be differentiated"},
        {"imag(x)", "Function imag cannot be differentiated"},
#else
        {"disc(x, 1, 2)", "Function disc cannot be differentiated"},
#endif
    };
    for (const auto& [text, message] : cases)
    {
        log.clean();
        solver._errorStr.clean();
        ExpressionTree f;
        ASSERT_TRUE(build(f, text)) << text << errors();
        ExpressionTree d(&data, &solver._fnLimits, nVars, true);
        EXPECT_FALSE(f.createDerivative2(d, 0)) << text;
        EXPECT_TRUE(d.isEmpty()) << text;
        EXPECT_TRUE(keyLogged("@ET.CantDiff")) << text << errors();
        EXPECT_NE(std::string(solver._errorStr.toString().c_str()).find(message), std::string::npos)
            << text << ": " << solver._errorStr.toString().c_str();
        // A part that does not depend on the variable needs no rule.
        log.clean();
        EXPECT_TRUE(f.createDerivative2(d, 2)) << text << errors();
        EXPECT_TRUE(log.entries.empty()) << text << errors();
    }
}

TEST_F(DerivativeRefusals, ConditionalEquations)
{
    useAllVariables();
    using K = ExpressionTree::Kind;
    struct Case
    {
        const char* name;
        ExpressionTree* pTree;
        std::vector<const char*> keys;
    };
    const Case cases[] = {
        {"constant then", conditional(K::IfThenElse, branch("x > 1"), branch("5"), branch("x")), {"@ET.ZeroThenExps"}},
        {"constant else",
         conditional(K::IfThenElse, branch("x > 1"), branch("x"), branch("pmin")),
         {"@ET.ZeroElseExps"}},
        {"then without rule",
         conditional(K::IfThenElse, branch("x > 1"), branch("min(x, 1)"), branch("x")),
         {"@ET.CantDiff", "@ET.ThenCantDiff"}},
        {"else without rule",
         conditional(K::IfThenElse, branch("x > 1"), branch("x"), branch("y > x")),
         {"@ET.CantDiff", "@ET.ElseCantDiff"}},
        {"nested then",
         conditional(K::IfThenElse, branch("x > 1"),
                     conditional(K::IfThenElse, branch("y > 1"), branch("2"), branch("y")), branch("x")),
         {"@ET.ZeroThenExps", "@ET.ThenCantDiff"}},
        {"constant case",
         conditional(K::SwitchCase, branch("x > 1"), branch("x"),
                     conditional(K::SwitchCase, nullptr, branch("pmax"), nullptr)),
         {"@ET.CaseNoDiffVars"}},
        {"case without rule",
         conditional(K::SwitchCase, branch("x > 1"), branch("round(x, 1)"), nullptr),
         {"@ET.CantDiff", "@ET.CaseDiffError"}},
    };
    for (const Case& c : cases)
    {
        log.clean();
        Evaluator* pF = solver._pools->evaluators.getEntry();
        ASSERT_TRUE(c.pTree->createPostFix(pF)) << c.name << errors();
        Evaluator* pDeriv = solver._pools->evaluators.getEntry();
        const bool made = c.pTree->_kind == K::SwitchCase ? c.pTree->createSwitchDerivative2(pDeriv, pF)
                                                          : c.pTree->createIfThenDerivative2(pDeriv);
        EXPECT_FALSE(made) << c.name;
        ASSERT_EQ(log.entries.size(), c.keys.size()) << c.name << errors();
        for (const char* key : c.keys)
            EXPECT_TRUE(keyLogged(key)) << c.name << ": " << key << errors();
    }
}

// Random expressions, a third of them damaged by a stray or a missing
// character: whatever builds is differentiated by every variable and run.
class RandomText
{
public:
    std::string expression(int depth)
    {
        static const char* leaves[] = {"x", "y", "z", "pmin", "2", "0", "0.5", "e", "rnd(g)", "smin(s1)"};
        static const char* operators[] = {" + ", " - ", " * ", " / ", " ^ ", " > ", " and "};
        static const char* functions[] = {"sin", "exp", "ln", "sqrt", "abs", "tg", "acsh", "sign", "not "};
        const int kind = depth == 0 ? 0 : int(_rng() % 5);
        switch (kind)
        {
        case 0: return pick(leaves);
        case 1:
        case 2: return "(" + expression(depth - 1) + pick(operators) + expression(depth - 1) + ")";
        case 3: return std::string(pick(functions)) + "(" + expression(depth - 1) + ")";
        default:
            switch (_rng() % 4)
            {
            case 0: return "min(" + expression(depth - 1) + ", " + expression(depth - 1) + ")";
            case 1:
                return isComplexBuild ? "atg2(" + expression(depth - 1) + ")"
                                      : "atg2(" + expression(depth - 1) + ", " + expression(depth - 1) + ")";
            case 2: return "round(" + expression(depth - 1) + ", 2)";
            default: return "lim(" + expression(depth - 1) + ", pmin, 3)";
            }
        }
    }

    std::string damaged(std::string text)
    {
        const std::size_t at = _rng() % (text.size() + 1);
        if (_rng() % 2)
            return text.erase(std::min(at, text.size() - 1), 1);
        static const char* strays[] = {"(", ")", ",", "+", "*", "not", "x", "sin"};
        return text.insert(at, pick(strays));
    }

    bool chance(int percent) { return int(_rng() % 100) < percent; }

private:
    template <std::size_t N>
    const char* pick(const char* const (&words)[N])
    {
        return words[_rng() % N];
    }

    std::mt19937 _rng {12};
};

TEST_F(DerivativeRefusals, RandomTextNeverStopsTheProcess)
{
    RandomText random;
    int built = 0, derived = 0;
    for (int trial = 0; trial < 6000; ++trial)
    {
        std::string text = random.expression(4);
        if (random.chance(33))
            text = random.damaged(text);
        const bool simplify = trial % 2 == 0;
        ExpressionTree f(simplify);
        log.clean();
        if (!build(f, text))
            continue;
        ++built;
        for (int var = 0; var < nVars; ++var)
        {
            Evaluator* pD;
            if (!derive(f, var, pD, nullptr, simplify))
            {
                EXPECT_TRUE(keyLogged("@ET.CantDiff")) << text << errors();
                continue;
            }
            if (pD)
            {
                ++derived;
                valueAt(pD, {0.7, 1.2, 2.5, 1, 4});
            }
        }
    }
    EXPECT_GT(built, 3000);
    EXPECT_GT(derived, 500);
}
} // namespace
} // namespace test
