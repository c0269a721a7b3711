#pragma once
// The model compiler: turns one level of a tokenized model into what a
// solver runs on: initial values, the residual evaluators f(x) and the
// sparse Jacobian, built by symbolic differentiation of every equation by
// every variable it uses. One compiler serves one model read and owns
// nothing afterwards: its products stay in the solver, its compile target.
#include <expr/Build.h>
#include <expr/Discretisation.h>
#include <expr/EvaluatorSparseMatrix.h>
#include <expr/EvaluatorVect.h>
#include <expr/ExpressionTree.h>
#include <expr/RPNParser.h>
#include <expr/TransferFunction.h>
#include <cnt/FixNumSet.h>
#include <sc/ISignal.h>
#include <sc/ModelLevel.h>
#include <sc/Naming.h>
#include <sc/TokenizedModel.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <memory>
#include <span>
#include <vector>

namespace dense
{
template <typename T>
class DiagMatrix;
}

namespace SL_NS
{
class CompileTarget;
struct SolverData;

// Where the measurement entry puts what only a measurement model has: the
// measurement residuals and their Jacobian H go to the compile target's f(x)
// and to measurementJacobian, the constraint residuals and their Jacobian C
// to their own stores.
struct MeasurementTargets
{
    EvaluatorSparseMatrix* pMeasurementJacobian;
    dense::DiagMatrix<double>* pWeights; // one per measurement
    EvaluatorVect* pConstraints;
    EvaluatorSparseMatrix* pConstraintJacobian;
};

class RPNDerivParser : public RPNParser
{
public:
    using ModelIterator = sc::TokenizedModel::iterator;

    // Over the target's symbol names and values.
    explicit RPNDerivParser(CompileTarget& target);
    ~RPNDerivParser() override;

    bool isClearLastUsed() override { return _collecting; }
    // Records a variable of the equation being compiled; with conjugate
    // variables both the variable and its partner, since the Jacobian needs
    // the derivative by each of them.
    bool addLastUsedVar(int v) override;
    // The compile has ended: the pools its trees came from go back to the heap.
    void releaseRes();

    // The Newton-Raphson entry: initial values, f(x) and the Jacobian.
    bool getFxAndJacEvaluators(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData* pData,
                               EvaluatorSparseMatrix* pJacobian, sc::ModelLevel level);

    // The measurement entry: initial values, the measurements h(x) = z with
    // their weights and Jacobian, the equality constraints c(x) = 0 with theirs.
    bool getWLSEvaluators(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData* pData,
                          const MeasurementTargets& targets, sc::ModelLevel level);
    // The dynamic entries: one right-hand side per state for the explicit
    // integrator; one discretised step system with its Jacobian for the
    // implicit one.
    bool getFxEvaluatorsForODE(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData* pData,
                               sc::ModelLevel level);
    bool getFxAndJacEvaluatorsForDAE(const sc::Naming* pNaming, const sc::TokenizedModel* pModel, SolverData* pData,
                                     EvaluatorSparseMatrix* pJacobian, sc::ModelLevel level);

    int getNumVariables() const { return _nVars; }
    int getNumParameters() const { return _nParams; }

protected:
    // The reader of models written as XML derives from the compiler and
    // shares its sections below.
    struct Deferred
    {
        int symbol;
        std::uint32_t lineRecord; // where the declaration stands
    };

    // Where a message points: the line and the column of the token at
    // fault; of the line's first token for a message about the whole line.
    struct Position
    {
        std::uint32_t line = 0;
        std::uint32_t column = 0;
    };
    static Position positionOf(const ModelIterator& it, unsigned token = 0);

    CompileTarget& solver() const { return _target; }
    // The model a compile reads and the solver data it fills.
    void bindModel(const sc::TokenizedModel* pModel, SolverData* pData);
    bool startEntry(const sc::TokenizedModel* pModel, SolverData* pData, sc::ModelLevel level);
    void logAt(const char* key, const Position& at);
    void logAt(const char* key, const ModelIterator& it, unsigned token = 0) { logAt(key, positionOf(it, token)); }

