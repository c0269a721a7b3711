// The load entry points of a tokenized model and the steps between and after
// the loader's passes.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <sc/ModelLoader.h>
#include <sc/TokenizedModel.h>
#include <mu/LineLoader.h>

namespace sc
{

void TokenizedModel::initModelLoader(ModelLoader& loader)
{
    loader._errorLimit = ModelLoader::ErrorLimit;
    loader._nErrors = 0;
    loader._pLog = _pLog;
    const cnt::Array<NameIndexMap, 2>& functions = s_commonFunctions[_namingIndex];
    loader._pRealFunctions = &functions[static_cast<unsigned>(FunctionSet::Real)];
    loader._pCmplxFunctions = &functions[static_cast<unsigned>(FunctionSet::Complex)];
    loader._pReserved = &s_commonReservedMaps[_namingIndex];
    loader._pGroups = &s_commonGroupMaps[_namingIndex];
    loader._pAttribs = &s_commonAttribMaps[_namingIndex];
    loader._pSpecConsts = &s_specialConstantMap;
}

// A folder opens as a stream too, but its first read throws; a path cut
// short by a NUL would name another file.
bool TokenizedModel::isModelFile(const td::String& path)
{
    std::error_code ec;
    return path.length() > 0 && std::strlen(path.c_str()) == path.length() &&
           std::filesystem::is_regular_file(path.c_str(), ec);
}

// A load succeeds only when no step logged an error: the declaration pass
// goes on after its errors, and a failed header still lets the body run.
bool TokenizedModel::loadFromFile(const td::String& path)
{
    std::ifstream file;
    if (isModelFile(path))
        file.open(path.c_str(), std::ios::binary);
    if (!file.is_open())
    {
        // nothing is read, yet the header queries answer as after any failed load
        ModelLoader::setDefaultHeader(_headerValues);
        _statedHeaderParams = 0;
        return false;
    }
    ModelLoader loader(*this, true);
    initModelLoader(loader);
    td::MutableString line;
    const std::uint32_t bodyPosition = loader.loadHeaders(line, file, _headerValues);
    bool ok = loadVarsAndParams(loader);
    _nHeaderLines = loader.getHeaderLines();
    if (!ok)
        return false;
    file.close();
    file.open(path.c_str(), std::ios::binary);
    if (!file.is_open())
        return false;
    mu::LineLoader source(bodyPosition, mu::LineLoader::Source::File);
    source.setOffset(bodyPosition);
    source.setSource(&file);
    ok = loadContent(loader, source, line);
    return ok && loader.getErrorCount() == 0;
}

bool TokenizedModel::loadFromString(const td::String& text)
{
    ModelLoader loader(*this, true);
    initModelLoader(loader);
    td::MutableString line;
    const std::uint32_t bodyPosition = loader.loadHeaders(line, text, _headerValues);
    const bool ok = loadVarsAndParams(loader);
    _nHeaderLines = loader.getHeaderLines();
    if (!ok)
        return false;
    mu::LineLoader source(bodyPosition, mu::LineLoader::Source::String);
    source.setOffset(bodyPosition);
    source.setSource(&text);
    return loadContent(loader, source, line) && loader.getErrorCount() == 0;
}

bool TokenizedModel::loadFromEditor(mu::ILineLoader* source, bool reloadNames, Domain)
{
    ModelLoader loader(*this, false);
    initModelLoader(loader);
    // the text has no header block: every parameter keeps its default
    ModelLoader::setDefaultHeader(_headerValues);
    _statedHeaderParams = 0;
    td::MutableString line;
    if (reloadNames)
    {
        _naming.clean();
        mu::LineLoader names(0, mu::LineLoader::Source::TextEdit);
        names.setSource(source);
        if (!loader.loadVarsAndParams(names, line) || !loadVarsAndParams(loader))
            return false;
        // the declarations may end early: read the source to its end so that
        // it starts over with its first line
        while (names.getLine(line))
        {
        }
    }
    mu::LineLoader content(0, mu::LineLoader::Source::TextEdit);
    content.setSource(source);
    const bool ok = loadContent(loader, content, line);
    return ok && loader.getErrorCount() == 0;
}

bool TokenizedModel::loadContent(ModelLoader& loader, mu::LineLoader& source, td::MutableString& line)
{
    _complex = loader.isComplex() ? 1 : 0;
    _copyCount = loader.getCopyCount();
    if (!loader.createTokenLists(source, line, _complex ? Domain::Complex : Domain::Real))
        return false;
    if (!countExpressions(_mainGroups, _mainLines, ModelLevel::Main) ||
        !countExpressions(_subGroups, _subLines, ModelLevel::SubModel))
        return false;
    if (_subGroups[static_cast<unsigned>(Group::Vars)].nLines > 0 &&
        !loader.getSolverType(ModelLevel::SubModel, _subInfo))
        return false;
    return loader.getSolverType(ModelLevel::Main, _mainInfo);
}

// Between the passes: the sub-model shares the first copyPars parameters of
// the main model, entered after its own ones.
bool TokenizedModel::loadVarsAndParams(ModelLoader& loader)
{
    _copyCount = loader.getCopyCount();
    _nSubOwnParams = _naming.getNumberOfParams(ModelLevel::SubModel);
    _nCopiedParams = 0;
    _naming.buildNamePositions();
    if (_copyCount == 0)
        return true;
    const std::uint32_t nMain = _naming.getNumberOfParams(ModelLevel::Main);
    const auto nCopy = _copyCount < 0 || static_cast<std::uint32_t>(_copyCount) >= nMain
                           ? nMain
                           : static_cast<std::uint32_t>(_copyCount);
    if (!copyMainParams(loader, nCopy))
        return false;
    // the positions must include the copies
    _naming.buildNamePositions();
    return true;
}

// Every copy is checked before the first is entered: a refused copy leaves
// the sub-model's parameters, and the name arrays built from them, as the
// declarations made them.
bool TokenizedModel::copyMainParams(ModelLoader& loader, std::uint32_t nCopy)
{
    VarAndParamMap& subParams = _naming.getUserSymbolSubModelMap(UserLabel::Param);
    for (std::uint32_t i = 0; i < nCopy; ++i)
    {
        const td::StringExt* pName = _naming.getParamName(i, ModelLevel::Main);
        if (!pName || pName->length() == 0)
        {
            loader.reportNoPosition("@SC.EmpryParamName");
            return false;
        }
        // a sub-model parameter of the same name would break the dense numbering
        if (subParams.contains(std::string_view(pName->c_str(), pName->length())))
        {
            loader.reportDuplicate("@ML.SubParDDInPars", pName->c_str(), 0, 0);
            return false;
        }
    }
    for (std::uint32_t i = 0; i < nCopy; ++i)
        subParams.try_emplace(*_naming.getParamName(i, ModelLevel::Main), static_cast<td::UINT4>(subParams.size()));
    _nCopiedParams = nCopy;
    return true;
}

namespace
{
// One line of a group: counted when it begins a top-level expression (a
// block counts once); the key of what is wrong with it, or null.
const char* countLine(const _TokV* pFirst, bool inRepeats, bool main, int& depth, std::uint32_t& nExpressions)
{
    if (!pFirst)
        return "@CE.NoTokensCountExpr";
    if (pFirst->code != Token::Reserved)
    {
        nExpressions += depth == 0;
        return nullptr;
    }
    const auto id = static_cast<ReservedID>(pFirst->id);
    if (id == ReservedID::Main && main)
        return "@CE.MainRefInMainModel";
    if (id == ReservedID::Repeat && !inRepeats)
        return "@CE.RepeatOnlyInRepeatsGroup";
    if (id == ReservedID::End)
    {
        if (depth == 0)
            return "@CE.OutOfModel";
        --depth;
        return nullptr;
    }
    const bool opens = TokenizedModel::opensBlock(id);
    if (opens && unsigned(depth) >= TokenizedModel::maxBlockNesting)
        return "@SC.IfNestedTooDeep";
    // Every line but a branch of an open block is an expression of its
    // group, also one that begins with a reserved word where none belongs
    // (it is compiled, and refused there, instead of being skipped).
    const bool continues = id == ReservedID::Else || id == ReservedID::Case || id == ReservedID::Default;
    if (!continues)
        nExpressions += depth == 0;
    depth += opens;
    return nullptr;
}
} // namespace

// Top-level expressions per group; the declaration groups count their lines.
bool TokenizedModel::countExpressions(GroupCounts& groups, const Lines& lines, ModelLevel level)
{
    const bool main = isMain(level);
    for (unsigned g = 0; g < NumberOfGroups; ++g)
    {
        _CP& cp = groups[g];
        cp.nExpressions = 0;
        if (g <= static_cast<unsigned>(Group::Stats))
        {
            cp.nExpressions = cp.nLines;
            continue;
        }
        const bool inRepeats = g == static_cast<unsigned>(Group::Repeats);
        int depth = 0;
        const std::uint32_t end = cp.nLines == 0 ? 0 : cp.headingLine + cp.nLines + 1;
        for (std::uint32_t i = cp.headingLine + 1; i < end && i < lines.size(); ++i)
        {
            if (const char* key = countLine(firstTokenOf(lines[i]), inRepeats, main, depth, cp.nExpressions))
            {
                reportKey(key, lines[i].line, firstColumnOf(lines[i]));
                return false;
            }
        }
    }
    return true;
}

} // namespace sc
