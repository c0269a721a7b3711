#pragma once
// An ascending set of the integers 0.._size-1, threaded through an array:
// slot v of a member v holds the next member + 1 (0 at the last member),
// slots of non-members hold 0. Membership is O(1) and the members stay
// sorted without a sort.
#include <mu/Assert.h>

#include <type_traits>

namespace cnt
{

template <typename TINT>
class FixNumSet
{
    static_assert(std::is_integral_v<TINT> && std::is_signed_v<TINT>);

    TINT* _data = nullptr;
    TINT _first = 0; // first member + 1, 0 when empty
    TINT _last = 0;  // last member + 1
    TINT _size = 0;

public:
    class iterator
    {
        const FixNumSet* _pFixSet;
        TINT _pos; // member + 1, 0 at the end

    public:
        iterator(const FixNumSet* pFixSet, TINT pos)
            : _pFixSet(pFixSet)
            , _pos(pos)
        {
        }

        TINT operator*() const { return _pos - 1; }

        iterator& operator++()
        {
            MU_ASSERT(_pos > 0);
            _pos = (*_pFixSet)[_pos - 1];
            return *this;
        }

        bool operator!=(const iterator& it) const
        {
            MU_ASSERT(it._pFixSet == _pFixSet);
            return it._pos != _pos;
        }
    };

    FixNumSet() = default;
    FixNumSet(const FixNumSet&) = delete;
    FixNumSet& operator=(const FixNumSet&) = delete;
    ~FixNumSet() { delete[] _data; }

    // Makes an empty set for the values 0..n-1; n below 1 is ignored.
    void reserve(TINT n)
    {
        if (n < 1)
            return;
        delete[] _data;
        _data = new TINT[n]();
        _first = 0;
        _last = 0;
        _size = n;
    }

    void insert(TINT val)
    {
        MU_ASSERT(val >= 0);
        MU_ASSERT(val < _size);
        const TINT k = val + 1;
        if (_first == 0)
        {
            _first = _last = k;
            _data[val] = 0;
            return;
        }
        if (contains(val))
            return;
        if (k < _first)
        {
            _data[val] = _first;
            _first = k;
        }
        else if (k > _last)
        {
            _data[_last - 1] = k;
            _data[val] = 0;
            _last = k;
        }
        else
        {
            // first < k < last: the chain reaches a member above val before
            // its end, so the walk stays inside the array
            TINT p = _first;
            TINT q = _data[p - 1];
            while (q - 1 < val)
            {
                p = q;
                q = _data[p - 1];
            }
            _data[p - 1] = k;
            _data[val] = q;
        }
    }

    // Empties the set in time proportional to its members.
    void clean()
    {
        for (TINT v = _first; v != 0;)
        {
            const TINT next = _data[v - 1];
            _data[v - 1] = 0;
            v = next;
        }
        _first = _last = 0;
    }

    bool contains(TINT val) const
    {
        return val >= 0 && val < _size && (_first == val + 1 || _last == val + 1 || _data[val] != 0);
    }

    // Slot pos: the next member + 1, or 0.
    TINT operator[](TINT pos) const
    {
        MU_ASSERT(pos >= 0);
        MU_ASSERT(pos < _size);
        return _data[pos];
    }

    TINT size() const { return _size; }
    bool isEmpty() const { return _first == 0; }

    iterator begin() const { return iterator(this, _first); }
    iterator end() const { return iterator(this, 0); }
};

} // namespace cnt