    // Variables, parameters and initial values.
    bool parseVarsAndParams(const sc::Naming* pNaming, sc::ModelLevel level);
    void nameSymbols(const sc::Naming* pNaming, sc::ModelLevel level);
    void setSymbolInfo(sc::ModelLevel level);
    bool parseInitialValues(sc::Group group, sc::ModelLevel level, std::vector<Deferred>& deferred);
    bool evalInitialValueExpression(Value& value, const ModelIterator& it, unsigned firstToken);
    bool evalInitialValuesWithDependency(const std::vector<Deferred>& deferred, sc::ModelLevel level);
    // The expression of the token list, run once over the present values;
    // false when its tree or program cannot be made.
    bool evaluateTokenList(Value& value);
    int symbolOf(const sc::_TokV& tok) const;

    // kind 1 the explicit, 2 the implicit integrator.
    void startDynamicEntry(const sc::TokenizedModel* pModel, SolverData* pData, sc::ModelLevel level,
                           std::uint8_t kind);
    // Differential equations. The form's variable, with offset the first
    // token of the right-hand side; -1 (logged) for a line of no form.
    int getDiffEqVariableIndex(const ModelIterator& it, unsigned& offset);
    // The right-hand side into tree (x = E(int(f)) keeps its int node unless
    // removeInt); the equation's variable, or -1 when logged.
    int parseDifferentialEquation(const ModelIterator& it, ExpressionTree& tree, ExpTreeNode*& pIntNode,
                                  bool removeInt);
    // The tree of an integral form x = E(int(f)) (the tree builder refuses
    // an int without argument): its int node must be a factor, and the rest of E must read no variable and
    // not the time. removeInt leaves f alone in the tree.
    enum class IntegralForm : std::uint8_t
    {
        Valid,
        NotAFactor,
        ReadsStates
    };
    IntegralForm readIntegralForm(ExpressionTree& tree, ExpTreeNode*& pIntNode, bool removeInt) const;
    // The method a model names into the solver data; false for a name of none.
    bool setIntegrationMethod(const char* name);
    void getIntegrationMethod(sc::ModelLevel level);
    void initButcher(matrix::Butcher<3>& tableau) const;
    // The variables of the ODEs lines, ascending; false (logged) for a line
    // without one or a variable with two equations.
    bool collectDifferentialVariables(sc::ModelLevel level);
    bool readTimeParams(const sc::Naming* pNaming, sc::ModelLevel level);
    // The stage variables and history parameters of a discretised model.
    // Stage variables per state of the model's method.
    int stagesOfMethod() const;
    void sizeForTimeDiscretisation();
    // Names x#k1, x#k2, ... from index first on, and x@_ at index.
    void addStageVariableNames(sc::StringPool& pool, const char* name, int first) const;
    static void addHistoryParamName(sc::StringPool& pool, const char* name, int index);
    void nameStageVariables(sc::StringPool& pool) const;
    void nameHistoryParams(sc::StringPool& pool) const;
    // Every variable algebraic at first; then var a state with its history
    // parameter and first stage variable.
    void resetDAEVarMap();
    void markStateVariable(int var, int historyParam, int firstStage);
    void markStateVariables();
    _timeVars stepVars() const;
    // The residual rows of one differential equation (E(int(f)) with its int
    // node, or f): one for Euler and the trapezoid, the stages and the
    // update for Gauss-Legendre.
    void expandForMethod(const Discretisation& d, const ExpTreeNode* pRoot, const ExpTreeNode* pIntNode,
                         const matrix::Butcher<3>& tableau, ExpTreeNode** rows) const;
    bool discretiseEquations(sc::ModelLevel level, unsigned& row);
    // The rows of one step of var's equation (the tree of x' = f, or of
    // x = E(int(f)) with its int node) from row on.
    bool discretiseEquation(ExpressionTree& tree, ExpTreeNode* pIntNode, int var, const matrix::Butcher<3>& tableau,
                            unsigned& row);
    bool compileDiscretisedRow(ExpTreeNode* pRoot, unsigned row);
    bool compileRightHandSides(sc::ModelLevel level);
    // The explicit integrator's right-hand side of equation eq, for variable var.
    void reserveRightHandSides();
    bool addRightHandSide(ExpressionTree& tree, unsigned eq, int var);
    // Transfer functions: the TFs lines read and checked into _tfs (false,
    // logged, for a line of no form), the symbols they add, and their rows.
    bool parseTFs(sc::ModelLevel level);
    bool lexTransferFunction(const ModelIterator& it, ExpressionTree& tree);
    // The variable a TF line names at token; -1 (logged) for another symbol.
    int transferFunctionSymbol(const ModelIterator& it, unsigned token, const char* undeclaredKey,
                               const char* notVariableKey);
    void sizeForTransferFunctions();
    void nameTransferFunctionVariables(sc::StringPool& pool) const;
    void nameTransferFunctionHistories(sc::StringPool& pool) const;
    // The states after the ODEs' symbols, at nextVar and nextParam on.
    void markTransferFunctionStates(int& nextVar, int& nextParam);
    bool compileTransferFunctions(sc::ModelLevel level, unsigned& row);
    bool compileTransferFunction(const ModelIterator& it, const sTF& tf, const matrix::Butcher<3>& tableau,
                                 unsigned& row);
    // A short line adds many states (1/s^65535 adds 65535, each with its
    // stages and rows): past this many in one model the load fails instead
    // of exhausting the memory.
    static constexpr std::size_t maxTransferFunctionStates = std::size_t(1) << 18;
    // Why the rows of a transfer function could not be written.
    enum class TFFault : std::uint8_t
    {
        None,
        Coefficients,
        StateSpace,
        StateRow,
        OutputRow
    };
    // The state-space rows of tf from its tree (y / u's fraction, over the
    // model's symbols), from row on.
    TFFault writeTransferFunction(ExpressionTree& tree, const sTF& tf, const matrix::Butcher<3>& tableau,
                                  unsigned& row);

