#pragma once
// One expression of a model as a binary tree over pooled tokens: built from
// the lexer's token list by an operator-precedence parser, rewritten by the
// tree algebra (which simplifies as it merges), differentiated per variable,
// and written out as a postfix program into an evaluator. Nodes and tokens
// come from the solver's pools and outlive the tree object.
#include <expr/Build.h>
#include <expr/ExpTreeNode.h>
#include <expr/Token.h>
#include <cnt/FixNumSet.h>
#include <cnt/ListSL.h>
#include <cnt/StackExt.h>
#include <sc/TokenizedModel.h>

#include <cstdint>

namespace SL_NS
{
class Evaluator;
class FnLimits;
struct ExpressionPools;
struct SolverData;

class ExpressionTree
{
public:
    enum class Kind : std::uint8_t
    {
        Plain = 0,
        IfThenElse = 1,
        SwitchCase = 2
    };

    enum class BasicOperation : std::uint8_t
    {
        Add = 0,
        Subtract,
        Multiply,
        Divide
    };

    using NodeStack = cnt::StackExt<ExpTreeNode*, 65536>;
    using FnStack = cnt::StackExt<_fnEntry, 1024>;

    explicit ExpressionTree(bool simplify = true);
    ExpressionTree(SolverData* pSolverData, FnLimits* pFnLimits, int nVars, bool simplify);
    // An inner tree over the same pools as pOther (function arguments, lim).
    explicit ExpressionTree(ExpressionTree* pOther);
    // Nodes and tokens come from treePools, programs from the solver data's
    // pools: a batch's trees may be built in one set of pools while another
    // batch's are written on another thread.
    void init(SolverData& solverData, int nVars, ExpressionPools& treePools);
    void init(SolverData& solverData, int nVars);
    // Messages and the memory of programs go through data from now on (the
    // thread that writes the programs has its own).
    void reportTo(SolverData& data) { _pSolverData = &data; }
    SolverData* reportsTo() const { return _pSolverData; }
    // A token from the tree's pools.
    Token* createToken() const;
    // Where the programs written for the tree take their memory.
    ExpressionPools& programPools() const;

    // Building.
    bool makeExpressionTree(TokenList* pList, sc::ExpressionType type);
    bool makeExpressionTree(TokenList* pList, TokenList::iterator& it, Token::Type endType);
    // Closes a tree that the model compiler fed node by node through srediStack.
    bool makeExpressionTree(sc::TokenizedModel::iterator&, unsigned, sc::Token, sc::Token);
    bool srediStack(ExpTreeNode* newNode);
    bool emptyStack();
    // The root of a tree made elsewhere (a derivative); it is counted when
    // its program is written.
    void setTreeNode(ExpTreeNode* pRoot);
    // An inner tree (a function's second argument, a limited expression) is
    // built by a builder of its own: their nesting is bounded, so that no
    // text can take the call stack deeper.
    static constexpr std::uint16_t maxNesting = 1000;

    // Output and queries.
    bool createPostFix(Evaluator* pEvaluator);
    // The program of one subtree of this tree (a value several programs share).
    bool createPostFix(ExpTreeNode* pRoot, Evaluator* pEvaluator);
    // Makes a subtree a leaf that reads a shared slot, in every tree that
    // holds it.
    static void replaceBySharedValue(ExpTreeNode* pNode, Token* pSlotToken);
    // Makes a subtree the negation 0 - slot of a slot read (pMinus, pZero and
    // pRead: the operator and the two leaves), in every tree that holds it.
    static void replaceByNegation(ExpTreeNode* pNode, Token* pMinus, ExpTreeNode* pZero, ExpTreeNode* pRead);
    void calcNoOfTokensAndData();
    // The longest program written: past it a derivative has swollen beyond
    // any use, and the load fails.
    static constexpr std::uint32_t maxProgramTokens = 1u << 25;
    void populateUsedVars(cnt::FixNumSet<int>& set) const;
    void populateUsedVars(const ExpTreeNode* pNode, cnt::FixNumSet<int>& set) const;
    ExpTreeNode* getRoot() const;
    bool isEmpty() const { return _operandStack.isEmpty(); }
    // A walk over many trees, at tree i of n, brings the next ones into the
    // cache ahead of their turn, in steps a few trees apart, one read further
    // towards the root each (the tree, the entry that holds its root, the
    // root, the root's token and operands): the misses overlap.
    static void prefetchAhead(ExpressionTree* const* pTrees, std::size_t n, std::size_t i);
    // A node a walk reads soon (it may straddle two cache lines), and the
    // token and operands of one it visits soon, brought into the cache.
    static void prefetchNode(const ExpTreeNode* pNode)
    {
        __builtin_prefetch(pNode);
        __builtin_prefetch(reinterpret_cast<const char*>(pNode + 1) - 1);
    }
    static void prefetchOperand(const ExpTreeNode* pNode)
    {
        __builtin_prefetch(pNode->pToken);
        if (pNode->isLeaf())
            return;
        prefetchNode(pNode->pLeftNode);
        if (pNode->pRightNode)
            prefetchNode(pNode->pRightNode);
    }

