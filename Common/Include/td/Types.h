#pragma once
// Fixed-width value types and the type codes of td::Variant.

namespace td
{
using BYTE = unsigned char;
using WORD = unsigned short;
using INT2 = short;
using UINT2 = unsigned short;
using INT4 = int;
using UINT4 = unsigned int;
using LINT8 = long long;
using LUINT8 = unsigned long long;

// The codes are stored in files and settings: never renumber them.
enum _tDataType : unsigned char
{
    none = 0,
    boolean = 1,
    byte = 2,
    word = 3,
    int2 = 4,
    uint4 = 5,
    int4 = 6,
    lint8 = 7,
    luint8 = 8,
    real4 = 9,
    real8 = 10,
    string8 = 11,
    date = 15,
    time = 16,
    dateTime = 17,
    decimal0 = 18,
    decimal1 = 19,
    decimal2 = 20,
    decimal3 = 21,
    decimal4 = 22,
    inlineText = 27,
    color = 34,
    colorID = 35,
    linePattern = 39,
    dotPattern = 40,
    anchor = 41,
    smallDecimal0 = 42,
    smallDecimal1 = 43,
    smallDecimal2 = 44,
    smallDecimal3 = 45,
    smallDecimal4 = 46
};
} // namespace td
