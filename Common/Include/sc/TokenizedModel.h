#pragma once
// A model text after reading: every expression as a line record pointing into
// one list of expression tokens and one list of attribute tokens, the
// per-group counts of the main model and the sub-model, the model
// information of each level and the header values. Filled by one load,
// then only read (by the model compiler and the model objects).
#include <cstdint>
#include <type_traits>
#include <cnt/Array.h>
#include <cnt/BlockVector.h>
#include <cnt/PushBackVector.h>
#include <cnt/SafeFullVector.h>
#include <mu/Assert.h>
#include <sc/HeaderParam.h>
#include <sc/ILog.h>
#include <sc/ModelLevel.h>
#include <sc/ModelRecords.h>
#include <sc/SymbolInfo.h>
#include <sc/Vocabulary.h>
#include <td/MutableString.h>
#include <td/String.h>
#include <td/Types.h>
#include <td/Variant.h>

namespace mu
{
class ILineLoader;
class LineLoader;
} // namespace mu

namespace sc
{
class Naming;
class ModelLoader;

// The kind of an expression line, by its first word.
enum class ExpressionType : std::uint8_t
{
    None = 0,
    Plain = 1,
    If = 2,
    Else = 3,
    Switch = 4,
    End = 6,
    Group = 7,
    Repeat = 8
};

class TokenizedModel
{
public:
    using ExprTokens = cnt::BlockVector<_TokV, 4096>;
    using AttribTokens = cnt::BlockVector<_TokV, 1024>;
    using Lines = cnt::BlockVector<_tl, 1024>;
    using GroupCounts = cnt::Array<_CP, NumberOfGroups>;
    using TranslateFn = td::String (*)(const char*);

    // Walks the line records of one group: from the line after its heading
    // up to (excluding) end.
    class iterator
    {
    public:
        const Lines* _pLines = nullptr;
        const ExprTokens* _pTokens = nullptr;
        const AttribTokens* _pAttribs = nullptr;
        std::uint32_t _current = 0;
        std::uint32_t _end = 0;

        bool isValid() const { return _current < _end; }
        iterator& operator++()
        {
            ++_current;
            return *this;
        }
        const _tl& getLine() const { return (*_pLines)[_current]; }
        const _TokV& getToken(std::uint32_t i) const { return (*_pTokens)[getLine().firstToken + i]; }

        // Text of the first attribute with this id when it is a string or an
        // identifier; null otherwise.
        const td::StringExt* getAttribValueStrPtr(AttribID attID) const
        {
            const _TokV* pTok = findAttrib(attID);
            if (pTok && (pTok->code == Token::String || pTok->code == Token::Identifier))
                return pTok->pStr;
            return nullptr;
        }

        // Numbers and truth values only; false and nothing written for any
        // other value kind (named constants included).
        template <typename T>
        bool getAttribValue(AttribID attID, T& val) const
        {
            static_assert(std::is_same_v<T, bool> || std::is_same_v<T, float> || std::is_same_v<T, double>);
            MU_ASSERT_MSG(!isColorAttrib(attID), "!sc::isColor(attID)");
            const _TokV* pTok = findAttrib(attID);
            if (!pTok)
                return false;
            switch (pTok->code)
            {
            case Token::Integer: val = fromNumber<T>(pTok->intVal); return true;
            case Token::Real:
            case Token::Imaginary: val = fromNumber<T>(pTok->dblVal); return true;
            case Token::True: val = fromNumber<T>(1); return true;
            case Token::False: val = fromNumber<T>(0); return true;
            default: return false;
            }
        }

        // The value token of the first attribute with this id; null when absent.
        const _TokV* findAttrib(AttribID attID) const
        {
            if (!isValid())
                return nullptr;
            const _tl& line = getLine();
            for (std::uint32_t i = 0; i < line.nAttribs; ++i)
            {
                const _TokV& tok = (*_pAttribs)[line.firstAttrib + i];
                if (tok.attribID == static_cast<std::uint8_t>(attID))
                    return &tok;
            }
            return nullptr;
        }

    private:
        static bool isColorAttrib(AttribID id)
        {
            return id == AttribID::colorL || id == AttribID::colorD || id == AttribID::backColor;
        }

        template <typename T, typename N>
        static T fromNumber(N v)
        {
            if constexpr (std::is_same_v<T, bool>)
                return v != 0;
            else
                return static_cast<T>(v);
        }
    };

    // translate turns the keys of load messages into their text; without it
    // (null) the keys and the names they carry go to the logger's
    // translateAndAdd, and the logger translates them.
    TokenizedModel(ILog* pLog, cnt::SafeFullVector<td::Variant>& header, TranslateFn translate, Naming& naming,
                   std::uint16_t namingIndex);
    TokenizedModel(const TokenizedModel&) = delete;
    TokenizedModel& operator=(const TokenizedModel&) = delete;
    ~TokenizedModel();

    // Loading; each returns true only when the text loaded without an error.
    bool loadFromFile(const td::String& path);
    // The whole path names a regular file: what loadFromFile can read.
    static bool isModelFile(const td::String& path);
    bool loadFromString(const td::String& text);
    bool loadFromEditor(mu::ILineLoader* source, bool reloadNames, Domain domain);

    const _MI& getModelInfo(ModelLevel level) const { return isMain(level) ? _mainInfo : _subInfo; }
    bool isComplex() const { return _complex != 0; }
    std::uint32_t getNumberOfExpressions(Group group, ModelLevel level) const;
    const ExprTokens& getExpressionTokens() const { return _expressionTokens; }
    const AttribTokens& getAttribTokens() const { return _attribTokens; }
    const Lines& getLines(ModelLevel level) const { return isMain(level) ? _mainLines : _subLines; }
    const _CP& getGroupCounts(Group group, ModelLevel level) const;
    // The iterator over the body lines of a group.
    iterator getGroupIterator(Group group, ModelLevel level) const;

