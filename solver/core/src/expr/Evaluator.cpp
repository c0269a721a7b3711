#include <expr/BranchPlaces.h>
#include <expr/CU.h>
#include <expr/Evaluator.h>
#include <expr/ExpressionPools.h>
#include <expr/OpTable.h>
#include <expr/SolverData.h>
#include <expr/Workspace.h>
#include <mu/Assert.h>
#include <sparse/IMatrix.h>
#include <sparse/ISolver.h>

#include <algorithm>
#include <vector>
#include <cmath>

namespace SL_NS
{
namespace
{
using T = Token::Type;

// A condition selects its then-branch unless it is exactly zero (NaN selects it).
bool isTrue(const Value& v)
{
#if SL_COMPLEX
    return v.real() != 0 || v.imag() != 0 || std::isnan(v.real()) || std::isnan(v.imag());
#else
    return v != 0 || std::isnan(v);
#endif
}
} // namespace

Evaluator::Evaluator(SolverData* pData, unsigned nInstructions, unsigned nConstants, unsigned nVars, unsigned nParams)
{
    alocateSpace(pData, nInstructions, nConstants, nVars, nParams);
}

void Evaluator::alocateSpace(SolverData* pData, unsigned nInstructions, unsigned nConstants, unsigned nVars,
                             unsigned nParams)
{
    MU_ASSERT_MSG(_pConstData == nullptr, "_pConstData == nullptr");
    MU_ASSERT_MSG(_pIndVars == nullptr, "_pIndVars == nullptr");
    MU_ASSERT_MSG(_pIndParams == nullptr, "_pIndParams == nullptr");
    MU_ASSERT_MSG(_pInstructionLst == nullptr, "_pInstructionLst == nullptr");
    if (nInstructions == 1)
    {
        // One token: no lists and no machine run.
        _type = nConstants == 1 ? Type::Constant : (nParams == 1 ? Type::Parameter : Type::Variable);
        return;
    }
    _type = Type::Program;
    ExpressionPools& pools = *pData->pPools;
    _pConstData = pools.values.getEntries(int(nConstants));
    _pIndVars = pools.indices.getEntries(int(nVars));
    _pIndParams = pools.indices.getEntries(int(nParams));
    _pInstructionLst = pools.instructions.getEntries(int(nInstructions));
}

void Evaluator::pushInstruction(Instruction i, int nOperands)
{
    if (_depth < nOperands)
        _refused = true;
    _depth = std::int16_t(_depth - nOperands + 1);
    _maxDepth = std::max(_maxDepth, _depth);
    if (_maxDepth > CU_STACK_SIZE)
        _refused = true;
    _pInstructionLst[_nInstructions++] = i;
}

bool Evaluator::addToken(const Token* pToken, unsigned nVars)
{
    const Token& t = *pToken;
    const bool shortcut = _type != Type::Program;
    if (t.isNumeric())
    {
        if (shortcut)
            _constant = t.value;
        else
        {
            const_cast<Value*>(_pConstData)[_nConsts++] = t.value;
            pushInstruction(instr::PushF, 0);
        }
        return true;
    }
    if (t.type == T::SHARED_VALUE)
    {
        if (shortcut)
        {
            _type = Type::SharedValue;
            _symbolIndex = std::uint32_t(t.index);
        }
        else
        {
            _pIndParams[_nParams++] = std::uint32_t(t.index);
            pushInstruction(instr::PushShared, 0);
        }
        return true;
    }
    if (t.type == T::SYMBOL)
    {
        const bool parent = t.symbolOrigin == sc::SymbolOrigin::ParentModel;
        const bool variable = !parent && t.index < int(nVars);
        if (shortcut)
        {
            // A symbol of the parent model reads the parent's array at its
            // own index, whatever shortcut the counts chose.
            _type = parent ? Type::ParentValue : (variable ? Type::Variable : Type::Parameter);
            _symbolIndex = std::uint32_t(variable || parent ? t.index : t.index - int(nVars));
        }
        else if (variable)
        {
            _pIndVars[_nVars++] = std::uint32_t(t.index);
            pushInstruction(instr::PushVar, 0);
        }
        else
        {
            _pIndParams[_nParams++] = std::uint32_t(parent ? t.index : t.index - int(nVars));
            pushInstruction(parent ? instr::PushParentValue : instr::PushParam, 0);
        }
        return true;
    }
    const T op = t.type == T::FUNCTION ? t.function() : t.type;
    const OpInfo& info = opInfo(op);
    if (shortcut || !info.hasInstruction())
        return false;
    if (info.pushesOwnValue)
    {
        const_cast<Value*>(_pConstData)[_nConsts++] = t.value;
        pushInstruction(instr::PushF, 0);
    }
    pushInstruction(Instruction(op), info.nOperands);
    fuseWithPushes();
    return true;
}

void Evaluator::fuseWithPushes()
{
    if (_nInstructions < 2)
        return;
    Instruction* last = _pInstructionLst + _nInstructions - 1;
    const instr::Source source = instr::sourceOf(last[-1]);
    const instr::Arith arith = instr::arithOf(T(last[0]));
    if (instr::isProduct(last[-1]) && arith < instr::Arith::Mul)
    {
        last[-1] = instr::productArith(last[-1], arith);
        --_nInstructions;
        return;
    }
    if (source == instr::Source::Count || arith == instr::Arith::Count)
        return;
    --_nInstructions;
    const instr::Source left = _nInstructions > 1 ? instr::sourceOf(last[-2]) : instr::Source::Count;
    if (arith == instr::Arith::Mul && left != instr::Source::Count)
    {
        last[-2] = instr::product(left, source);
        --_nInstructions;
    }
    else
        last[-1] = instr::fused(source, arith);
}

bool Evaluator::isBalanced() const
{
    if (_type != Type::Program)
        return true;
    return !_refused && (_nInstructions == 0 || _depth == 1);
}

Value Evaluator::evaluate(CU& cu) const
{
    switch (_type)
    {
    case Type::Program: return cu.evaluate(this);
    case Type::Constant: return _constant;
    case Type::Parameter: return cu.getParamValues()[_symbolIndex];
    case Type::Variable: return cu.getVariableValues()[_symbolIndex];
    case Type::ParentValue: return cu.getParentValues()[_symbolIndex];
    case Type::SharedValue: return cu.getSharedValues()[_symbolIndex];
    case Type::IfThenElse:
    {
        unsigned n = 0;
        const Evaluator* pBranch = selectBranch(cu, n);
        return pBranch ? pBranch->evaluate(cu) : Value(0);
    }
    case Type::Switch:
    {
        const Evaluator* pCase = selectCase(cu);
        return pCase ? pCase->_pThen->evaluate(cu) : Value(0);
    }
    default: MU_ASSERT_MSG(false, "false"); return Value(0);
    }
}

const Evaluator* Evaluator::selectBranch(CU& cu, unsigned& count) const
{
    MU_ASSERT_MSG(_type == Type::IfThenElse, "_type == Type::IfThenElse");
    MU_ASSERT_MSG(_pCondition, "_pCondition");
    if (isTrue(_pCondition->evaluate(cu)))
    {
        MU_ASSERT_MSG(_pThen, "_pThen");
        count = _nConsts;
        return _pThen;
    }
    count = _nVars;
    return _nVars ? _pElse : nullptr;
}

const Evaluator* Evaluator::selectCase(CU& cu) const
{
    MU_ASSERT_MSG(_type == Type::Switch, "_type == Type::Switch");
    for (const Evaluator* pCase = this; pCase; pCase = pCase->_pElse)
    {
        if (!pCase->_pCondition || isTrue(pCase->_pCondition->evaluate(cu)))
        {
            MU_ASSERT_MSG(pCase->_pThen || pCase->_nConsts == 0, "pCase");
            return pCase->_nConsts ? pCase : nullptr;
        }
    }
    return nullptr;
}

bool Evaluator::runAssignments(CU& cu, const Evaluator* pRun, unsigned n) const
{
    for (unsigned i = 0; i < n; ++i)
        if (!pRun[i].evaluateAssignment(cu))
            return false;
    return true;
}

bool Evaluator::evaluateAssignment(CU& cu) const
{
    switch (_type)
    {
    case Type::Statistics:
    {
        MU_ASSERT_MSG(cu.getWorkspace(), "_pWorkspace");
        StatsManager& stats = cu.getWorkspace()->_stats;
        stats.getInputs(std::size_t(_varIndex)).evaluateAndInsertToStats(cu, stats[std::size_t(_varIndex)]);
        return true;
    }
    case Type::IfThenElse:
    {
        unsigned n = 0;
        const Evaluator* pBranch = selectBranch(cu, n);
        if (!pBranch)
            return true;
        if (pBranch->_branchCode != sc::ISignal::Type::None && cu.getBranchObserver())
            cu.getBranchObserver()->handle(pBranch->_branchCode);
        return runAssignments(cu, pBranch, n);
    }
    case Type::Switch:
    {
        const Evaluator* pCase = selectCase(cu);
        if (!pCase)
            return true;
        if (pCase->_branchCode != sc::ISignal::Type::None && cu.getBranchObserver())
            cu.getBranchObserver()->handle(pCase->_branchCode);
        return runAssignments(cu, pCase->_pThen, pCase->_nConsts);
    }
    case Type::Block:
        if (_blockFlag)
            for (unsigned i = 0; i < _nConsts; ++i)
                _pThen[i].evaluate(cu);
        return true;
    default: break;
    }
    const Value value = evaluate(cu);
    if (_assignmentType == AssignmentType::None)
        return false;
    MU_ASSERT_MSG(_varIndex >= 0, "_varIndex >= 0");
    return store(cu, value);
}

void Evaluator::setIfThenElse(Evaluator* pCondition, Evaluator* pThen, unsigned nThen, Evaluator* pElse, unsigned nElse)
{
    _type = Type::IfThenElse;
    _pCondition = pCondition;
    _pThen = pThen;
    _nConsts = nThen;
    _pElse = pElse;
    _nVars = pElse ? nElse : 0;
}

void Evaluator::setSwitchCase(Evaluator* pCondition, Evaluator* pCase, unsigned nCase)
{
    _type = Type::Switch;
    _pCondition = pCondition;
    _pThen = pCase;
    _nConsts = pCase ? nCase : 0;
}

void Evaluator::setNextCaseEvaluator(Evaluator* pNext)
{
    MU_ASSERT_MSG(_type == Type::Switch, "_type == Type::Switch");
    _pElse = pNext;
}

void Evaluator::setNoOfNonZeros(unsigned n)
{
    MU_ASSERT_MSG(_type == Type::Switch, "_type == Type::Switch");
    _nVars = n;
}

unsigned Evaluator::getNoOfNonZeros() const { return _type == Type::Switch ? _nVars : 0; }

void Evaluator::setBlock(Evaluator* pChildren, unsigned n)
{
    _type = Type::Block;
    _pThen = pChildren;
    _nConsts = n;
}

void Evaluator::setStatistics(int statIndex)
{
    _type = Type::Statistics;
    _varIndex = statIndex;
}

unsigned Evaluator::getNoOfThenEvaluators() const
{
    MU_ASSERT_MSG(_type == Type::IfThenElse, "_type == Type::IfThenElse");
    if (_nConsts == 1 && _pThen->_type == Type::IfThenElse)
        return std::max(_pThen->getNoOfThenEvaluators(), _pThen->getNoOfElseEvaluators());
    return _nConsts;
}

unsigned Evaluator::getNoOfElseEvaluators() const
{
    MU_ASSERT_MSG(_type == Type::IfThenElse, "_type == Type::IfThenElse");
    if (_nVars == 1 && _pElse->_type == Type::IfThenElse)
        return std::max(_pElse->getNoOfThenEvaluators(), _pElse->getNoOfElseEvaluators());
    return _nVars;
}

bool Evaluator::isConstant() const
{
    switch (_type)
    {
    case Type::Constant:
    case Type::Block:
    case Type::Statistics: return true;
    case Type::Program:
        if (_nVars > 0 || _nParams > 0)
            return false;
        // Limits, generators and statistics change between evaluations.
        for (std::uint32_t i = 0; i < _nInstructions; ++i)
            if (_pInstructionLst[i] < instr::FusedFirst && opInfo(T(_pInstructionLst[i])).pushesOwnValue)
                return false;
        return true;
    default: return false; // symbols and branches
    }
}

bool Evaluator::readsVariables() const
{
    using instr::Source;
    auto reads = [](Source s) { return s == Source::Variable || s == Source::Shared; };
    switch (_type)
    {
    case Type::Constant:
    case Type::Parameter: return false;
    case Type::Program: break;
    default: return true;
    }
    for (std::uint32_t k = 0; k < _nInstructions; ++k)
    {
        const Instruction i = _pInstructionLst[k];
        if (i == instr::PushParentValue)
            return true;
        if (instr::isFused(i))
        {
            if (reads(instr::sourceOf(instr::pushOf(i))))
                return true;
        }
        else if (instr::isProduct(i) || instr::isProductArith(i))
        {
            const Instruction p = instr::isProduct(i) ? i : instr::productOf(i);
            if (reads(instr::sourceOf(instr::leftPushOf(p))) || reads(instr::sourceOf(instr::rightPushOf(p))))
                return true;
        }
        else if (reads(instr::sourceOf(i)) || (i < instr::FusedFirst && opInfo(T(i)).pushesOwnValue))
            return true;
    }
    return false;
}

void Evaluator::collectParameters(std::vector<std::uint32_t>& indices) const
{
    if (_type == Type::Parameter)
        indices.push_back(_symbolIndex);
    else if (_type == Type::Program)
        indices.insert(indices.end(), _pIndParams, _pIndParams + _nParams);
}

template <typename TTarget>
void Evaluator::addTripletsToSolver(CU& cu, TTarget* pTarget, int row) const
{
    const Evaluator* pNode = this;
    for (;;)
    {
        unsigned n = 0;
        const Evaluator* pBranch = pNode->selectBranch(cu, n);
        if (!pBranch)
            return;
        if (n == 1 && pBranch->_type == Type::IfThenElse)
        {
            pNode = pBranch;
            continue;
        }
        for (unsigned i = 0; i < n; ++i)
            pTarget->put(row, pBranch[i]._varIndex, pBranch[i].evaluate(cu));
        return;
    }
}

template <typename TTarget>
void Evaluator::addSwitchTripletsToSolver(CU& cu, TTarget* pTarget, int row) const
{
    const Evaluator* pNode = this;
    for (;;)
    {
        const Evaluator* pCase = pNode->selectCase(cu);
        if (!pCase)
            return;
        const Evaluator* pRun = pCase->_pThen;
        const unsigned n = pCase->_nConsts;
        if (n == 1 && pRun->_type == Type::Switch)
        {
            pNode = pRun;
            continue;
        }
        if (n == 1 && pRun->_type == Type::IfThenElse)
            return pRun->addTripletsToSolver(cu, pTarget, row);
        for (unsigned i = 0; i < n; ++i)
            pTarget->put(row, pRun[i]._varIndex, pRun[i].evaluate(cu));
        return;
    }
}

// Follows the same runs as the two puts above; an explicit stack, since the
// nesting comes from the model text.
void Evaluator::collectBranchColumns(std::vector<int>& cols) const
{
    std::vector<const Evaluator*> pending {this};
    auto addRun = [&](const Evaluator* pRun, unsigned n, bool inSwitch) {
        const bool nested = n == 1 && (pRun->_type == Type::IfThenElse || (inSwitch && pRun->_type == Type::Switch));
        if (nested)
            pending.push_back(pRun);
        else
            for (unsigned i = 0; i < n; ++i)
                cols.push_back(pRun[i]._varIndex);
    };
    while (!pending.empty())
    {
        const Evaluator* pNode = pending.back();
        pending.pop_back();
        if (pNode->_type == Type::IfThenElse)
        {
            addRun(pNode->_pThen, pNode->_nConsts, false);
            if (pNode->_nVars)
                addRun(pNode->_pElse, pNode->_nVars, false);
            continue;
        }
        MU_ASSERT_MSG(pNode->_type == Type::Switch, "pNode->_type == Type::Switch");
        for (const Evaluator* pCase = pNode; pCase; pCase = pCase->_pElse)
            if (pCase->_nConsts)
                addRun(pCase->_pThen, pCase->_nConsts, true);
    }
}

template void Evaluator::addTripletsToSolver(CU&, sparse::ISolver<Value, int>*, int) const;
template void Evaluator::addTripletsToSolver(CU&, sparse::IMatrix<int, Value>*, int) const;
template void Evaluator::addSwitchTripletsToSolver(CU&, sparse::ISolver<Value, int>*, int) const;
template void Evaluator::addSwitchTripletsToSolver(CU&, sparse::IMatrix<int, Value>*, int) const;
template void Evaluator::addTripletsToSolver(CU&, BranchPlaces::Writer*, int) const;
template void Evaluator::addSwitchTripletsToSolver(CU&, BranchPlaces::Writer*, int) const;
} // namespace SL_NS
