#include <expr/CU.h>
#include <expr/Evaluator.h>
#include <expr/MachineOps.h>
#include <expr/ProgramBatches.h>
#include <expr/Workspace.h>
#include <math/WorkerPool.h>
#include <mu/Assert.h>

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace SL_NS
{
namespace
{
using T = Token::Type;
using instr::Arith;
using instr::Source;

// Programs per block: a block's stack (a row of this many values per level)
// stays in the first-level cache.
constexpr int blockSize = 64;

// Values per cache line: the threads' ranges of destinations start at a
// multiple of it.
constexpr std::uint32_t valuesPerLine = std::max<std::uint32_t>(64 / sizeof(Value), 1);

// Where a block reads its operands: the current operand position of each
// side list (offset to the block's first program) and the value arrays.
struct Operands
{
    const Value* constants;
    const std::uint32_t* variables;
    const std::uint32_t* parameters;
    const Value* x;
    const Value* params;
    const Value* shared;
    std::uint32_t n; // programs in the batch: the stride from one operand position to the next
};

template <Source S>
const Value& at(const Operands& o, int k)
{
    if constexpr (S == Source::Constant)
        return o.constants[k];
    else if constexpr (S == Source::Variable)
        return o.x[o.variables[k]];
    else if constexpr (S == Source::Parameter)
        return o.params[o.parameters[k]];
    else
        return o.shared[o.parameters[k]];
}

template <Source S>
void advance(Operands& o)
{
    if constexpr (S == Source::Constant)
        o.constants += o.n;
    else if constexpr (S == Source::Variable)
        o.variables += o.n;
    else
        o.parameters += o.n;
}

// One instruction over the m programs of a block; sp points at the row of
// the top level.
using Step = void (*)(Value*& sp, int m, Operands& o);

template <Source S>
void push(Value*& sp, int m, Operands& o)
{
    sp += blockSize;
    for (int k = 0; k < m; ++k)
        sp[k] = at<S>(o, k);
    advance<S>(o);
}

template <Source S, Arith A>
void fused(Value*& sp, int m, Operands& o)
{
    for (int k = 0; k < m; ++k)
        ops::apply<A>(sp[k], at<S>(o, k));
    advance<S>(o);
}

// The left operand is read first, as both may come from the same side list.
template <Source L, Source R>
void product(Value*& sp, int m, Operands& o)
{
    const Operands left = o;
    advance<L>(o);
    sp += blockSize;
    for (int k = 0; k < m; ++k)
    {
        const Value a = at<L>(left, k);
        sp[k] = a * at<R>(o, k);
    }
    advance<R>(o);
}

template <Source L, Source R, Arith A>
void productArith(Value*& sp, int m, Operands& o)
{
    const Operands left = o;
    advance<L>(o);
    for (int k = 0; k < m; ++k)
    {
        const Value a = at<L>(left, k);
        ops::apply<A>(sp[k], a * at<R>(o, k));
    }
    advance<R>(o);
}

template <Arith A>
void binary(Value*& sp, int m, Operands&)
{
    sp -= blockSize;
    for (int k = 0; k < m; ++k)
        ops::apply<A>(sp[k], sp[k + blockSize]);
}

template <bool reversed>
void power(Value*& sp, int m, Operands&)
{
    sp -= blockSize;
    for (int k = 0; k < m; ++k)
        sp[k] = reversed ? ops::power(sp[k + blockSize], sp[k]) : ops::power(sp[k], sp[k + blockSize]);
}

template <class F>
void unary(Value*& sp, int m, Operands&)
{
    for (int k = 0; k < m; ++k)
        sp[k] = F {}(sp[k]);
}

#define SL_UNARY(op, f)                                                                                                \
    struct Fn##op                                                                                                      \
    {                                                                                                                  \
        Value operator()(const Value& v) const { return f(v); }                                                        \
    };
SL_UNARY_FUNCTIONS(SL_UNARY)
#undef SL_UNARY

template <Instruction I>
constexpr Step unaryStep()
{
#define SL_UNARY(op, f)                                                                                                \
    if constexpr (I == Instruction(T::op))                                                                             \
        return &unary<Fn##op>;                                                                                         \
    else
    SL_UNARY_FUNCTIONS(SL_UNARY)
#undef SL_UNARY
    return nullptr;
}

// The step of an instruction; null for one that stays on the per-token
// machine (branches, statistics, draws, limits, the parent model's values,
// assignments, comparisons).
template <Instruction I>
constexpr Step stepOf()
{
    using namespace instr;
    if constexpr (I == PushI || I == PushF)
        return &push<Source::Constant>;
    else if constexpr (I == PushVar)
        return &push<Source::Variable>;
    else if constexpr (I == PushParam)
        return &push<Source::Parameter>;
    else if constexpr (I == PushShared)
        return &push<Source::Shared>;
    else if constexpr (isFused(I))
        return &fused<Source((I - FusedFirst) / nArith), Arith((I - FusedFirst) % nArith)>;
    else if constexpr (isProduct(I))
        return &product<Source((I - ProductFirst) / nSources), Source((I - ProductFirst) % nSources)>;
    else if constexpr (isProductArith(I))
        return &productArith<Source((productOf(I) - ProductFirst) / nSources),
                             Source((productOf(I) - ProductFirst) % nSources),
                             Arith((I - ProductArithFirst) % nProductAriths)>;
    else if constexpr (I < FusedFirst && arithOf(T(I)) != Arith::Count)
        return &binary<arithOf(T(I))>;
    else if constexpr (I == Instruction(T::POW))
        return &power<false>;
    else if constexpr (I == Instruction(T::POW_REV))
        return &power<true>;
    else
        return unaryStep<I>();
}

template <std::size_t... I>
constexpr std::array<Step, sizeof...(I)> makeSteps(std::index_sequence<I...>)
{
    return {stepOf<Instruction(I)>()...};
}

constexpr std::array<Step, 256> steps = makeSteps(std::make_index_sequence<256>());

// The one-instruction shapes of the shortcuts; static, so that a view's shape
// outlives it and can key the grouping.
constexpr Instruction pushConstant = instr::PushF;
constexpr Instruction pushVariable = instr::PushVar;
constexpr Instruction pushParameter = instr::PushParam;
constexpr Instruction pushShared = instr::PushShared;

// A program's instructions and side lists; a shortcut reads as a program of
// one push.
struct View
{
    const Instruction* shape = nullptr;
    std::uint32_t nInstructions = 0;
    const Value* constants = nullptr;
    const std::uint32_t* variables = nullptr;
    const std::uint32_t* parameters = nullptr;
    std::uint32_t nConstants = 0;
    std::uint32_t nVariables = 0;
    std::uint32_t nParameters = 0;
    std::uint32_t index = 0;
};

// Fills v for a program or shortcut without checking that its instructions
// have steps; false for an evaluator of another kind.
bool describe(const Evaluator* e, View& v)
{
    if (!e)
        return false;
    using Type = Evaluator::Type;
    switch (e->getType())
    {
    case Type::Program:
        v.shape = e->getInstructions();
        v.nInstructions = e->getNoOfInstructions();
        v.constants = e->getConstants();
        v.nConstants = e->getNoOfConstants();
        v.variables = e->getVariableIndices();
        v.nVariables = e->getNoOfVariables();
        v.parameters = e->getParameterIndices();
        v.nParameters = e->getNoOfParameters();
        return true;
    case Type::Constant:
        v.shape = &pushConstant;
        v.constants = &e->getConstant();
        v.nConstants = 1;
        break;
    case Type::Variable:
        v.shape = &pushVariable;
        v.variables = &v.index;
        v.nVariables = 1;
        break;
    case Type::Parameter:
    case Type::SharedValue:
        v.shape = e->getType() == Type::Parameter ? &pushParameter : &pushShared;
        v.parameters = &v.index;
        v.nParameters = 1;
        break;
    default: return false;
    }
    v.index = e->getSymbolIndex();
    v.nInstructions = 1;
    return true;
}

// False for a program that stays on the per-token machine.
bool viewOf(const Evaluator* e, View& v)
{
    if (!describe(e, v))
        return false;
    if (e->getType() != Evaluator::Type::Program)
        return true;
    if (v.nInstructions == 0 || e->getMaxStackDepth() > ProgramBatches::maxDepth)
        return false;
    return std::all_of(v.shape, v.shape + v.nInstructions, [](Instruction i) { return steps[i] != nullptr; });
}

template <typename TValue>
void appendTransposed(std::vector<TValue>& soa, const TValue* list, std::uint32_t count, std::uint32_t n,
                      std::uint32_t k)
{
    for (std::uint32_t j = 0; j < count; ++j)
        soa[std::size_t(j) * n + k] = list[j];
}

// Operand j of program order[k] to [j * n + k].
template <typename TValue>
void permute(std::vector<TValue>& soa, const std::vector<std::uint32_t>& order)
{
    const std::size_t n = order.size();
    std::vector<TValue> old(soa);
    for (std::size_t j = 0; j * n < soa.size(); ++j)
        for (std::size_t k = 0; k < n; ++k)
            soa[j * n + k] = old[j * n + order[k]];
}

template <typename TValue>
const TValue* at(const std::vector<TValue>& v, std::size_t offset)
{
    return v.empty() ? nullptr : v.data() + offset;
}

// The side-list sources an instruction reads, in order; the parent model's
// values come from the parameter list.
int sourcesOf(Instruction i, Source (&out)[2])
{
    using namespace instr;
    if (i == PushParentValue)
        out[0] = Source::Parameter;
    else if (sourceOf(i) != Source::Count)
        out[0] = sourceOf(i);
    else if (isFused(i))
        out[0] = Source((i - FusedFirst) / nArith);
    else
    {
        const Instruction p = isProductArith(i) ? productOf(i) : i;
        if (!isProduct(p))
            return 0;
        out[0] = Source((p - ProductFirst) / nSources);
        out[1] = Source((p - ProductFirst) % nSources);
        return 2;
    }
    return 1;
}

// Calls read(slot) for every shared value e reads; false for an evaluator
// whose reads are not known from its program (a branch).
template <class F>
bool forEachSharedRead(const Evaluator* e, F read)
{
    using Type = Evaluator::Type;
    if (!e)
        return true;
    switch (e->getType())
    {
    case Type::SharedValue: read(e->getSymbolIndex()); return true;
    case Type::Constant:
    case Type::Variable:
    case Type::Parameter:
    case Type::ParentValue: return true;
    case Type::Program: break;
    default: return false;
    }
    const std::uint32_t* p = e->getParameterIndices();
    for (std::uint32_t i = 0; i < e->getNoOfInstructions(); ++i)
    {
        Source sources[2];
        const int n = sourcesOf(e->getInstructions()[i], sources);
        for (int s = 0; s < n; ++s)
        {
            if (sources[s] == Source::Shared)
                read(*p);
            if (sources[s] == Source::Shared || sources[s] == Source::Parameter)
                ++p;
        }
    }
    return true;
}
} // namespace

void ProgramBatches::build(std::span<Evaluator* const> programs, std::span<const std::uint32_t> dests,
                           std::vector<std::uint32_t>& rest)
{
    MU_ASSERT_MSG(programs.size() == dests.size(), "programs.size() == dests.size()");
    _batches.clear();
    _nPrograms = 0;
    // Keyed by the programs' own instruction lists (they outlive the build),
    // so that no key is copied per program; the batches follow the order of
    // the shapes.
    std::unordered_map<std::string_view, std::vector<std::uint32_t>> groups;
    for (std::uint32_t k = 0; k < programs.size(); ++k)
    {
        View v;
        if (viewOf(programs[k], v))
            groups[{reinterpret_cast<const char*>(v.shape), v.nInstructions}].push_back(k);
    }
    std::vector<decltype(groups)::value_type*> ordered;
    ordered.reserve(groups.size());
    for (auto& group : groups)
        ordered.push_back(&group);
    std::sort(ordered.begin(), ordered.end(), [](auto* l, auto* r) { return l->first < r->first; });
    std::vector<bool> batched(programs.size(), false);
    for (auto* group : ordered)
    {
        const std::string_view shape = group->first;
        const std::vector<std::uint32_t>& members = group->second;
        Batch& b = _batches.emplace_back();
        b.shape.assign(shape.begin(), shape.end());
        b.n = std::uint32_t(members.size());
        View first;
        describe(programs[members[0]], first);
        b.constants.resize(std::size_t(first.nConstants) * b.n);
        b.variables.resize(std::size_t(first.nVariables) * b.n);
        b.parameters.resize(std::size_t(first.nParameters) * b.n);
        b.dests.reserve(b.n);
        for (std::uint32_t k = 0; k < b.n; ++k)
        {
            View v;
            describe(programs[members[k]], v);
            appendTransposed(b.constants, v.constants, v.nConstants, b.n, k);
            appendTransposed(b.variables, v.variables, v.nVariables, b.n, k);
            appendTransposed(b.parameters, v.parameters, v.nParameters, b.n, k);
            b.dests.push_back(dests[members[k]]);
            batched[members[k]] = true;
        }
        sortByDestination(b);
        _nPrograms += b.n;
    }
    for (std::uint32_t k = 0; k < programs.size(); ++k)
        if (!batched[k])
            rest.push_back(k);
    partition(_requested);
}

void ProgramBatches::sortByDestination(Batch& b)
{
    // Programs are mostly gathered in the order of their destinations.
    if (std::adjacent_find(b.dests.begin(), b.dests.end(), std::greater<>()) == b.dests.end())
        return;
    // Ties (none in the lists built here) keep their order.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> byDest(b.n);
    for (std::uint32_t k = 0; k < b.n; ++k)
        byDest[k] = {b.dests[k], k};
    std::sort(byDest.begin(), byDest.end());
    std::vector<std::uint32_t> order(b.n);
    for (std::uint32_t k = 0; k < b.n; ++k)
        order[k] = byDest[k].second;
    permute(b.constants, order);
    permute(b.variables, order);
    permute(b.parameters, order);
    permute(b.dests, order);
}

void ProgramBatches::partition(unsigned nThreads)
{
    _requested = nThreads;
    _threads = _parts = 1;
    for (Batch& b : _batches)
        b.starts.clear();
    if (nThreads <= 1 || _nPrograms < parallelThreshold)
        return;
    const unsigned nParts = nThreads * partsPerThread;
    // The work at each destination: the instructions of its program.
    std::uint32_t lastDest = 0;
    for (const Batch& b : _batches)
        for (std::uint32_t d : b.dests)
            lastDest = std::max(lastDest, d);
    std::vector<std::uint32_t> workAt(std::size_t(lastDest) + 1, 0);
    std::size_t total = 0;
    for (const Batch& b : _batches)
        for (std::uint32_t d : b.dests)
        {
            workAt[d] += std::uint32_t(b.shape.size());
            total += b.shape.size();
        }
    // Part p's range starts where the work before it reaches p / nParts of
    // the whole, rounded up to a cache line.
    std::vector<std::uint32_t> bounds(nParts + 1, 0);
    bounds[nParts] = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t d = 0;
    std::size_t done = 0;
    for (unsigned p = 1; p < nParts; ++p)
    {
        while (d <= lastDest && (done + workAt[d]) * nParts <= total * p)
            done += workAt[d++];
        bounds[p] = std::max(bounds[p - 1], (d + valuesPerLine - 1) / valuesPerLine * valuesPerLine);
    }
    for (Batch& b : _batches)
    {
        b.starts.resize(nParts + 1);
        for (unsigned p = 0; p <= nParts; ++p)
            b.starts[p] = std::uint32_t(std::lower_bound(b.dests.begin(), b.dests.end(), bounds[p]) - b.dests.begin());
    }
    _threads = nThreads;
    _parts = nParts;
}

void ProgramBatches::run(const Batch& b, const CU& cu, Value* stack, Value* out, std::uint32_t first,
                         std::uint32_t last)
{
    for (std::uint32_t k0 = first; k0 < last; k0 += blockSize)
    {
        const int m = int(std::min<std::uint32_t>(blockSize, last - k0));
        Operands o {at(b.constants, k0),
                    at(b.variables, k0),
                    at(b.parameters, k0),
                    cu.getVariableValues(),
                    cu.getParamValues(),
                    cu.getSharedValues(),
                    b.n};
        // The first row stays free, as the per-token machine's first slot.
        Value* sp = stack;
        for (Instruction i : b.shape)
            steps[i](sp, m, o);
        MU_ASSERT_MSG(sp == stack + blockSize, "balanced batch");
        const std::uint32_t* dest = b.dests.data() + k0;
        for (int k = 0; k < m; ++k)
            out[dest[k]] = sp[k];
    }
}

void ProgramBatches::evaluate(const CU& cu, Value* out) const
{
    // One stack for all groups: a complex value is zeroed when made.
    Value stack[(maxDepth + 1) * blockSize];
    for (const Batch& b : _batches)
        run(b, cu, stack, out, 0, b.n);
}

void ProgramBatches::evaluatePart(const CU& cu, Value* out, unsigned p) const
{
    MU_ASSERT_MSG(p < _parts && _parts > 1, "p < _parts");
    Value stack[(maxDepth + 1) * blockSize];
    for (const Batch& b : _batches)
        run(b, cu, stack, out, b.starts[p], b.starts[p + 1]);
}

void ProgramBatches::remapDestinations(std::span<const std::uint32_t> map)
{
    for (Batch& b : _batches)
    {
        for (std::uint32_t& d : b.dests)
            d = map[d];
        sortByDestination(b);
    }
    partition(_requested);
}

void BatchedPrograms::clear()
{
    _size = 0;
    _levels.clear();
}

void BatchedPrograms::build(std::span<Evaluator* const> programs, std::span<const std::uint32_t> dests, bool byLevel)
{
    MU_ASSERT_MSG(programs.size() == dests.size(), "programs.size() == dests.size()");
    clear();
    _size = programs.size();
    // The level of each program; a slot's level is that of its program + 1.
    std::vector<std::uint32_t> levelOf(programs.size(), 0);
    if (byLevel)
    {
        const std::uint32_t nSlots = dests.empty() ? 0 : *std::max_element(dests.begin(), dests.end()) + 1;
        std::vector<std::uint32_t> slotLevel(nSlots, 0);
        std::uint32_t highest = 0;
        for (std::size_t k = 0; k < programs.size(); ++k)
        {
            std::uint32_t level = 0;
            const bool known = forEachSharedRead(programs[k], [&](std::uint32_t slot) {
                if (slot < nSlots)
                    level = std::max(level, slotLevel[slot]);
            });
            // A branch may read any value before it.
            levelOf[k] = known ? level : highest + 1;
            highest = std::max(highest, levelOf[k]);
            slotLevel[dests[k]] = levelOf[k] + 1;
        }
    }
    const std::uint32_t nLevels = programs.empty() ? 0 : *std::max_element(levelOf.begin(), levelOf.end()) + 1;
    std::vector<std::vector<std::uint32_t>> membersOf(nLevels);
    for (std::uint32_t k = 0; k < programs.size(); ++k)
        membersOf[levelOf[k]].push_back(k);
    _levels.resize(nLevels);
    for (std::uint32_t level = 0; level < nLevels; ++level)
    {
        const std::vector<std::uint32_t>& members = membersOf[level];
        std::vector<Evaluator*> ps;
        std::vector<std::uint32_t> ds;
        for (std::uint32_t k : members)
        {
            ps.push_back(programs[k]);
            ds.push_back(dests[k]);
        }
        std::vector<std::uint32_t> rest;
        // The count first, so that the build splits the level once.
        _levels[level].batches.partition(_threads);
        _levels[level].batches.build(ps, ds, rest);
        for (std::uint32_t r : rest)
        {
            _levels[level].restPrograms.push_back(ps[r]);
            _levels[level].restDests.push_back(ds[r]);
        }
    }
}

std::size_t BatchedPrograms::batchedSize() const
{
    std::size_t n = 0;
    for (const Level& level : _levels)
        n += level.batches.size();
    return n;
}

namespace
{
void runRest(std::span<Evaluator* const> programs, const std::uint32_t* dests, CU& cu, Value* out)
{
    for (std::size_t k = 0; k < programs.size(); ++k)
        out[dests[k]] = programs[k] ? programs[k]->evaluate(cu) : Value(0);
}
} // namespace

struct BatchedPrograms::LevelRun
{
    const ProgramBatches& batches;
    const CU& cu;
    Value* out;
};

void BatchedPrograms::runLevelPart(void* context, unsigned p)
{
    const LevelRun& r = *static_cast<const LevelRun*>(context);
    r.batches.evaluatePart(r.cu, r.out, p);
}

void BatchedPrograms::evaluate(CU& cu, Value* out) const
{
    const Workspace* pWorkspace = cu.getWorkspace();
    math::WorkerPool* pPool = pWorkspace ? pWorkspace->_workers.get() : nullptr;
    for (const Level& level : _levels)
    {
        const unsigned threads = level.batches.threads();
        LevelRun run {level.batches, cu, out};
        if (threads > 1 && pPool && pPool->size() == threads)
            pPool->run(&runLevelPart, &run, level.batches.parts());
        else
            level.batches.evaluate(cu, out);
        // The per-token machine is the calling thread's alone.
        runRest(level.restPrograms, level.restDests.data(), cu, out);
    }
}

void BatchedPrograms::remapDestinations(std::span<const std::uint32_t> map)
{
    for (Level& level : _levels)
    {
        level.batches.remapDestinations(map);
        for (std::uint32_t& d : level.restDests)
            d = map[d];
    }
}

bool BatchedPrograms::setThreads(unsigned nThreads)
{
    _threads = std::max(nThreads, 1u);
    bool split = false;
    for (Level& level : _levels)
    {
        level.batches.partition(_threads);
        split |= level.batches.threads() > 1;
    }
    return split;
}
} // namespace SL_NS
