#pragma once
// The process-wide vocabulary of the model text: name tables, the
// dictionaries that the tokenizer and the loader look words up in, and the
// Header parameters with their defaults. Common tables serve every naming;
// the rest exist once per naming (a numbered vocabulary set, 0 the default).
// The tables are filled once, before the first model text is read, and only
// read afterwards.
#include <initializer_list>
#include <cnt/Array.h>
#include <cnt/Dictionary.h>
#include <cnt/SafeFullVector.h>
#include <sc/HeaderParam.h>
#include <sc/ISignal.h>
#include <sc/ModelLevel.h>
#include <sc/ModelRecords.h>
#include <sc/Vocabulary.h>
#include <td/StrKey.h>
#include <td/String.h>
#include <td/Types.h>
#include <td/Variant.h>

namespace sc
{
// Values of the per-naming dictionaries.
struct _AttDesc
{
    AttribID id = AttribID::domain;
    Token valueType = Token::Name; // kind of token the attribute's value must be
};

struct _RDS
{
    ReservedID id = ReservedID::Main;
    td::BYTE opens = 0;  // the word opens a block closed by "end"
    td::BYTE closes = 0; // the word closes a block
};

struct _GDS
{
    Group id = Group::Model;
};

// Entries of the common name lists from which the per-naming dictionaries
// are filled.
struct _AttNameDesc
{
    td::StrKey key;
    AttribID id = AttribID::domain;
    Token valueType = Token::Name;
};

struct _RNDS
{
    td::StrKey key;
    ReservedID id = ReservedID::Main;
    td::BYTE opens = 0;
    td::BYTE closes = 0;
};

struct _GNDS
{
    td::StrKey key;
    Group id = Group::Model;
};

// Elements of the lists that the setters take.
struct _tokLab
{
    const char* text;
    Token token;
};

struct _ntLab
{
    const char* text;
    NumericType type;
};

struct _SpecConstInf
{
    const char* text;
    SpecialConstant constant;
};

struct _ARFn
{
    const char* text;
    int index;
};

using NameIndexMap = cnt::Dictionary<td::StrKey, int>;

// Read-only tables; a position is the identifier of its entry.
struct _ReservedWordDef
{
    const char* name;
    td::BYTE opens;
    td::BYTE closes;
};

struct _AttribDef
{
    const char* name;
    Token valueType;
};

extern const char* const GroupNames[NumberOfGroups];
extern const _ReservedWordDef ReservedNames[NumberOfReservedWords];
extern const _AttribDef AtttribNames[NumberOfAttributes];
constexpr unsigned NumberOfRealFunctions = 34;
constexpr unsigned NumberOfComplexFunctions = 6;
extern const char* const RealFunctionNames[NumberOfRealFunctions];
extern const char* const ComplexFunctionNames[NumberOfComplexFunctions];
extern const Group SupplementaryGroup2Group[8];
extern const Token HeaderParamTypes[NumberOfHeaderParams];
extern const td::Variant HeaderDefaultValues[NumberOfHeaderParams];

extern const Token s_attribStart;
extern const Token s_attribEnd;
extern const char s_commonIndentStart;

// Common tables.
extern cnt::SafeFullVector<_AttNameDesc> s_commonAttribNames;
extern cnt::SafeFullVector<_RNDS> s_commonReservedNames;
extern cnt::SafeFullVector<_GNDS> s_commonGroupNames;
extern NameIndexMap s_commonAttribEnumValues;
extern cnt::Dictionary<td::StrKey, Token> s_logicalTokenMap;
extern cnt::Dictionary<td::StrKey, NumericType> s_numericTypeMap;
extern cnt::Dictionary<td::StrKey, SpecialConstant> s_specialConstantMap;
extern NameIndexMap s_embeddedParamMap;

// Per-naming tables, indexed by the naming number.
extern cnt::SafeFullVector<cnt::Array<NameIndexMap, 2>> s_commonFunctions; // by FunctionSet
extern cnt::SafeFullVector<cnt::Dictionary<td::StrKey, _AttDesc>> s_commonAttribMaps;
extern cnt::SafeFullVector<cnt::Dictionary<td::StrKey, _RDS>> s_commonReservedMaps;
extern cnt::SafeFullVector<cnt::Dictionary<td::StrKey, _GDS>> s_commonGroupMaps;
// {function index of "real", of "imag"} in the complex set; -1 when absent.
extern cnt::SafeFullVector<cnt::Array<int, 2>> s_cmplxPartIndex;
extern cnt::SafeFullVector<cnt::SafeFullVector<NameIndexMap>> s_commonLabels;
extern td::BYTE s_tagPosition;
// The domain attribute value that makes a model complex.
extern td::String s_strComplexAttribValue;

void reserveNamings(td::UINT2 n);
void setDefaultDataForAllNamings();
void setDefaultDataForNaming(td::UINT2 naming);

void setCommonFunctions(FunctionSet labelID, td::UINT2 naming, std::initializer_list<const char*> names);
void setCommonFunctions(FunctionSet labelID, td::UINT2 naming, const char* const* names, td::UINT4 count);
void setCommonRealFunctions(td::UINT2 naming, const char* const* names, td::UINT4 count,
                            std::initializer_list<_ARFn> additional);
void setCommonComplexFunctions(td::UINT2 naming, const char* const* realNames, td::UINT4 nReal,
                               const char* const* cmplxNames, td::UINT4 nCmplx);
void setCommonAttribNames(td::UINT2 naming, AttribID from, AttribID to);
void setCommonReservedNames(td::UINT2 naming, ReservedID from, ReservedID to);
void setCommonGroupNames(td::UINT2 naming, Group from, Group to);
void setCommonGroupNames(td::UINT2 naming, std::initializer_list<Group> groups);
void setLogicalLabels(std::initializer_list<_tokLab> labels);
void setNumericTypeLabels(std::initializer_list<_ntLab> labels);
void setSpecialConstants(std::initializer_list<_SpecConstInf> constants);
void setComplexDomainAttribEnumPos(td::UINT2 naming, int pos);

td::String getFunctionName(FunctionSet labelID, td::UINT4 index, td::UINT2 naming);
td::String getAttribEnumValue(td::UINT4 pos);
// Null for NA and any value past it.
const char* getHeaderParamName(HeaderParam param);
const NameIndexMap& getCommonAttribEnumValueMap();

void setSolutionOKReportStringType(SolutionOKReportStringType type);
SolutionOKReportStringType getSolutionOKReportStringType(
    SolutionOKReportStringType unused = SolutionOKReportStringType::OK);
const td::String& getSolutionOKReportString();

// The signal kind named by a "signal" attribute value; None for a null or
// empty name and for any other text (the comparison is exact).
ISignal::Type getSignalType(const td::StringExt* name);
} // namespace sc
