#include <algorithm>
#include <cstdlib>
#include <sc/TokenizedModel.h>
#include <sc/Naming.h>

namespace sc
{

namespace
{
bool isHeaderParam(HeaderParam param) { return static_cast<unsigned>(param) < NumberOfHeaderParams; }

// The line declares a symbol of this kind and marks it as an output.
bool declaresOutput(const TokenizedModel::iterator& it, Token declared)
{
    bool out = false;
    return it.getLine().nTokens > 0 && it.getToken(0).code == declared && it.getAttribValue(AttribID::out, out) && out;
}

// 1 and the value when the parameter holds the type, -1 (nothing written)
// when it holds another, 0 for no parameter.
template <typename T>
int readHeaderValue(const cnt::SafeFullVector<td::Variant>& header, HeaderParam param, td::_tDataType type, T& val)
{
    if (!isHeaderParam(param))
        return 0;
    const td::Variant& v = header[static_cast<unsigned>(param)];
    if (v.getType() != type)
        return -1;
    v.getValue(val);
    return 1;
}
} // namespace

TokenizedModel::TokenizedModel(ILog* pLog, cnt::SafeFullVector<td::Variant>& header, TranslateFn translate,
                               Naming& naming, std::uint16_t namingIndex)
    : _headerValues(header)
    , _translate(translate)
    , _naming(naming)
    , _pLog(pLog)
    , _namingIndex(namingIndex)
{
    for (int level = 0; level < 2; ++level)
        _deltaTimeParam[level] = _timeParam[level] = -1;
}

TokenizedModel::~TokenizedModel() = default;

std::uint32_t TokenizedModel::getNumberOfExpressions(Group group, ModelLevel level) const
{
    return getGroupCounts(group, level).nExpressions;
}

const _CP& TokenizedModel::getGroupCounts(Group group, ModelLevel level) const
{
    const auto pos = static_cast<unsigned>(group);
    MU_ASSERT_MSG(pos < NumberOfGroups, "(pos >=0) && (pos < SIZE)");
    return isMain(level) ? _mainGroups[pos] : _subGroups[pos];
}

TokenizedModel::iterator TokenizedModel::getGroupIterator(Group group, ModelLevel level) const
{
    const _CP& cp = getGroupCounts(group, level);
    const Lines& lines = getLines(level);
    iterator it;
    it._pLines = &lines;
    it._pTokens = &_expressionTokens;
    it._pAttribs = &_attribTokens;
    if (cp.nLines == 0)
        return it;
    it._current = cp.headingLine + 1;
    it._end = cp.headingLine + cp.nLines + 1;
    return it;
}

ExpressionType TokenizedModel::getExpressionType(const iterator& it, std::uint16_t) const
{
    if (!it.isValid() || it.getLine().nTokens == 0)
        return ExpressionType::None;
    const _TokV& first = it.getToken(0);
    if (first.code != Token::Reserved)
        return ExpressionType::Plain;
    switch (static_cast<ReservedID>(first.id))
    {
    case ReservedID::Repeat: return ExpressionType::Repeat;
    case ReservedID::Group: return ExpressionType::Group;
    case ReservedID::If: return ExpressionType::If;
    case ReservedID::Else: return ExpressionType::Else;
    case ReservedID::Switch: return ExpressionType::Switch;
    case ReservedID::End: return ExpressionType::End;
    default: return ExpressionType::None;
    }
}

// Block-structure errors: at the offending line's first token (column 1 for
// a line without one); the count is 0.
std::uint32_t TokenizedModel::structureError(const char* key, const _tl& line) const
{
    reportKey(key, line.line, firstColumnOf(line));
    return 0;
}

// Direct children of the block opened at the iterator's line; 0 on error.
std::uint32_t TokenizedModel::countChildren(const iterator& it, std::uint16_t, Group group, ExpressionType type) const
{
    const Lines& lines = *it._pLines;
    int depth = 0;
    std::uint32_t count = 0;
    for (std::uint32_t i = it._current + 1; i < it._end; ++i)
    {
        const _tl& line = lines[i];
        const _TokV* pFirst = firstTokenOf(line);
        if (!pFirst)
            return structureError("@CE.NoTokensInExpr", line);
        const _TokV& first = *pFirst;
        if (first.code != Token::Reserved)
        {
            count += depth == 0;
            continue;
        }
        const auto id = static_cast<ReservedID>(first.id);
        if (opensBlock(id))
        {
            count += depth == 0;
            ++depth;
            continue;
        }
        switch (id)
        {
        case ReservedID::End:
            if (depth == 0)
                return count;
            --depth;
            break;
        case ReservedID::Else:
            if (depth > 0)
                break;
            if (type == ExpressionType::If)
                return count;
            return structureError("@CE.ElseWoEnd", line);
        case ReservedID::Case:
        case ReservedID::Default:
            if (depth == 0)
                return count;
            break;
        case ReservedID::Repeat:
            if (group != Group::Repeats)
                return structureError("@CE.RepeatWrongPos", line);
            count += depth == 0;
            break;
        default: return structureError("@CE.EqStartWReservedKW", line);
        }
    }
    return 0;
}

std::uint32_t TokenizedModel::countSwitchCases(const iterator& it, std::uint16_t, Group group, bool& hasDefault) const
{
    hasDefault = false;
    const Lines& lines = *it._pLines;
    std::uint32_t count = 0;
    int depth = 0; // blocks opened inside a case
    for (std::uint32_t i = it._current + 1; i < it._end; ++i)
    {
        const _tl& line = lines[i];
        const _TokV* pFirst = firstTokenOf(line);
        if (!pFirst)
            return structureError("@CE.NoTokensInExpr", line);
        const _TokV& first = *pFirst;
        if (first.code != Token::Reserved)
            continue;
        const auto id = static_cast<ReservedID>(first.id);
        if (opensBlock(id))
        {
            ++depth;
            continue;
        }
        if (depth > 0)
        {
            depth -= id == ReservedID::End;
            continue;
        }
        switch (id)
        {
        case ReservedID::Case:
        case ReservedID::Default:
        {
            const bool isDefault = id == ReservedID::Default;
            if (hasDefault)
                return structureError(isDefault ? "@CE.DblDefaultInCase" : "@CE.CaseAfterDefault", line);
            hasDefault = isDefault;
            ++count;
            break;
        }
        case ReservedID::End: return count;
        case ReservedID::Repeat:
            if (group != Group::Repeats)
                return structureError("@CE.RepeatWrongPos", line);
            break;
        default: return structureError("@CE.EqStartWReservedKW", line);
        }
    }
    return 0;
}

void TokenizedModel::countOutSymbols()
{
    _nVars = _naming.getNumberOfVars(ModelLevel::Main);
    _nParams = _naming.getNumberOfParams(ModelLevel::Main);
    // A line counts when it declares a symbol of the group's kind; a name
    // declared twice is one symbol, hence the cap.
    auto countOut = [this](Group group, Token declared, std::uint32_t all) -> std::uint32_t {
        iterator it = getGroupIterator(group, ModelLevel::Main);
        if (!it.isValid())
            return 0;
        iterator heading = it;
        heading._current = it._current - 1;
        bool out = false;
        if (heading.getAttribValue(AttribID::out, out) && out)
            return all;
        std::uint32_t n = 0;
        for (; it.isValid(); ++it)
            n += declaresOutput(it, declared);
        return std::min(n, all);
    };
    _nOutVars = countOut(Group::Vars, Token::Var, _nVars);
    _nOutParams = countOut(Group::Params, Token::Param, _nParams);
}

bool TokenizedModel::hasRepetitions() const
{
    return _mainGroups[static_cast<unsigned>(Group::Repeats)].nExpressions > 0;
}

bool TokenizedModel::getHeaderVariantValue(HeaderParam param, td::Variant& val) const
{
    if (!isHeaderParam(param))
        return false;
    val = _headerValues[static_cast<unsigned>(param)];
    return true;
}

int TokenizedModel::getHeaderParamValue(HeaderParam param, double& val) const
{
    return readHeaderValue(_headerValues, param, td::real8, val);
}

int TokenizedModel::getHeaderParamValue(HeaderParam param, int& val) const
{
    return readHeaderValue(_headerValues, param, td::int4, val);
}

bool TokenizedModel::isHeaderParamStated(HeaderParam param) const
{
    return isHeaderParam(param) && (_statedHeaderParams >> static_cast<unsigned>(param)) & 1u;
}

td::String TokenizedModel::getHeaderParamString(HeaderParam param) const
{
    td::String text;
    if (isHeaderParam(param))
    {
        const td::Variant& v = _headerValues[static_cast<unsigned>(param)];
        if (v.getType() == td::string8)
            v.getValue(text);
    }
    return text;
}

std::uint8_t TokenizedModel::getReportingType() const
{
    const td::Variant& v = _headerValues[static_cast<unsigned>(HeaderParam::report)];
    MU_ASSERT_MSG(v.getType() == td::int4, "getType() == td::int4");
    int report = 0;
    v.getValue(report);
    return static_cast<std::uint8_t>(report);
}

void TokenizedModel::populateOutVars(td::INT4*) const
{
    MU_ASSERT(false);
    std::abort();
}

void TokenizedModel::populateOutParams(td::INT4*, td::INT4) const
{
    MU_ASSERT(false);
    std::abort();
}

void TokenizedModel::populateOutSymbols(cnt::SafeFullVector<SymbolInfo>&, td::UINT4) const
{
    MU_ASSERT(false);
    std::abort();
}

void TokenizedModel::addLogEntry(const ILog::LE& entry, ILog::Type type) const
{
    if (_pLog)
        _pLog->add(entry, type);
}

void TokenizedModel::reportKey(const char* key, std::uint32_t line, std::uint32_t column) const
{
    if (_pLog)
        addKey(*_pLog, _translate, key, line, column, ILog::Type::Error);
}

} // namespace sc