    // Node utilities: every node comes from the tree's pools.
    ExpTreeNode* createNode() const;
    ExpTreeNode* createNode(Token::Type type, int index) const;
    ExpTreeNode* createNode(double value) const;
    ExpTreeNode* createNode(const Value& value, Token::Type type) const;
    ExpTreeNode* cloneNode(const ExpTreeNode* pNode) const;
    ExpTreeNode* cloneTree(const ExpTreeNode* pNode) const;
    // Marks a subtree as reached from more than one place: a rewrite then
    // copies it instead of changing it.
    static ExpTreeNode* share(ExpTreeNode* pNode);
    ExpTreeNode* ownNode(ExpTreeNode* pNode) const;

    // Tree algebra: every rewrite builds its arithmetic through the merge,
    // which simplifies while it builds when the tree's switch is on. An
    // operand is handed over (the merge may rewrite it) or, with its clone
    // flag, borrowed from another tree: the result then refers to it, marked
    // shared, and nothing changes it. A shared node is borrowed whatever its
    // flag says.
    ExpTreeNode* mergeUsingBasicOperation(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                          BasicOperation op) const;
    bool areNodesIdentical(const ExpTreeNode* a, const ExpTreeNode* b) const;
    ExpTreeNode* createPower(ExpTreeNode* pNode, int exponent, bool clone) const;
    ExpTreeNode* createPowerReal(ExpTreeNode* pNode, double exponent, bool clone) const;
    ExpTreeNode* minusOne(ExpTreeNode* pNode) const;
    // A constant typed by its value: integer or real (imaginary or complex).
    ExpTreeNode* createConstant(const Value& value) const;
    ExpTreeNode* createFunctionTree(Token::Type function, ExpTreeNode* pNode, bool clone) const;
    // Edits of a tree of one's own, none of whose nodes is shared.
    ExpTreeNode* getParentNode(const ExpTreeNode* pNode, ExpTreeNode* pRoot) const;
    bool removeNode(ExpTreeNode*& pRoot, ExpTreeNode* pTarget) const;
    ExpTreeNode* removeNode(ExpTreeNode*& pRoot, ExpTreeNode* pOpNode, ExpTreeNode* pKeep) const;
    static bool isConstant(const TokenList& tokens);

    // Differentiation. The dependency pass overwrites the node counts with
    // flags (1: that side depends on the variable); makeDifferentiate2 reads
    // them and throws std::invalid_argument where no rule exists.
    void setCurrentDiffVariable(unsigned var);
    int colorTreeWithVariableDependencies(ExpTreeNode* pNode) const;
    bool isVariableUsed(int var);
    ExpTreeNode* makeDifferentiate2(ExpTreeNode* pNode) const;
    // deriv stays empty when the tree does not depend on var.
    bool createDerivative2(ExpressionTree& deriv, int var);
    // While it lives, every node of the tree carries a digest of the
    // variables below it: for a run of derivatives of one tree over its
    // variables vars, during which the tree does not change. With at most 16
    // variables (and no lim) the digest holds one bit per variable and tells
    // each side's dependency without a walk; otherwise a bit stands for a
    // class of variables, and the dependency pass walks only the sides whose
    // digest has the variable's bit.
    class VariableDigest
    {
    public:
        VariableDigest(ExpressionTree& tree, const cnt::FixNumSet<int>& vars);
        ~VariableDigest() { _tree._pDigest = nullptr; }
        VariableDigest(const VariableDigest&) = delete;
        VariableDigest& operator=(const VariableDigest&) = delete;

        const ExpTreeNode* root() const { return _pRoot; }
        bool exact() const { return _nExact > 0; }
        // The bit of a variable in an exact digest, 0 for one outside vars.
        std::uint16_t exactBit(unsigned var) const;

    private:
        template <typename LeafDigest>
        bool digest(LeafDigest leafDigest);

        ExpressionTree& _tree;
        ExpTreeNode* _pRoot;
        unsigned _nExact = 0;
        int _exactVars[16] = {}; // ascending: a variable's bit is its position
    };
    // Conditional derivatives over the equation's variables (the solver
    // data's last-used set): pDeriv becomes an if-then-else evaluator with its
    // own condition program, or a switch whose cases share the conditions of
    // pSwitchEvaluator, the equation's own switch.
    bool createIfThenDerivative2(Evaluator* pDeriv);
    bool createSwitchDerivative2(Evaluator* pDeriv, Evaluator* pSwitchEvaluator);

