#pragma once
// Reads a model text into a TokenizedModel, in two passes: the header block
// and the declarations first (names must be known before expressions are
// read), then the token lists of the whole body. Lives on the stack of one
// load.
#include <cstdint>
#include <fstream>
#include <optional>
#include <string_view>
#include <sc/ILog.h>
#include <sc/NameIndex.h>
#include <sc/Naming.h>
#include <sc/TokenizedModel.h>
#include <sc/TokenizerBase.h>

namespace mu
{
class LineLoader;
}

namespace sc
{

// Where a line stands among the declarations. Below MainOther is the main
// model, from SubOther on the sub-model.
enum class Location : std::uint8_t
{
    BeforeModel = 0,
    ModelLine = 1,
    MainOutsideDecl = 2,
    MainVars = 3,
    MainDistribs = 4,
    MainStats = 5,
    MainParams = 6,
    MainOther = 7,
    SubOther = 8,
    SubVars = 9,
    SubDistribs = 10,
    SubStats = 11,
    SubParams = 12,
    AfterModel = 14
};

class ModelLoader
{
public:
    using Tokenizer = TokenizerBase<true>;
    static constexpr std::uint32_t ErrorLimit = 32;

    ModelLoader(TokenizedModel& model, bool resetNaming);
    ModelLoader(const ModelLoader&) = delete;
    ModelLoader& operator=(const ModelLoader&) = delete;

    // Header and declarations; the body position (0 when the header failed).
    std::uint32_t loadHeaders(td::MutableString& line, std::ifstream& source,
                              cnt::SafeFullVector<td::Variant>& headerValues);
    std::uint32_t loadHeaders(td::MutableString& line, const td::String& source,
                              cnt::SafeFullVector<td::Variant>& headerValues);
    // The declaration pass; it reports what it meets and never fails.
    bool loadVarsAndParams(mu::LineLoader& source, td::MutableString& line);
    // The body pass; stops at its first error.
    bool createTokenLists(mu::LineLoader& source, td::MutableString& line, Domain domain);
    bool getSolverType(ModelLevel level, _MI& info);
    // The ten header values as they are before a header is read.
    static void setDefaultHeader(cnt::SafeFullVector<td::Variant>& headerValues);

    std::uint32_t getErrorCount() const { return _nErrors; }
    std::uint32_t getHeaderLines() const { return _headerLines; }
    bool isComplex() const { return _complex; }
    std::int32_t getCopyCount() const { return _copyCount; }

    // An error entry, counted, and forwarded while the logger is below the
    // error limit.
    void addLogEntry(const char* key, std::uint32_t line, std::uint32_t column, const char* name, bool nameInBrackets);
    void reportError(const char* key, std::uint32_t line, std::uint32_t column, const char* name = nullptr);
    void reportNoPosition(const char* key);

private:
    friend class TokenizedModel;

    struct HeaderResult
    {
        std::uint32_t bodyPosition = 0;
        std::uint32_t headerLines = 0;
    };
    // The cycle name "=" value of the header's assignments, and its parameter.
    struct HeaderCycle
    {
        enum Step
        {
            Name,
            Assign,
            Value
        } step = Name;
        int param = -1;
    };
    // The cycle name "=" value on a Model or SubModel line.
    struct ModelAttribState
    {
        enum Step
        {
            Name,
            Assign,
            Value,
            SkipLine
        } step = Name;
        AttribID attribID = AttribID::domain;
        td::Variant* pSlot = nullptr;
    };
    struct DeclState;
    struct BodyState;
    enum class Step
    {
        Next,
        LineDone,
        Fail
    };

    std::uint32_t loadHeaders(mu::LineLoader& source, td::MutableString& line,
                              cnt::SafeFullVector<td::Variant>& headerValues);
    HeaderResult loadHeader(cnt::SafeFullVector<td::Variant>& headerValues, td::MutableString& line,
                            mu::LineLoader& source);
    bool headerOpens(Tokenizer& tok, const char*& key);
    const char* headerToken(HeaderCycle& cycle, Tokenizer& tok, Token t, cnt::SafeFullVector<td::Variant>& headerValues,
                            std::uint32_t line);
    static td::Variant headerValue(Token paramType, Token t, const char* text);
    void stateHeaderParam(HeaderCycle& cycle);
    void reportHeader(const char* key, std::uint32_t line, std::uint32_t column, ILog::Type type = ILog::Type::Error);
    HeaderResult headerFailed(const char* key, std::uint32_t line, const Tokenizer& tok);
    static const char* tokenErrorKey(const Tokenizer& tok, const char* key);
    void reportDuplicate(const char* key, const char* name, std::uint32_t line, std::uint32_t column);
    void reportModelInfo(const char* key, std::uint32_t line, std::uint32_t column, ILog::Type type);