    // Equations.
    bool parseNLEquation(ModelIterator& it, unsigned eq, unsigned& count, char kind);
    bool createNLJacAndFx(ExpressionTree& tree, unsigned eq, unsigned& count, char kind);
    // A group of equation lines of one kind ('F', 'H' or 'E'), each reported
    // with errorKey at its line when it fails.
    bool parseEquations(sc::Group group, sc::ModelLevel level, unsigned nEquations, char kind, const char* errorKey,
                        unsigned firstRow = 0);
    // The weight of the measurement line at it (1 without a w attribute);
    // false for a weight that is no number, truth value or symbol, and for
    // a negative number.
    bool readWeight(const ModelIterator& it, double& weight) const;
    // Around the equation sections of the static entries: from the start
    // on, a large model's full batches may go to a writer thread (when the
    // solver may use threads); the end writes every pending program and
    // leaves the compile on this thread again.
    void beginEquations();
    bool endEquations();
    // Writes the pending programs once they hold a batch's worth of nodes:
    // on the writer thread when the compile has one, else here.
    bool writeFullBatch();
    // Writes the pending programs here, after the writer thread's batch.
    bool writePendingEquations();
    // Waits for the writer thread's batch and hands its messages on; false
    // when its programs could not be written.
    bool finishWriting();
    bool parseIfEquation(ModelIterator& it, ExpressionTree& tree, sc::Group group, unsigned nesting);
    bool parseSwitch(ModelIterator& it, ExpressionTree& tree, sc::Group group);
    bool lexLine(const ModelIterator& it, unsigned offset, sc::ExpressionType& type);

