// The TFs lines of a differential-algebraic model, y / u = N(s) / D(s). Each
// line is read and its form checked before the symbols are sized, since its
// orders fix the states it adds: per state X_k a variable y'xk (with the
// stage variables of the method) and a history parameter y'xk@_, and for an
// improper fraction the variable y#div. Once the symbols stand, the line is
// read again and its state-space equations are written over those symbols:
// the state rows are discretised like any differential equation, the
// output rows are compiled as they are.
#include <compile/CompileTarget.h>
#include <compile/RPNDerivParser.h>
#include <expr/SolverData.h>
#include <expr/TransferFunction.h>
#include <mu/Assert.h>

#include <string>
#include <vector>

namespace SL_NS
{
namespace
{
using C = sc::Token;

// The tokens y / u = before the fraction.
constexpr unsigned fractionToken = 4;

std::string stateName(const char* output, unsigned k) { return std::string(output) + "'x" + std::to_string(k); }
} // namespace

bool RPNDerivParser::lexTransferFunction(const ModelIterator& it, ExpressionTree& tree)
{
    // s is the Laplace variable only here.
    _tfFlag = true;
    sc::ExpressionType type;
    const bool lexed = lexLine(it, fractionToken, type) && type == sc::ExpressionType::Plain;
    _tfFlag = false;
    if (!lexed)
    {
        logAt("@SC.TFsWrongTokens", it);
        return false;
    }
    if (!tree.makeExpressionTree(&getTokenList(), type))
    {
        logAt("@SC.TFsCannotMakeET", it);
        return false;
    }
    return true;
}

int RPNDerivParser::transferFunctionSymbol(const ModelIterator& it, unsigned token, const char* undeclaredKey,
                                           const char* notVariableKey)
{
    const sc::_TokV& tok = it.getToken(token);
    if (tok.code == C::Var && !tok.isFromMainModel())
        return variableIndexOf(int(tok.id));
    logAt(tok.code == C::Var || tok.code == C::Param ? notVariableKey : undeclaredKey, it, token);
    return -1;
}

bool RPNDerivParser::parseTFs(sc::ModelLevel level)
{
    _tfs.clear();
    if (_pSolverData->modelKind != 2)
        return true;
    // The names of the fraction are read against the declared symbols; the
    // trees are made again once the symbols are sized.
    _collecting = false;
    std::vector<char> isOutput(std::size_t(_nVars), 0);
    std::size_t states = 0;
    for (ModelIterator it = _pModel->getGroupIterator(sc::Group::TFs, level); it.isValid(); ++it)
    {
        // Keys about the line as a whole point at its first token (the
        // lexer sets the position of the expression stage's keys alike).
        _pSolverData->lineNo = std::uint16_t(it.getLine().line);
        const char* key = nullptr;
        unsigned token = 0;
        if (it.getLine().nTokens < 7)
            key = "@SC.TFsWrongFormat";
        else if (it.getToken(1).code != C::Div)
            key = "@SC.TFsNoDiv1Operator", token = 1;
        else if (it.getToken(3).code != C::Assign)
            key = "@SC.TFsNoAssignOperator", token = 3;
        if (key)
        {
            logAt(key, it, token);
            return false;
        }
        ExpressionTree tree;
        bindTree(tree);
        sTF tf;
        if (!lexTransferFunction(it, tree))
            return false;
        if (!TransferFunction(tree, *_pSolverData).getTFNomAndDenomOrdersAndTypes(tree.getRoot(), tf))
        {
            logAt("@SC.TFBadFormat", it);
            return false;
        }
        tf.iY = transferFunctionSymbol(it, 0, "@SC.WrongYInTF", "@SC.TFYNotVariable");
        if (tf.iY < 0)
            return false;
        // The output names the states: a second one would repeat their names.
        if (isOutput[std::size_t(tf.iY)]++)
        {
            logAt("@SC.TFOutputRepeated", it);
            return false;
        }
        states += tf.states();
        if (states > maxTransferFunctionStates)
        {
            logAt("@SC.TFsTooManyStates", it);
            return false;
        }
        tf.iU = transferFunctionSymbol(it, 2, "@SC.WrongUInTF", "@SC.TFUNotVarNorParam");
        if (tf.iU < 0)
            return false;
        _tfs.push_back(tf);
    }
    return true;
}

void RPNDerivParser::sizeForTransferFunctions()
{
    for (sTF& tf : _tfs)
    {
        tf.firstState = _nVars;
        tf.firstHistory = _nParams;
        _nVars += int(tf.states()) * (_nStages + 1) + (tf.hasDiv() ? 1 : 0);
        _nParams += int(tf.states());
    }
}

// The name pool takes names in index order: the variables follow the
// stage variables of the ODEs, the histories theirs.
void RPNDerivParser::nameTransferFunctionVariables(sc::StringPool& pool) const
{
    for (const sTF& tf : _tfs)
    {
        const char* output = getVariableName(tf.iY).c_str();
        int index = tf.firstState;
        for (unsigned k = 1; k <= tf.states(); ++k)
        {
            const std::string state = stateName(output, k);
            pool.addString(state.c_str(), index++);
            for (int j = 1; j <= _nStages; ++j)
                pool.addString((state + "#k" + std::to_string(j)).c_str(), index++);
        }
        if (tf.hasDiv())
            pool.addString((std::string(output) + "#div").c_str(), index);
    }
}

void RPNDerivParser::nameTransferFunctionHistories(sc::StringPool& pool) const
{
    for (const sTF& tf : _tfs)
        for (unsigned k = 1; k <= tf.states(); ++k)
            pool.addString((stateName(getVariableName(tf.iY).c_str(), k) + "@_").c_str(),
                           _nVars + tf.firstHistory + int(k) - 1);
}

void RPNDerivParser::markTransferFunctionStates(int& nextVar, int& nextParam)
{
    DAEVarMap& map = *_pSolverData->pDAEVarMap;
    for (const sTF& tf : _tfs)
    {
        MU_ASSERT_MSG(tf.firstState == nextVar && tf.firstHistory == nextParam, "TF symbol positions");
        for (unsigned k = 0; k < tf.states(); ++k)
        {
            (*_pSolverData->pSymbolInfo)[std::size_t(nextVar)].symbolType = 4;
            _DAEVM& entry = map[std::size_t(nextVar)];
            entry.historyParam = nextParam++;
            if (_nStages > 0)
                entry.iKPos = nextVar + 1;
            nextVar += _nStages + 1;
        }
        nextVar += tf.hasDiv() ? 1 : 0;
    }
}

RPNDerivParser::TFFault RPNDerivParser::writeTransferFunction(ExpressionTree& tree, const sTF& tf,
                                                              const matrix::Butcher<3>& tableau, unsigned& row)
{
    const TransferFunction engine(tree, *_pSolverData);
    Polynomial denom, nom;
    if (!engine.getTFCoefficients(tree.getRoot(), denom, nom, tf))
        return TFFault::Coefficients;
    std::vector<ExpTreeNode*> out;
    if (!engine.createStateSpace(out, denom, nom, tf, unsigned(_nStages)))
        return TFFault::StateSpace;
    // X_k' = out[k - 1], then the output rows. The states that hold the
    // derivatives of u take them by backward differences (implicit Euler)
    // whatever the method: the trapezoid and the Gauss-Legendre methods
    // differentiate with an undamped oscillation, which the next derivative
    // amplifies by 1/dT. Their stage variables then equal the state.
    const unsigned firstDerivative = tf.states() - tf.derivativeStates();
    _timeVars tv = stepVars();
    for (unsigned k = 0; k < tf.states(); ++k)
    {
        tv.varIndex = tf.firstState + int(k) * (_nStages + 1);
        const Discretisation d(tree, *_pSolverData->pDAEVarMap, *_pSolverData->pSymbolInfo, _nVars, tv);
        ExpTreeNode* rows[4] = {};
        if (k < firstDerivative)
            expandForMethod(d, out[k], nullptr, tableau, rows);
        else
        {
            rows[0] = d.expandDAEForEuler(out[k], nullptr);
            for (int j = 1; j <= _nStages; ++j)
                rows[j] = tree.mergeUsingBasicOperation(tree.createNode(Token::Type::SYMBOL, tv.varIndex + j),
                                                        tree.createNode(Token::Type::SYMBOL, tv.varIndex), false, false,
                                                        ExpressionTree::BasicOperation::Subtract);
        }
        for (int j = 0; j <= _nStages; ++j)
            if (!compileDiscretisedRow(rows[j], row++))
                return TFFault::StateRow;
    }
    for (std::size_t r = tf.states(); r < out.size(); ++r)
        if (!compileDiscretisedRow(out[r], row++))
            return TFFault::OutputRow;
    return TFFault::None;
}

bool RPNDerivParser::compileTransferFunction(const ModelIterator& it, const sTF& tf, const matrix::Butcher<3>& tableau,
                                             unsigned& row)
{
    ExpressionTree& tree = *newTree();
    if (!lexTransferFunction(it, tree))
        return false;
    const bool dynamic = tf.denomOrder > 0;
    const char* key = nullptr;
    switch (writeTransferFunction(tree, tf, tableau, row))
    {
    case TFFault::None: return writeFullBatch();
    case TFFault::Coefficients: key = "@SC.TFPolyCoefficent"; break;
    case TFFault::StateSpace: key = "@SC.TF2SSError"; break;
    case TFFault::StateRow:
        key = _nStages > 0 ? (dynamic ? "@SC.DAENLDerivs" : "@SC.DAENLJack3")
                           : (dynamic ? "@SC.DAEExpandError" : "@SC.DAENLJack0Exp");
        break;
    case TFFault::OutputRow: key = dynamic ? "@SC.DAENLJack2" : "@SC.DAENLJack3"; break;
    }
    logAt(key, it);
    return false;
}

bool RPNDerivParser::compileTransferFunctions(sc::ModelLevel level, unsigned& row)
{
    matrix::Butcher<3> tableau;
    if (_nStages > 0)
        initButcher(tableau);
    std::size_t k = 0;
    for (ModelIterator it = _pModel->getGroupIterator(sc::Group::TFs, level); it.isValid(); ++it, ++k)
    {
        _pSolverData->lineNo = std::uint16_t(it.getLine().line);
        if (!compileTransferFunction(it, _tfs[k], tableau, row))
            return false;
    }
    return true;
}
} // namespace SL_NS
