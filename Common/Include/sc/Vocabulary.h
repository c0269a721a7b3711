#pragma once
// Identifiers of the model-text vocabulary: each value is the position of the
// word in its name table, so a lookup result indexes the table directly.
#include <cstdint>

namespace sc
{
enum class Group : std::uint8_t
{
    Model = 0,
    SubModel,
    Vars,
    Params,
    Distribs,
    Stats,
    ReInit,
    PreProc,
    NLEs,
    WLSEs,
    ECs,
    ODEs,
    PDEs,
    TFs,
    IterPostP,
    BasePostP,
    PostProc,
    Limits,
    Repeats,
    Plots
};
constexpr unsigned NumberOfGroups = 20;

// Reserved words; several of them are C++ keywords, hence the capitals.
enum class ReservedID : std::uint8_t
{
    Main = 0, // "@main"
    Repeat,
    S,
    Group,
    If,
    Else,
    Switch,
    Case,
    Default,
    End,
    LinePlot,
    BarPlot,
    PiePlot,
    HLine,
    VLine,
    HBand,
    VBand,
    Cond, // "@cond"
    X,    // "@x"
    Y     // "@y"
};
constexpr unsigned NumberOfReservedWords = 20;

enum class AttribID : std::uint8_t
{
    domain = 0,
    type,
    method,
    eps,
    dT,
    out,
    w,
    conj,
    enabled,
    signal,
    copyPars,
    min,
    max,
    mean,
    dev,
    integer,
    k,
    p,
    n,
    alpha,
    beta,
    lambda,
    reInit,
    alwaysOn,
    initMain,
    simplify,
    pivot,
    maxIter,
    width,
    name,
    minX, // plot attributes from here on
    maxX,
    minY,
    maxY,
    colorL,
    colorD,
    backColor,
    legend,
    step,
    pattern,
    xLabel,
    yLabel
};
constexpr unsigned NumberOfAttributes = 42;

enum class FunctionSet : std::uint8_t
{
    Real = 0,
    Complex,
    NA
};

enum class NumericType : std::uint8_t
{
    Bool = 0,
    Int,
    Real,
    Cmplx
};

enum class SpecialConstant : std::uint8_t
{
    Pi = 0,
    E,
    SolOk // "@solOk#"
};

// The groups that run outside the main equation system; NA maps past the
// group table.
enum class SupplementaryGroup : std::uint8_t
{
    ReInit = 0,
    PreProc,
    IterPostP,
    BasePostP,
    PostProc,
    Limits,
    Repeats,
    NA
};

// Which text reports a successful solution.
enum class SolutionOKReportStringType : std::uint8_t
{
    OK = 0,
    ThumbsUp,
    OKHand,
    OKButton
};
} // namespace sc
