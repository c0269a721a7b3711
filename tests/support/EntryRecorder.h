#pragma once
// A sparse solver that keeps the entries a Jacobian fill puts, summed by
// place, for tests that read a compiled model's derivatives.
#include <expr/Build.h>
#include <sparse/ISolver.h>

#include <map>
#include <utility>

namespace test
{
struct EntryRecorder : sparse::ISolver<SL_NS::Value, int>
{
    using Value = SL_NS::Value;
    std::map<std::pair<int, int>, Value> entries;
    void put(int row, int col, Value value) override { entries[{row, col}] += value; }
    const Value* solutionValue(int) const override { return nullptr; }
    bool analyse() override { return false; }
    bool factorise() override { return false; }
    bool solve() override { return false; }
    bool solve(const Value*, Value*) override { return false; }
    void release() override {}
    void reset() override { entries.clear(); }
    void putRHS(int, Value) override {}
};
} // namespace test
