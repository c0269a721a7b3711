#pragma once
// The pattern of the normal equations H*WH of a sparse H, found once from
// the structure of H (not from its values: an entry that happens to be 0
// at one point is still there at the next), with the place of every
// product of two entries of one row. A refill of H then costs one pass
// over those products, straight into the values of H*WH.
#include <cstddef>
#include <vector>

namespace sparse::priv
{
class NormalPattern
{
public:
    // H (nRows x nCols) in compressed rows with ascending columns.
    void build(int nRows, int nCols, const int* starts, const int* cols);

    // gram := H*WH in compressed columns (both triangles, nonZeros() places),
    // rhs := H*Wr (nCols places). W holds a weight per row.
    template <typename T>
    void compute(const int* starts, const int* cols, const T* h, const double* w, const T* r, T* gram, T* rhs) const;

    int nonZeros() const { return int(_rows.size()); }
    const int* starts() const { return _starts.data(); }
    const int* rows() const { return _rows.data(); }

private:
    int _nRows = 0;
    int _nCols = 0;
    std::vector<int> _starts;
    std::vector<int> _rows;
    // Per row of H, for each entry p and each later entry q (and p itself):
    // the place of the product in the lower triangle.
    std::vector<int> _products;
    // The places above the diagonal and the places of their mirrors below.
    std::vector<int> _upper;
    std::vector<int> _lower;
};
} // namespace sparse::priv
