#pragma once
// Storage for many small dense matrices taken from a few large blocks: a
// matrix reserved through a manager borrows its values from it, and they are
// all freed at once with the manager (which must outlive its matrices).
#include <cstddef>
#include <memory>
#include <vector>

namespace dense
{
template <typename T>
class MatrixMgr
{
public:
    explicit MatrixMgr(size_t blockSize = 4096)
        : _blockSize(blockSize > 0 ? blockSize : 1)
    {
    }

    MatrixMgr(const MatrixMgr&) = delete;
    MatrixMgr& operator=(const MatrixMgr&) = delete;

    // n value-initialised values; a request larger than a block gets a
    // block of its own.
    T* allocate(size_t n)
    {
        if (n > _free)
        {
            size_t size = n > _blockSize ? n : _blockSize;
            _blocks.push_back(std::make_unique<T[]>(size));
            _next = _blocks.back().get();
            _free = size;
        }
        T* p = _next;
        _next += n;
        _free -= n;
        return p;
    }

private:
    std::vector<std::unique_ptr<T[]>> _blocks;
    size_t _blockSize;
    T* _next = nullptr;
    size_t _free = 0;
};
} // namespace dense
