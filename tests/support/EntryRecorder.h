#pragma once
// Sparse solvers that keep what a Jacobian fill puts, for tests that read a
// compiled model's derivatives.
#include <expr/Build.h>
#include <sparse/ISolver.h>

#include <map>
#include <utility>

namespace test
{
// Everything but put and reset does nothing: a recorder only records.
struct RecordingSolver : sparse::ISolver<SL_NS::Value, int>
{
    using Value = SL_NS::Value;
    const Value* solutionValue(int) const override { return nullptr; }
    bool analyse() override { return false; }
    bool factorise() override { return false; }
    bool solve() override { return false; }
    bool solve(const Value*, Value*) override { return false; }
    void release() override {}
    void putRHS(int, Value) override {}
    sparse::ISolver<Value, int>* target() { return this; }
};

// The entries, summed by place.
struct EntryRecorder : RecordingSolver
{
    std::map<std::pair<int, int>, Value> entries;
    void put(int row, int col, Value value) override { entries[{row, col}] += value; }
    void reset() override { entries.clear(); }
};
} // namespace test