    // Supplementary groups, limits, generators, statistics and the sub-model.
    bool parseSupplementaryGroups(const sc::Naming* pNaming, sc::ModelLevel level);
    bool parseSupplementaryGroup(sc::SupplementaryGroup g, sc::ModelLevel level);
    // 0 failure, 1 an assignment or a completed if, 4 a switch, 8 a bare
    // repeat, End for an if without else.
    // The line's tokens from first on (a case line's inline body starts after ->).
    // nesting: the blocks around the line. A block compiles its lines within
    // its own call, so that depth is bounded: no text takes the call stack
    // deeper.
    sc::ExpressionType parseAssignmentEq(ModelIterator& it, unsigned first, Evaluator* e, sc::Group group,
                                         unsigned nesting);
    sc::ExpressionType parseAssignmentIf(ModelIterator& it, Evaluator* e, sc::Group group, unsigned nesting);
    sc::ExpressionType parseAssignmentSwitch(ModelIterator& it, Evaluator* e, sc::Group group, unsigned nesting);
    bool compileChildren(ModelIterator& it, unsigned n, Evaluator* pRun, sc::Group group, unsigned nesting);
    bool compileExpression(const ModelIterator& it, unsigned first, unsigned end, Evaluator* e);
    char getAssignmentType(const ModelIterator& it, unsigned first, unsigned& pos) const;
    int parseAssignmentVariable(const ModelIterator& it, unsigned first, unsigned char& fromParent);
    // e writes symbol target (the parent's when fromParent; part chooses a
    // part of a complex value) with operator op.
    void setAssignmentTarget(Evaluator* e, int target, unsigned char fromParent, unsigned char part, char op) const;
    bool readSignal(const ModelIterator& it, sc::ISignal::Type& signal) const;
    bool parseLimits(sc::ModelLevel level);
    bool parseSubModel(const sc::Naming* pNaming);
    bool loadDistributions(const sc::Naming* pNaming, sc::ModelLevel level);
    void loadStats(const sc::Naming* pNaming, sc::ModelLevel level);
    int parseStatsAssignment(const ModelIterator& it, unsigned first);
    // The position of -> in a case line (its inline body follows), or 0.
    static unsigned inlineArrow(const ModelIterator& it);
    // Values that several of the trees evaluate alike are computed once, into
    // a shared slot that the trees then read.
    void shareRepeatedSubtrees(ExpressionTree* const* pTrees, unsigned nTrees);
    // Once every program is written: the pass's tables are let go.
    void endSharing();
    struct SharingPass;
    bool shareSubtree(std::span<ExpTreeNode* const> same, std::span<ExpTreeNode* const> negated, ExpressionTree& writer,
                      int slot);
    // Dynamic models: what the residuals read of parameters alone is
    // computed once per time step (the compile target's step constants).
    struct Pending;
    void hoistStepConstants(std::span<const Pending> pending);
    // A tree over the solver's pools that outlives this compile (branches).
    ExpressionTree* newTree();
    void bindTree(ExpressionTree& tree);

    CompileTarget& _target;
    const sc::TokenizedModel* _pModel = nullptr;
    EvaluatorSparseMatrix* _pJacobian = nullptr;
    // The constraints of a measurement model: kind 'E' goes there.
    EvaluatorVect* _pConstraints = nullptr;
    EvaluatorSparseMatrix* _pConstraintJacobian = nullptr;
    cnt::FixNumSet<int> _lastUsed;
    // Residuals and derivatives built but not yet written as programs.
    struct Pending
    {
        ExpressionTree* pTree;
        Evaluator* pEvaluator; // the residual's, already in f(x); null for a Jacobian entry
        EvaluatorSparseMatrix* pJacobian;
        int row;
        int column; // -1 for the residual
        Position at;
    };
    std::vector<Pending> _pending;
    // The programs of a batch's trees, their sharing first; false at the
    // first that fails, with its position in failedAt. The trees' pools are
    // recycled.
    bool writeBatch(std::vector<Pending>& pending, ExpressionPools& treePools, Position& failedAt);
    // The full batch goes to the writer thread; the next one is built in the
    // other set of tree pools meanwhile.
    bool handOverBatch();
    struct BatchWriter;
    // Null when no thread can be started.
    BatchWriter* writer();
    // The pools the trees being built take their nodes from.
    ExpressionPools* _pTreePools = nullptr;
    std::vector<ExpressionTree*> _trees;
    // The nodes of the trees built since programs were last written, past
    // which the next batch is written. Small enough that a batch's trees
    // stay in the cache from their building through the sharing to the
    // writing of their programs (a fifth of the compile of a large grid
    // against batches 16 times larger); an equation and its derivatives
    // are always in one batch, and calls are shared across batches.
    static constexpr std::size_t batchNodes = std::size_t(1) << 14;
    // Kept across batches: the slots of calls made so far, found by their
    // structure.
    std::unique_ptr<SharingPass> _pSharing;
    // The slot of each step constant, by the structural hash of its subtree.
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::uint32_t> _stepConstantSlotOf;
    int _parentNVars = 0;
    int _nDeclaredVars = 0;
    int _nDeclaredParams = 0;
    // Dynamic models: the variables with a differential equation (declared
    // indices, ascending) and the stage values each adds.
    std::vector<int> _diffVars;
    int _nStages = 0;
    std::vector<sTF> _tfs; // one per TFs line, in their order
    bool _collecting = true;
    // Whether full batches of equations go to a writer thread, after the
    // first few: a model of a few batches compiles faster without the
    // thread (the 118-bus grid, of 4, took 8 % longer with it).
    bool _writeOnThread = false;
    static constexpr unsigned batchesBeforeWriter = 4;
    unsigned _fullBatches = 0;
    // Last, so that it ends first: its thread works on the members above.
    std::unique_ptr<BatchWriter> _pWriter;
};
} // namespace SL_NS