    // Declaration pass steps.
    void prepareDeclarations();
    void declarationLine(DeclState& st, const td::MutableString& line, std::uint32_t lineNo);
    void declarationEnd(DeclState& st, std::uint32_t lineNo);
    int declarationGroup(DeclState& st, Group group, const char* text, std::uint32_t lineNo, std::uint32_t col);
    Location getLocation(std::uint32_t line) const;
    std::optional<Location> declarationLocation(Group group, int modelLines, std::uint32_t line) const;
    void declare(const Tokenizer& tok, Group group, int modelLines, std::uint32_t line);
    bool refuseName(const Tokenizer& tok, Group group, int modelLines, std::uint32_t line);
    void insertVarPrParam(const char* name, std::uint32_t line, std::uint32_t column, Location location);
    void addTimeDomainParams();
    void closeRange(int group, std::uint32_t line);
    // The domain attribute's value names the complex domain.
    bool isComplexDomain(const char* text) const;
    void readModelAttribute(Tokenizer& tok, Token t, int level, ModelAttribState& st);
    static std::uint32_t countAssignments(const char* text);
    cnt::Array<LineRange, 2>& rangesOf(Group group) const;

    // Body pass steps.
    Step bodyToken(BodyState& st, Tokenizer& tok, Token t, std::uint32_t line);
    Step fail(const char* key, std::uint32_t line, std::uint32_t column, const char* name = nullptr);
    Step openBracket(BodyState& st, std::uint32_t line, std::uint32_t column);
    Step closeBracket(BodyState& st, std::uint32_t line, std::uint32_t column);
    bool makeRecord(BodyState& st, Tokenizer& tok, Token t, std::uint32_t line, _TokV& rec);
    Step mainReference(BodyState& st, Tokenizer& tok, std::uint32_t line);
    bool resolveName(std::string_view name, bool main, unsigned nKinds, _TokV& rec) const;
    bool groupHeading(BodyState& st, Tokenizer& tok, std::uint32_t line);
    Step endLine(BodyState& st, Tokenizer& tok, _TokV& rec, std::uint32_t line);
    bool attributeCycle(BodyState& st, Token t, const _TokV& rec, std::uint32_t line);
    bool appendLineRecord(BodyState& st, std::uint32_t line, std::uint32_t column);
    bool endExpression(BodyState& st, std::uint32_t line, std::uint32_t column, const char* emptyKey);
    // 0 NL, 1 WLS, 2 ODE, 3 DAE; -1 for any other text.
    static int modelTypeOf(const char* text);
    static std::int32_t truncToInt32(double val);
    TokenizedModel::Lines& linesOf(int level) const;
    TokenizedModel::GroupCounts& groupsOf(int level) const;
    std::uint32_t exprTokenCount() const;
    std::uint32_t attribTokenCount() const;

    // The value of a named constant: pi, e, or 0 for the solution flag.
    static double constantValue(std::uint32_t id);
    VarAndParamMap& map(UserLabel kind, bool main) const;
    const td::StringExt* poolCopy(const char* text, std::uint32_t len);

    ILog* _pLog = nullptr;
    Tokenizer& _tokenizer;
    TokenizedModel& _model;
    Naming& _naming;
    TokenizedModel::TranslateFn _translate;
    td::String _complexDomainText;
    const Tokenizer::FnDict* _pRealFunctions = nullptr;
    const Tokenizer::FnDict* _pCmplxFunctions = nullptr;
    const Tokenizer::ReservedDict* _pReserved = nullptr;
    const Tokenizer::GroupDict* _pGroups = nullptr;
    const Tokenizer::AttribDict* _pAttribs = nullptr;
    const Tokenizer::ConstDict* _pSpecConsts = nullptr;
    // Lines up to the header's "end" (0 without a header): the passes after
    // it count on from there, so that every line number is the text's own.
    std::uint32_t _headerLines = 0;
    std::uint32_t _nErrors = 0;
    std::uint32_t _errorLimit = ~0u;
    std::int32_t _copyCount = 0;
    bool _dynamic = false;
    bool _complex = false;
    // The names of each level, for the body pass.
    NameIndex _names[2];
};

} // namespace sc
