#pragma once
// A rectangular sparse matrix as it was put, with its size as created: what
// the systems built from it must amount to.
#include <algorithm>
#include <utility>
#include <vector>

namespace fuzz
{
template <typename T>
struct MatrixShadow
{
    struct Entry
    {
        int row, col;
        T value;
    };
    int rows = 0, cols = 0;
    std::vector<Entry> entries;

    bool holds(const Entry& e) const { return e.row >= 0 && e.row < rows && e.col >= 0 && e.col < cols; }
    // A size of a matrix, every entry inside it: its systems are built.
    bool isWhole() const
    {
        return rows >= 0 && cols >= 0 &&
               std::all_of(entries.begin(), entries.end(), [&](const Entry& e) { return holds(e); });
    }
    // Row k with duplicates summed, by column.
    std::vector<std::pair<int, T>> row(int k) const
    {
        std::vector<std::pair<int, T>> out;
        for (const Entry& e : entries)
        {
            if (e.row != k)
                continue;
            auto it = std::find_if(out.begin(), out.end(), [&](const auto& p) { return p.first == e.col; });
            if (it == out.end())
                out.push_back({e.col, e.value});
            else
                it->second += e.value;
        }
        return out;
    }
};
} // namespace fuzz
