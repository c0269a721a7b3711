// The TFs of an XML DAE model: the fx of an Eq is y / u = N(s) / D(s). Its
// orders fix the states it adds, so it is read before the declarations,
// when a coefficient may name a parameter that does not exist yet; the
// state-space rows are written from a second reading over the declared
// symbols, as for model text.
#include <compile/CompileTarget.h>
#include <expr/ExpressionPools.h>
#include <expr/ExpressionTree.h>
#include <expr/SolverData.h>
#include <expr/TransferFunction.h>
#include <xml/XmlModelReader.h>
#include <xml/XmlText.h>

#include <algorithm>

namespace SL_NS
{
bool XmlModelReader::splitTransferFunction(const td::StringExt* pFx, TFText& text)
{
    if (!pFx || pFx->length() == 0)
        return fail("Missing fx in TF Equation!");
    const std::string_view fx(pFx->c_str(), pFx->length());
    const std::size_t sign = fx.find('=');
    if (sign == std::string_view::npos)
        return fail("Missing equaity sign '=' in fx part of TF Equation! TF must be in form y/=f(s)");
    const std::size_t div = fx.find('/');
    if (div == std::string_view::npos)
        return fail("Missing division sign '/' in fx part of TF Equation! TF must be in form y/=f(s)");
    if (div > sign)
        return fail("Missing division sign '/' in left part of TF Equation! TF must be in form y/=f(s)");
    text.pFx = pFx;
    text.output = trimmed(fx.substr(0, div));
    text.input = trimmed(fx.substr(div + 1, sign - div - 1));
    text.fraction = pFx->c_str() + sign + 1;
    return true;
}

bool XmlModelReader::lexTransferFunction(const TFText& text, ExpressionTree& tree, bool sizing)
{
    // s is the Laplace variable only here.
    _collecting = false;
    _tfFlag = true;
    _specialNames.insert(td::StrKey("s", 1), Token::Type::LAPLACE);
    const bool lexed = parse(text.fraction) == int(Token::Type::END_OF_LINE) && !holdsAssignment(getTokenList());
    _specialNames.clean();
    _tfFlag = false;
    if (!lexed)
        return fail("Something wrong with TF expression: @", *text.pFx);
    // The orders do not depend on which coefficient a name is.
    if (sizing)
        for (Token& t : getTokenList())
            if (t.type == Token::Type::SYMBOL && t.index < 0)
                t = Token {Value(1), {0}, Token::Type::REAL};
    if (!tree.makeExpressionTree(&getTokenList(), sc::ExpressionType::Plain))
        return fail("Cannot make expression for Transfer Function: @", *text.pFx);
    return true;
}

template <typename TNode>
bool XmlModelReader::readTransferFunctionForms(TNode eq)
{
    _tfs.clear();
    _tfTexts.clear();
    _pSolverData->location = SolutionLocation::TFs;
    std::size_t states = 0;
    for (unsigned k = 0; !eq.isEnd(); ++eq, ++k)
    {
        TFText text;
        ExpressionTree tree;
        bindTree(tree);
        sTF tf;
        if (!splitTransferFunction(eq.getAttribValueStrPtr("fx"), text) || !lexTransferFunction(text, tree, true))
            return failEquation(k);
        if (!TransferFunction(tree, *_pSolverData).getTFNomAndDenomOrdersAndTypes(tree.getRoot(), tf))
        {
            fail("Badly formatted transfer function: @", *text.pFx);
            return failEquation(k);
        }
        states += tf.states();
        if (states > maxTransferFunctionStates)
        {
            fail("Transfer functions add more than @ states!", unsigned(maxTransferFunctionStates));
            return failEquation(k);
        }
        _tfs.push_back(tf);
        _tfTexts.push_back(std::move(text));
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

int XmlModelReader::declaredVariable(const std::string& name) const
{
    const int index = findSymbol(name.c_str());
    return std::binary_search(_varSymbols.begin(), _varSymbols.end(), index) ? index : -1;
}

template <typename TNode>
bool XmlModelReader::resolveTransferFunctionSymbols(const TNode& params)
{
    _pSolverData->location = SolutionLocation::TFs;
    // The output names the states: a second one would repeat their names.
    std::vector<char> isOutput(std::size_t(_nVars), 0);
    for (unsigned k = 0; k < _tfs.size(); ++k)
    {
        sTF& tf = _tfs[k];
        const TFText& text = _tfTexts[k];
        tf.iY = declaredVariable(text.output);
        tf.iU = declaredVariable(text.input);
        if (tf.iY < 0)
        {
            // The parameters are not named yet.
            bool parameter = false;
            for (TNode it = params.getChildNode("Param"); !it.isEnd() && !parameter; ++it)
                parameter = isText(it.getAttribValueStrPtr("name"), text.output);
            fail(parameter ? "TF output '@' was declared as a parameter! It must be declared as a variable!"
                           : "TF output '@' was not declared! It must be declared as a variable!",
                 text.output.c_str());
        }
        else if (isOutput[std::size_t(tf.iY)]++)
            fail("TF output '@' is the output of an earlier TF!", text.output.c_str());
        else if (tf.iU < 0)
            fail("TF input '@' was not declared! It must be declared as a variable!", text.input.c_str());
        else
            continue;
        return failEquation(k);
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

bool XmlModelReader::writeTransferFunctions(unsigned& row)
{
    matrix::Butcher<3> tableau;
    if (_nStages > 0)
        initButcher(tableau);
    _pSolverData->location = SolutionLocation::TFs;
    for (unsigned k = 0; k < _tfs.size(); ++k)
    {
        const TFText& text = _tfTexts[k];
        ExpressionTree& tree = *newTree();
        if (!lexTransferFunction(text, tree, false))
            return failEquation(k);
        // Over the symbols a name that stands for none is badly formed.
        sTF form;
        if (!TransferFunction(tree, *_pSolverData).getTFNomAndDenomOrdersAndTypes(tree.getRoot(), form) ||
            form.nomOrder != _tfs[k].nomOrder || form.denomOrder != _tfs[k].denomOrder)
        {
            fail("Badly formatted transfer function: @", *text.pFx);
            return failEquation(k);
        }
        const TFFault fault = writeTransferFunction(tree, _tfs[k], tableau, row);
        if (fault != TFFault::None)
        {
            failTransferFunction(text, fault);
            return failEquation(k);
        }
        if (_pSolverData->pPools->nodesTaken >= batchNodes && !writeEquationPrograms())
            return false;
    }
    _pSolverData->location = SolutionLocation::Other;
    return true;
}

bool XmlModelReader::failTransferFunction(const TFText& text, TFFault fault)
{
    const std::string fraction(trimmed(text.fraction));
    const char* y = text.output.c_str();
    const char* u = text.input.c_str();
    switch (fault)
    {
    case TFFault::Coefficients:
        return fail("TF with output=@, input=@, and tf=@ is not formatted properly!", y, u, fraction.c_str());
    case TFFault::StateSpace:
        return fail("Cannot create state space model for TF with output=@, input=@, and tf=@!", y, u, fraction.c_str());
    default:
        return fail("Cannot create Jacobian entry for TF with output=@, input=@, and tf=@!", y, u, fraction.c_str());
    }
}

template bool XmlModelReader::readTransferFunctionForms(XmlFileNode);
template bool XmlModelReader::readTransferFunctionForms(XmlTextNode);
template bool XmlModelReader::resolveTransferFunctionSymbols(const XmlFileNode&);
template bool XmlModelReader::resolveTransferFunctionSymbols(const XmlTextNode&);
} // namespace SL_NS
