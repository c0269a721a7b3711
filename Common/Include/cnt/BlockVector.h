#pragma once
// A vector in fixed blocks of BLOCK_SIZE elements chained in a list. Stored
// elements never move, so references stay valid until reserve or
// destruction. The block used last is cached, so a forward walk costs one
// list step per block; a step backwards restarts from the head.
#include <cnt/List.h>
#include <mu/Assert.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace cnt
{

template <typename T, std::uint32_t BLOCK_SIZE>
class BlockVector
{
    static_assert(BLOCK_SIZE > 0 && (BLOCK_SIZE & (BLOCK_SIZE - 1)) == 0,
                  "element positions split into block and offset by shift and mask");

    using Blocks = cnt::List<T*>;

    Blocks _blocks;
    mutable typename Blocks::iterator _cachedPos;
    std::uint32_t _size = 0;
    std::uint32_t _capacity = 0;
    mutable std::uint32_t _cachedBlock = 0;

    T* findBlock(std::uint32_t b) const
    {
        if (b != _cachedBlock || !_cachedPos.isValid())
        {
            std::uint32_t from = _cachedBlock;
            if (from >= b || !_cachedPos.isValid())
            {
                _cachedPos = _blocks.begin();
                from = 0;
            }
            for (; from < b; ++from)
                ++_cachedPos;
            _cachedBlock = b;
        }
        T* pBlock = _cachedPos.isValid() ? *_cachedPos : nullptr;
        MU_ASSERT(pBlock);
        return pBlock;
    }

    void freeBlocks()
    {
        for (T* pBlock : _blocks)
            delete[] pBlock;
        _blocks.clean();
        _cachedPos = typename Blocks::iterator();
        _cachedBlock = 0;
        _capacity = 0;
    }

public:
    class const_iterator
    {
        const BlockVector* _pVector;
        std::uint32_t _pos;
        std::uint32_t _size;

    public:
        const_iterator(const BlockVector* pVector, std::uint32_t pos)
            : _pVector(pVector)
            , _pos(pos)
            , _size(pVector->_size)
        {
        }
        const T& operator*() const { return (*_pVector)[_pos]; }
        const_iterator& operator++()
        {
            MU_ASSERT(_pos < _size);
            ++_pos;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return _pos == other._pos; }
    };

    BlockVector() = default;
    BlockVector(const BlockVector&) = delete;
    BlockVector& operator=(const BlockVector&) = delete;
    // The blocks change hands; the source is left empty.
    BlockVector(BlockVector&& other) noexcept { *this = std::move(other); }
    BlockVector& operator=(BlockVector&& other) noexcept
    {
        if (this != &other)
        {
            freeBlocks();
            _blocks = std::move(other._blocks);
            _cachedPos = std::exchange(other._cachedPos, typename Blocks::iterator());
            _size = std::exchange(other._size, 0);
            _capacity = std::exchange(other._capacity, 0);
            _cachedBlock = std::exchange(other._cachedBlock, 0);
        }
        return *this;
    }
    ~BlockVector() { freeBlocks(); }

    // Appends a value-initialised element and returns it: a record written
    // field by field in place is never copied.
    T& push_back()
    {
        MU_ASSERT(_size <= _capacity);
        T* pBlock;
        if (_size == _capacity)
        {
            MU_ASSERT(_capacity <= UINT32_MAX - BLOCK_SIZE);
            pBlock = new T[BLOCK_SIZE];
            _cachedPos = _blocks.push_back(pBlock);
            _cachedBlock = _size / BLOCK_SIZE;
            _capacity += BLOCK_SIZE;
        }
        else
            pBlock = findBlock(_size / BLOCK_SIZE);
        MU_ASSERT(pBlock);
        T& slot = pBlock[_size % BLOCK_SIZE];
        slot = T {};
        ++_size;
        return slot;
    }

    void push_back(const T& value) { push_back() = value; }

    // Drops the last element; its block stays.
    void pop_back()
    {
        MU_ASSERT(_size > 0);
        --_size;
    }

    T& operator[](std::size_t pos)
    {
        MU_ASSERT(pos < _size);
        return findBlock(static_cast<std::uint32_t>(pos / BLOCK_SIZE))[pos % BLOCK_SIZE];
    }
    const T& operator[](std::size_t pos) const
    {
        MU_ASSERT(pos < _size);
        return findBlock(static_cast<std::uint32_t>(pos / BLOCK_SIZE))[pos % BLOCK_SIZE];
    }

    // Empties the vector with room for n elements. When the rounded-up
    // block count matches, the blocks stay (with their old values) and the
    // vector rewinds to the first one; n = 0 frees everything.
    void reserve(std::size_t n)
    {
        _size = 0;
        if (n == 0)
        {
            freeBlocks();
            return;
        }
        const std::size_t blocks = (n + BLOCK_SIZE - 1) / BLOCK_SIZE;
        MU_ASSERT(blocks <= UINT32_MAX / BLOCK_SIZE);
        if (blocks * BLOCK_SIZE != _capacity)
        {
            freeBlocks();
            for (std::size_t i = 0; i < blocks; ++i)
                _blocks.push_back(new T[BLOCK_SIZE]);
            _capacity = static_cast<std::uint32_t>(blocks * BLOCK_SIZE);
        }
        _cachedPos = _blocks.begin();
        _cachedBlock = 0;
    }

    // Size 0 with every block kept: refilling allocates nothing until the
    // old capacity is used up.
    void rewind()
    {
        _size = 0;
        _cachedPos = _blocks.begin();
        _cachedBlock = 0;
    }

    std::size_t size() const { return _size; }
    std::size_t capacity() const { return _capacity; }

    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, _size); }
};

} // namespace cnt
