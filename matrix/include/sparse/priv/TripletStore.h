#pragma once
// The entries of one fill, in the order they were put, and whether their
// (row, column) sequence still equals the one last compressed. Refilling the
// same pattern writes values only; rows and columns are compared, not
// stored again, and nothing is allocated once the store is large enough.
// Entries beyond those of the longest fill so far are appended.
#include <cstddef>
#include <vector>

namespace sparse::priv
{
template <typename T>
class TripletStore
{
public:
    // The capacity is reserved, not filled: untouched memory costs nothing.
    explicit TripletStore(size_t capacity)
    {
        _rows.reserve(capacity);
        _cols.reserve(capacity);
        _values.reserve(capacity);
    }

    void put(int row, int col, T value)
    {
        if (_count < _rows.size())
        {
            if (_rows[_count] != row || _cols[_count] != col)
            {
                _rows[_count] = row;
                _cols[_count] = col;
                _patternChanged = true;
            }
            _values[_count] = value;
        }
        else
        {
            _rows.push_back(row);
            _cols.push_back(col);
            _values.push_back(value);
            _patternChanged = true;
        }
        ++_count;
    }

    // Starts a refill; the pattern of the last fill stays for comparison.
    void reset() { _count = 0; }

    bool isSamePattern() const { return !_patternChanged && _count == _compressedCount; }

    // The present pattern becomes the one later fills are compared with.
    void markCompressed()
    {
        _patternChanged = false;
        _compressedCount = _count;
    }

    size_t count() const { return _count; }
    const int* rows() const { return _rows.data(); }
    const int* cols() const { return _cols.data(); }
    const T* values() const { return _values.data(); }

private:
    std::vector<int> _rows;
    std::vector<int> _cols;
    std::vector<T> _values;
    size_t _count = 0;
    size_t _compressedCount = 0;
    bool _patternChanged = true;
};
} // namespace sparse::priv