    // Set by the model compiler.
    ExpressionTree* _condET = nullptr;
    ExpressionTree* _pThenET = nullptr;
    ExpressionTree* _elseET = nullptr; // else branch, or the next switch case
    int _resultSymbol = -1;
    Kind _kind = Kind::Plain;
    std::uint8_t _assignToParent = 0;
#if SL_COMPLEX
    std::uint8_t _assignPart = 0; // 0 whole value, 1 real part, other imaginary part
#endif
    char _assignOper = '=';

    std::uint32_t _noOfConsts = 0;
    std::uint32_t _noOfVars = 0;
    std::uint32_t _noOfParams = 0;
    std::uint32_t _noOfTokens = 0;
    std::uint8_t _errorCode = 0;

private:
    enum class State : std::uint8_t
    {
        Start,
        AfterFunctionOpen,
        AfterOperator,
        AfterOperand
    };
    struct Builder;

    void bindPools(SolverData* pSolverData, FnLimits* pFnLimits, int nVars, ExpressionPools* pTreePools);
    // Over the pools, data and limits of other (a derivative's tree).
    void bindLike(const ExpressionTree& other);
    void resetCounts();
    void countNode(const ExpTreeNode* pNode);
    bool calcNoOfTokensAndData(ExpTreeNode* pNode);
    // One step of writing a program: a node to expand or a token to append.
    struct PostFixStep
    {
        const Token* pToken;
        const ExpTreeNode* pNode;
    };
    static PostFixStep stepOf(const ExpTreeNode* pNode);
    void planNode(const ExpTreeNode* pNode, WalkStack<PostFixStep>& steps) const;
    bool makePostFix(const ExpTreeNode* pRoot);
    bool writeProgram(ExpTreeNode* pRoot, Evaluator* pEvaluator);
    bool writeBranch(ExpressionTree* pTree, Evaluator*& pEvaluator);
    void addCounts(const ExpressionTree& other);
    bool registerLimit(ExpTreeNode* pLim, ExpressionTree& inner);
    void removeBoundsFromCounts(const ExpTreeNode* pMin);
    bool addLimitDerivatives(unsigned limitID);
    bool reduce();
    bool bindOperandToTop();
    bool bindNots();
    bool closeGroup();
    bool missingOperand();
    void logError(const char* key, std::uint8_t code, const char* argument = nullptr, const char* second = nullptr);
    static constexpr unsigned prefetchSteps = 4;
    void prefetch(unsigned step) const;

    ExpTreeNode* mergeWorker(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                             BasicOperation op) const;

    ExpressionPools* _pPools = nullptr;
    SolverData* _pSolverData = nullptr;
    FnLimits* _pFnLimits = nullptr;
    Evaluator* _pEvaluator = nullptr;
    NodeStack _opStack;
    NodeStack _operandStack;
    FnStack _multiParamFnStack;
    int _nVars = 0;
    unsigned _currentDiffVar = 0;
#if SL_COMPLEX
    unsigned _currentDiffPartner = 0; // the conjugate slot of the variable
#endif
    std::uint8_t _simplify = 1;
    std::uint16_t _nesting = 0;               // of inner trees (maxNesting)
    mutable int _mergeDepth = 0;              // of the merge rules now running, one within another
    mutable ExpTreeNode* _pOne = nullptr;     // the derivative of a variable, shared by all derivatives
    const VariableDigest* _pDigest = nullptr; // what the nodes of the tree carry now
    // The digest of the tree's nodes when pRoot is its root; null otherwise.
    const VariableDigest* digestOf(const ExpTreeNode* pRoot) const;
    std::uint16_t diffDigestBits() const;

    // Tree algebra and differentiation.
    struct Derivation; // the rules for one variable (below a conj: its partner)
    struct Run;        // derivative programs of one branch, one per variable
    ExpTreeNode* createOperatorNode(Token::Type op, ExpTreeNode* pLeft, ExpTreeNode* pRight) const;
    ExpTreeNode* mergeQuotients(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                BasicOperation op) const;
    ExpTreeNode* simplifiedMerge(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                 BasicOperation op) const;
    ExpTreeNode* mergeWithConstant(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                   BasicOperation op) const;
    ExpTreeNode* absorbConstant(ExpTreeNode* pChain, bool cloneChain, const Value& c, bool constantOnLeft,
                                BasicOperation op) const;
    ExpTreeNode* mergeNegations(ExpTreeNode* left, ExpTreeNode* right, bool cloneLeft, bool cloneRight,
                                BasicOperation op) const;
    ExpTreeNode* mergeIdentical(ExpTreeNode* left, bool cloneLeft, BasicOperation op) const;
    ExpTreeNode* negate(ExpTreeNode* pNode, bool clone) const;
    ExpTreeNode* takeSign(ExpTreeNode* pNode, int depth) const;
    bool deriveBranch(ExpressionTree* pBranch, Run& run, const char* noVarsKey, const char* failKey);
    bool deriveForUsedVars(ExpressionTree* pBranch, Run& run, const char* noVarsKey, const char* failKey);
};
} // namespace SL_NS
