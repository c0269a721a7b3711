#pragma once
// Where the entries of the Jacobian's branch evaluators go in a compressed
// value array: every place any branch may write, found once, so that the
// branch the conditions select writes into a fixed pattern. Looked up by
// (row, column), as a branch puts its entries; branch entries are few.
#include <expr/Build.h>

#include <algorithm>
#include <mu/Assert.h>
#include <vector>

namespace SL_NS
{
class BranchPlaces
{
public:
    void clear() { _places.clear(); }
    bool empty() const { return _places.empty(); }
    void add(int row, int col, int place) { _places.push_back({row, col, place}); }
    // Orders the table for lookups once every place is added.
    void sort() { std::sort(_places.begin(), _places.end()); }
    // Sums the values a branch puts into their places of one value array.
    struct Writer
    {
        const BranchPlaces& table;
        Value* pValues;

        void put(int row, int col, Value value) { pValues[table.placeOf(row, col)] += value; }
    };

    int placeOf(int row, int col) const
    {
        const Place key {row, col, 0};
        auto it = std::lower_bound(_places.begin(), _places.end(), key);
        MU_ASSERT_MSG(it != _places.end() && it->row == row && it->col == col, "a branch place was not collected");
        return it->place;
    }

private:
    struct Place
    {
        int row;
        int col;
        int place;
        bool operator<(const Place& other) const { return row != other.row ? row < other.row : col < other.col; }
    };

    std::vector<Place> _places;
};
} // namespace SL_NS
