#pragma once
// A diagonal matrix kept as its diagonal: the measurement weights.
#include <dense/Storage.h>

namespace dense
{
template <typename T>
class DiagMatrix
{
public:
    // Indexed access to the diagonal, checked against its size.
    class Manipulator
    {
    public:
        Manipulator(T* pDiag, int size)
            : _pDiag(pDiag)
            , _size(size)
        {
        }

        T& operator[](int posDiag) const
        {
            MU_ASSERT(posDiag >= 0);
            MU_ASSERT(_size > posDiag);
            return _pDiag[posDiag];
        }

    private:
        T* _pDiag;
        int _size;
    };

    DiagMatrix() = default;
    DiagMatrix(const DiagMatrix&) = delete;
    DiagMatrix& operator=(const DiagMatrix&) = delete;

    // n zeros on the diagonal; see Storage::reserve for pMgr and keepValues.
    void reserve(int n, MatrixMgr<T>* pMgr = nullptr, bool keepValues = false)
    {
        MU_ASSERT(n >= 0);
        _storage.reserve(size_t(n), pMgr, keepValues);
        _size = n;
    }

    int getSize() const { return _size; }
    Manipulator getManipulator() { return Manipulator(_storage.data(), _size); }

    const T* getData() const { return _storage.data(); }

    T getValue(int posDiag) const
    {
        MU_ASSERT(posDiag >= 0);
        MU_ASSERT(_size > posDiag);
        return _storage.data()[posDiag];
    }

private:
    priv::Storage<T> _storage;
    int _size = 0;
};
} // namespace dense
