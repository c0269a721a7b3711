#pragma once
// The model compiler for models written as XML: the products of model text
// (initial values, f(x) and its Jacobian, processing and limit groups,
// generators, statistics, child models) read from the elements and
// attributes of a document given as a file or as text. Every failure writes
// English entries into the solver's error text.
//
// The section readers are templates over the node iterator of the document,
// which differs by source; both instances behave alike.
#include <compile/RPNDerivParser.h>
#include <expr/Build.h>
#include <expr/ErrorStr.h>
#include <expr/SolverData.h>
#include <td/BufferString.h>
#include <td/String.h>
#include <xml/DOMParser.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace SL_NS
{
class CompileTarget;
class Evaluator;
class EvaluatorVect;

using XmlFileDocument = xml::DOMParser<td::BufferString<char, 4096, 0>, 1023u, false>;
using XmlTextDocument = xml::DOMParser<td::BufferString<char, 0, 0>, 255u, true>;
using XmlFileNode = XmlFileDocument::node_iterator;
using XmlTextNode = XmlTextDocument::node_iterator;

class XmlModelReader : public RPNDerivParser
{
public:
    // How deep Init models in Init models may nest: each level is a solver,
    // read one call deeper. Conditions nest as deep as in model text.
    static constexpr unsigned maxInitNesting = 32;

    // depth: how many Init levels hold the model (0 for a main model).
    explicit XmlModelReader(CompileTarget& target, unsigned depth = 0);

    // The entries by kind: the string is a path or the XML text, as the
    // solver data's source type says. Newton-Raphson:
    bool getFxAndJacEvaluators(const td::String& model, SolverData* pData, EvaluatorSparseMatrix* pJacobian);
    // Least squares: the measurements with their weights, the constraints.
    bool getFxAndMeasJacEvaluators(const td::String& model, SolverData* pData, const MeasurementTargets& targets);
    // The integrators: one right-hand side per state for the explicit one;
    // the system of one time step with its Jacobian for the implicit one.
    bool getFxEvaluatorsForODE(const td::String& model, SolverData* pData);
    bool getFxAndJacEvaluatorsForDAE(const td::String& model, SolverData* pData, EvaluatorSparseMatrix* pJacobian);

    // A child model of an Init section, read into the target of this reader.
    template <typename TNode>
    bool initFromNode(const TNode& model, SolverData* pData, EvaluatorSparseMatrix* pJacobian);

private:
    // A symbol whose initial value reads other symbols: evaluated once all
    // plain values are in place.
    struct VarAndExpression
    {
        td::String text;
        int symbol;
    };

    // Assignments read alike in the processing groups and in the limit
    // groups, with the messages of each.
    enum class Form : std::uint8_t
    {
        Processing,
        Limit
    };
    struct FormTexts;
    static const FormTexts& textsOf(Form form);

    // An entry in the error text and false.
    template <typename... Args>
    bool fail(const char* format, const Args&... args);
    // The same followed by the item entry of the current section.
    template <typename... Args>
    bool failItem(unsigned item, const char* format, const Args&... args);

    template <typename TRead>
    bool readDocument(const td::String& model, const char* fileFailure, TRead read);

    // The root element and the model kinds.
    template <typename TNode>
    bool checkModelTypeAndDomain(const TNode& root, const char* type);
    template <typename TNode>
    bool parseNRModelFromNode(const TNode& model);
    template <typename TNode>
    bool parseWLSModel(const TNode& model, dense::DiagMatrix<double>& weights);
    template <typename TNode>
    bool parseODEModel(const TNode& model);
    template <typename TNode>
    bool parseDAEModel(const TNode& model);
    // PreProc, Limits and PostProc.
    template <typename TNode>
    bool parseGroups(const TNode& model);

    // Declarations and initial values.
    template <typename TNode>
    bool parseVarsAndParams(const TNode& vars, const TNode& params);
    // Dynamic models: the positions of t and dT, declared or added after
    // the declared parameters (dT first).
    template <typename TNode>
    bool findTimeParams(TNode param);
    // The symbol of each Var; in a DAE model a state is followed by its
    // stage variables.
    template <typename TNode>
    void layOutVariables(TNode var);
    template <typename TNode>
    bool nameVariables(TNode var);
    // The parameters a dynamic model adds: t, dT, the history values.
    void nameAddedParams(int nDeclared);
    // The step of Params dT, the start time; the states with their stage
    // variables and histories (the transfer functions' from firstTFState).
    template <typename TNode>
    void setTimeValues(const TNode& params, int nDeclared);
    void copyStateValues(int firstTFState);
    template <typename TNode>
    bool nameParameters(TNode param, int nParentParams);
    template <typename TNode>
    bool readInitialValues(TNode it, SolutionLocation location, int firstSymbol, bool allOut,
                           std::vector<VarAndExpression>& deferred);
    bool parseInitialValueExpression(int symbol, const td::StringExt& text, std::vector<VarAndExpression>& deferred);
    bool evaluateDeferred(const std::vector<VarAndExpression>& deferred, SolutionLocation location);
    int parentParamCount() const;

    // Differential equations: x' = f or x = E(int(f)) in the fx of an Eq.
    struct DiffEquation
    {
        const td::StringExt* pFx = nullptr;
        std::string_view name; // of the state variable
        const char* rhs = nullptr;
        bool integral = false;
    };
    bool getDiffEqVariableName(const td::StringExt* pFx, DiffEquation& eq);
    // The state's symbol; -1 after an entry.
    int getDiffEqVariableIndexAndFx(DiffEquation& eq);
    // The right-hand side's tree (see readIntegralForm); the state's
    // symbol, or -1 after an entry.
    int parseDifferentialEquation(const td::StringExt* pFx, ExpressionTree& tree, ExpTreeNode*& pIntNode,
                                  bool removeInt);
    // DAE: the names of the states, before the variables are laid out.
    template <typename TNode>
    bool collectStateNames(TNode eq);
    bool isStateName(std::string_view name) const;
    // Every equation's state declared, a variable, and no state twice.
    template <typename TNode>
    bool checkStateVariables(TNode eq);
    template <typename TNode>
    bool parseRightHandSides(TNode eq);
    template <typename TNode>
    bool discretiseEquations(TNode eq, unsigned& row);
    // The item entry of equation index of the section being read, and false.
    bool failEquation(unsigned index);
    // A second '=' in an expression would be read as a difference.
    static bool holdsAssignment(const TokenList& tokens);

    // Transfer functions: y / u = N(s) / D(s) in the fx of an Eq of TFs,
    // read before the declarations for the states they add (a name not
    // declared yet stands for a coefficient), then again over the symbols.
    struct TFText
    {
        const td::StringExt* pFx = nullptr;
        std::string output;
        std::string input;
        const char* fraction = nullptr; // after the '='
    };
    template <typename TNode>
    bool readTransferFunctionForms(TNode eq);
    bool splitTransferFunction(const td::StringExt* pFx, TFText& text);
    bool lexTransferFunction(const TFText& text, ExpressionTree& tree, bool sizing);
    // Output and input: declared variables, each output of one transfer
    // function only.
    template <typename TNode>
    bool resolveTransferFunctionSymbols(const TNode& params);
    // The symbol of a Var of that name; -1 for any other name.
    int declaredVariable(const std::string& name) const;
    bool writeTransferFunctions(unsigned& row);
    bool failTransferFunction(const TFText& text, TFFault fault);

    // Equations.
    // Room for n equations of a kind and their Jacobian entries.
    void reserveEquations(char kind, unsigned n);
    // The Eq elements from eq on as equations of kind 'F', 'H' (each with
    // its weight into pWeights) or 'E', rows firstRow on.
    template <typename TNode>
    bool parseNLEquations(const TNode& eq, char kind, dense::DiagMatrix<double>* pWeights = nullptr,
                          unsigned firstRow = 0);
    // A measurement's w: a number in the syntax of val, not negative, or the
    // magnitude of a symbol's initial value; 1 when absent.
    template <typename TNode>
    bool readWeight(const TNode& eq, double& weight);
    template <typename TNode>
    bool parseNLEquation(const TNode& eq, unsigned index, char kind);
    template <typename TNode>
    bool parseIfEquation(const TNode& eq, ExpressionTree& tree, unsigned depth);
    template <typename TNode>
    ExpressionTree* parseBranchEquation(const TNode& branch, bool isThen, const char* condition, unsigned depth);
    // The programs of the equations read so far (the trees go back).
    bool writeEquationPrograms();
    // lhs = rhs as its residual lhs-(rhs); false after its entries.
    bool parseEquation(const char* text, ExpressionTree& tree);

    // Processing groups, limit groups and their assignments.
    template <typename TNode>
    bool parsePreOrPostProcData(const TNode& model, const char* element, SolutionLocation location,
                                EvaluatorVect& target);
    template <typename TNode>
    bool parseLimits(const TNode& model);
    template <typename TNode>
    bool parseAssignmentEq(const TNode& eq, Evaluator* e, Form form, unsigned depth);
    template <typename TNode>
    bool parseAssignmentIf(const TNode& eq, Evaluator* e, Form form, unsigned depth);
    template <typename TNode>
    bool parseAssignmentBranch(const TNode& branch, bool isThen, const char* condition, Form form, unsigned depth,
                               Evaluator*& pRun, unsigned& n);
    template <typename TNode>
    bool readSignal(const TNode& branch, bool isThen, const char* condition, sc::ISignal::Type& signal);
    bool parseAssignmentText(const char* text, Evaluator* e, Form form);
    // The target of "name op expression" or "name << ...": null after an entry.
    const char* getSymbolNameInAssignmentEq(const char* text, std::size_t& exprStart, char& type);
    // The symbol an assignment writes (the parent's for a name beginning
    // with "base."), -1 when there is none, -2 after an entry; part chooses
    // a part of a complex value.
    int parseAssignmentVariable(const char* name, unsigned char& fromParent, unsigned char& part);
    // A text into e: 0, or 1 when it does not parse, 2 when its tree cannot
    // be made, 3 when its program cannot be written.
    int compileText(const char* text, Evaluator* e);

    // Statistics and random generators.
    template <typename TNode>
    bool parseStats(const TNode& model);
    template <typename TNode>
    bool parseRndGenerators(const TNode& model);
    // The statistic that "name << rest" feeds, after its expressions went to
    // the statistic's inputs; -1 after an entry.
    int parseStatsAssignment(const char* name, const char* rest);

    // Child models.
    template <typename TNode>
    bool parseInitModels(const TNode& model);
    template <typename TNode>
    bool initChildModel(const TNode& model, unsigned k);

    std::string _text;                    // an equation as its residual, a part of an assignment
    std::vector<int> _varSymbols;         // of each Var, in document order
    std::vector<std::string> _stateNames; // sorted
    std::vector<TFText> _tfTexts;         // of _tfs, in their order
    std::string _name;                    // an assignment's target
    unsigned _depth;
};

template <typename... Args>
bool XmlModelReader::fail(const char* format, const Args&... args)
{
    _pSolverData->appendError(format, args...);
    return false;
}

template <typename... Args>
bool XmlModelReader::failItem(unsigned item, const char* format, const Args&... args)
{
    _pSolverData->appendError(format, args...);
    _pSolverData->setEqErrorNo(item);
    return false;
}
} // namespace SL_NS
