#pragma once
// The value storage shared by the dense matrix kinds: owned, or borrowed
// from a MatrixMgr.
#include <dense/MatrixMgr.h>
#include <mu/Assert.h>
#include <vector>

namespace dense::priv
{
template <typename T>
class Storage
{
public:
    // n values, all zero, unless keepValues is set and n equals the present
    // size (the values then stay).
    void reserve(size_t n, MatrixMgr<T>* pMgr, bool keepValues)
    {
        if (keepValues && n == _size && _data)
            return;
        if (pMgr)
        {
            _own.clear();
            _own.shrink_to_fit();
            _data = pMgr->allocate(n); // fresh memory, already zero
        }
        else
        {
            _own.assign(n, T());
            _data = _own.data();
        }
        _size = n;
    }

    T* data() { return _data; }
    const T* data() const { return _data; }
    size_t size() const { return _size; }

private:
    std::vector<T> _own;
    T* _data = nullptr;
    size_t _size = 0;
};
} // namespace dense::priv
