#pragma once
// Programs of one list that run the same instructions on different operands
// (the balance of every bus, the same kind of Jacobian entry of every line)
// run together: each group holds its operands structure-of-arrays and runs
// its instructions once per block of programs, each over the whole block, so
// the machine dispatches once per block and not once per token. A shape of
// one program is a batch too (measured: faster than the per-token machine);
// programs with branches, side effects or a deep stack stay on the per-token
// machine.
//
// A large list may run on several threads: each batch's programs stand in
// the order of their destinations, the list is cut into parts, ranges of
// destinations of about equal work (the same ranges for all batches), and
// the threads take the parts one by one, so that no two threads write into
// one cache line (but at the ranges' ends). A program's value is the same
// whichever thread computes it.
#include <expr/Build.h>
#include <expr/Instruction.h>

#include <cstdint>
#include <span>
#include <vector>

namespace SL_NS
{
class CU;
class Evaluator;

class ProgramBatches
{
public:
    // Programs that keep more values on the stack than this run per token.
    static constexpr int maxDepth = 8;

    // Groups programs[k], whose value goes to out[dests[k]]; the indices k of
    // the programs left out are appended to rest in their order.
    void build(std::span<Evaluator* const> programs, std::span<const std::uint32_t> dests,
               std::vector<std::uint32_t>& rest);
    // Runs every group over the machine's value arrays.
    void evaluate(const CU& cu, Value* out) const;
    // Runs the programs of part p of parts().
    void evaluatePart(const CU& cu, Value* out, unsigned p) const;
    // Sends the value that went to out[d] to out[map[d]] from now on.
    void remapDestinations(std::span<const std::uint32_t> map);
    std::size_t size() const { return _nPrograms; }

    // Cuts the programs into parts for nThreads threads when there are
    // enough of them to pay, now and after every build and remap; threads()
    // is 1 otherwise.
    void partition(unsigned nThreads);
    unsigned threads() const { return _threads; }
    unsigned parts() const { return _parts; }
    // Parts per thread: the others take over the part of a thread held
    // back; more parts run shorter blocks (measured: 2 beat 4 and 8 on the
    // power-flow cases).
    static constexpr unsigned partsPerThread = 2;
    // Fewer programs than this run on the calling thread alone. Measured on
    // the power-flow grids with four threads: the 118-bus grid's Jacobian
    // (1,051 entries) gained nothing, the passes of the 2,869-bus grid
    // (residuals, 36,591 Jacobian entries) took half the time or less.
    static constexpr std::size_t parallelThreshold = 4096;

private:
    struct Batch
    {
        std::vector<Instruction> shape;
        std::uint32_t n = 0; // programs
        // Operand j of program k at [j * n + k], in the order the program
        // reads its side lists.
        std::vector<Value> constants;
        std::vector<std::uint32_t> variables;
        std::vector<std::uint32_t> parameters; // parameter or shared slot
        std::vector<std::uint32_t> dests;      // ascending
        // Part p holds programs starts[p] .. starts[p + 1] - 1 (empty on
        // one thread).
        std::vector<std::uint32_t> starts;
    };

    // Programs first .. last - 1 of b; stack: a row of values per level,
    // the block's programs side by side.
    static void run(const Batch& b, const CU& cu, Value* stack, Value* out, std::uint32_t first, std::uint32_t last);
    // Also on one thread: the Jacobian's values then go into the
    // factorisation's array in its order (measured 13 % faster).
    static void sortByDestination(Batch& b);

    std::vector<Batch> _batches;
    std::size_t _nPrograms = 0;
    unsigned _requested = 1; // kept across builds and remaps
    unsigned _threads = 1;
    unsigned _parts = 1;
};

// A list of programs with the destination of each, batched: the residuals,
// the Jacobian entries, the shared values. Shared values may read others of
// the list; they run by level (1 + the highest level of the values a program
// reads), so that no program reads a value not yet computed.
class BatchedPrograms
{
public:
    void build(std::span<Evaluator* const> programs, std::span<const std::uint32_t> dests, bool byLevel);
    void clear();
    bool empty() const { return _size == 0; }
    std::size_t size() const { return _size; }
    // The programs that run in a batch.
    std::size_t batchedSize() const;
    // out[dests[k]] = programs[k] for every k; those of no batch run per token
    // in the list's order.
    // Large levels run on the threads of the workspace's pool when it has
    // as many as the list is split for.
    void evaluate(CU& cu, Value* out) const;
    void remapDestinations(std::span<const std::uint32_t> map);
    // Splits every level large enough among nThreads threads, now and on
    // every build and remap; true when some level is split.
    bool setThreads(unsigned nThreads);

private:
    struct Level
    {
        ProgramBatches batches;
        // The programs of no batch and their destinations, in list order.
        std::vector<Evaluator*> restPrograms;
        std::vector<std::uint32_t> restDests;
    };
    struct LevelRun;
    static void runLevelPart(void* context, unsigned p);
    void partition();

    std::size_t _size = 0;
    std::vector<Level> _levels;
    unsigned _threads = 1;
};
} // namespace SL_NS