    ExpressionType getExpressionType(const iterator& it, std::uint16_t unused = 0) const;
    std::uint32_t countChildren(const iterator& it, std::uint16_t unused, Group group, ExpressionType type) const;
    std::uint32_t countSwitchCases(const iterator& it, std::uint16_t unused, Group group, bool& hasDefault) const;

    void countOutSymbols();
    std::uint32_t getNumberOfOutVars() const { return _nOutVars; }
    std::uint32_t getNumberOfOutParams() const { return _nOutParams; }
    bool hasRepetitions() const;
    std::uint32_t getNumberOfLimitUses(ModelLevel level) const { return _limitUses[isMain(level) ? 0 : 1]; }

    // The main model's entries, whatever the level: only the main model has them.
    int getIndexOfTimeParam(ModelLevel) const { return _timeParam[0]; }
    int getIndexOfDeltaTimeParam(ModelLevel) const { return _deltaTimeParam[0]; }

    // Main-model parameters that the sub-model shares: their count and the
    // sub-model position of the first.
    std::uint32_t getNumberOfCopiedParams() const { return _nCopiedParams; }
    std::uint32_t getFirstCopiedParamPos() const { return _nSubOwnParams; }

    bool getHeaderVariantValue(HeaderParam param, td::Variant& val) const;
    int getHeaderParamValue(HeaderParam param, double& val) const;
    int getHeaderParamValue(HeaderParam param, int& val) const;
    td::String getHeaderParamString(HeaderParam param) const;
    std::uint8_t getReportingType() const;
    // Whether the text's header gave the parameter its value: a default must
    // not override a value given elsewhere.
    bool isHeaderParamStated(HeaderParam param) const;
    std::uint32_t getNumberOfHeaderLines() const { return _nHeaderLines; }

    [[noreturn]] void populateOutVars(td::INT4*) const;
    [[noreturn]] void populateOutParams(td::INT4*, td::INT4) const;
    [[noreturn]] void populateOutSymbols(cnt::SafeFullVector<SymbolInfo>&, td::UINT4) const;

    void addLogEntry(const ILog::LE& entry, ILog::Type type) const;

    // The deepest nesting of blocks in a group: the compile walks a block
    // within its parent's, so that this bounds how deep its calls go.
    static constexpr unsigned maxBlockNesting = 1000;

    // The reserved words that begin a block closed by "end".
    static bool opensBlock(ReservedID id)
    {
        return id == ReservedID::Group || id == ReservedID::If || id == ReservedID::Switch ||
               id == ReservedID::LinePlot || id == ReservedID::BarPlot || id == ReservedID::PiePlot;
    }

private:
    friend class ModelLoader;

    static bool isMain(ModelLevel level) { return level == ModelLevel::Main; }
    void initModelLoader(ModelLoader& loader);
    bool loadContent(ModelLoader& loader, mu::LineLoader& source, td::MutableString& line);
    bool loadVarsAndParams(ModelLoader& loader);
    bool copyMainParams(ModelLoader& loader, std::uint32_t nCopy);
    bool countExpressions(GroupCounts& groups, const Lines& lines, ModelLevel level);
    std::uint32_t structureError(const char* key, const _tl& line) const;
    // An error entry of key, translated here or by the logger (sc::addKey).
    void reportKey(const char* key, std::uint32_t line, std::uint32_t column) const;
    // The first token of an expression line; null for a line without one.
    const _TokV* firstTokenOf(const _tl& line) const
    {
        return line.nTokens ? &_expressionTokens[line.firstToken] : nullptr;
    }
    // Where a message about a whole line points: its first token.
    std::uint32_t firstColumnOf(const _tl& line) const
    {
        const _TokV* pFirst = firstTokenOf(line);
        return pFirst && pFirst->column ? pFirst->column : 1;
    }

    cnt::SafeFullVector<td::Variant>& _headerValues;
    TranslateFn _translate;
    Naming& _naming;
    ExprTokens _expressionTokens;
    AttribTokens _attribTokens;
    Lines _mainLines;
    Lines _subLines;
    GroupCounts _subGroups;
    GroupCounts _mainGroups;
    cnt::Array<cnt::PushBackVector<td::Variant>, 2> _modelAttribValues;
    cnt::Array<LineRange, 2> _locationOfModels;
    cnt::Array<LineRange, 2> _locationOfVars;
    cnt::Array<LineRange, 2> _locationOfParams;
    cnt::Array<LineRange, 2> _locationOfDistribs;
    cnt::Array<LineRange, 2> _locationOfStats;
    cnt::Array<int, 2> _deltaTimeParam;
    cnt::Array<int, 2> _timeParam;
    cnt::Array<std::uint32_t, 2> _limitUses;
    _MI _mainInfo;
    _MI _subInfo;
    ILog* _pLog;
    std::uint32_t _nVars = 0;
    std::uint32_t _nParams = 0;
    std::uint32_t _nOutVars = 0;
    std::uint32_t _nOutParams = 0;
    std::uint16_t _namingIndex;
    std::uint8_t _complex = 0;
    std::int32_t _copyCount = 0;
    std::uint32_t _nSubOwnParams = 0;
    std::uint32_t _nCopiedParams = 0;
    std::uint32_t _nHeaderLines = 0;
    std::uint16_t _statedHeaderParams = 0; // a bit per HeaderParam
};

} // namespace sc
