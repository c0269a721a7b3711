#include <mem/Buffer.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <mem/IBufferAllocator.h>
#include <mu/Assert.h>

namespace mu
{
// Guards the owner counts of buffers that the main thread's allocator does
// not serve: such buffers may be copied across threads.
std::mutex _hGlobalBufferMutex;
} // namespace mu

namespace mem
{
namespace
{
// Records over someone else's bytes (strings) are read, never written.
uint32_t freeSpace(const Buffer::Entry* pEntry)
{
    return pEntry->value.pooled ? pEntry->value.capacity - pEntry->value.used : 0;
}

bool hasForeignRecords(const Buffer::Entry* pEntry)
{
    for (; pEntry; pEntry = pEntry->pNext)
        if (!pEntry->value.pooled)
            return true;
    return false;
}
} // namespace

Buffer::Buffer(IBufferAllocator* pAllocator)
    : _pAllocator(pAllocator)
{
}

Buffer::Buffer(const td::String* strings, size_t n, IBufferAllocator* pAllocator)
    : _pAllocator(pAllocator)
{
    if (_pAllocator && strings)
        _pAllocator->allocateFromStringArray(_list, strings, n);
}

Buffer::Buffer(const Buffer& other)
    : Buffer(&other)
{
}

Buffer::Buffer(const Buffer* pOther)
    : _pAllocator(pOther ? pOther->_pAllocator : nullptr)
{
    if (pOther)
    {
        _list.setFirstEntry(pOther->_list.getFirstEntry());
        addRef();
    }
}

Buffer& Buffer::operator=(const Buffer& other)
{
    if (this == &other || (isOK() && _list.getFirstEntry() == other._list.getFirstEntry()))
        return *this;
    releaseRef();
    _pAllocator = other._pAllocator;
    _list.setFirstEntry(other._list.getFirstEntry());
    addRef();
    return *this;
}

Buffer::~Buffer() { releaseRef(); }

void Buffer::addRef()
{
    Entry* pFirst = _list.getFirstEntry();
    if (!pFirst)
        return;
    if (_pAllocator == mu::getMainThreadBufferAllocator())
    {
        ++pFirst->value.extraOwners;
        return;
    }
    std::lock_guard<std::mutex> lock(mu::_hGlobalBufferMutex);
    std::atomic_ref<uint32_t>(pFirst->value.extraOwners).fetch_add(1);
}

void Buffer::releaseRef()
{
    Entry* pFirst = _list.getFirstEntry();
    if (!pFirst)
        return;
    bool last;
    if (_pAllocator == mu::getMainThreadBufferAllocator())
    {
        last = pFirst->value.extraOwners == 0;
        if (!last)
            --pFirst->value.extraOwners;
    }
    else
    {
        // The first look is made without the lock; under it the count is read
        // again, since another owner may have dropped its share meanwhile.
        std::atomic_ref<uint32_t> count(pFirst->value.extraOwners);
        last = count.load() == 0;
        if (!last)
        {
            std::lock_guard<std::mutex> lock(mu::_hGlobalBufferMutex);
            last = count.load() == 0;
            if (!last)
                count.fetch_sub(1);
        }
    }
    if (last && _pAllocator)
        _pAllocator->release(_list);
    _list.setFirstEntry(nullptr);
}

bool Buffer::isShared() const
{
    // Read as the other owners write it: they may be on other threads.
    Entry* pFirst = _list.getFirstEntry();
    return pFirst && std::atomic_ref<uint32_t>(pFirst->value.extraOwners).load() > 0;
}

bool Buffer::reserve(size_t n)
{
    if (n == 0 || !_pAllocator)
        return false;
    // Reserving rewrites the records, so a list shared with other buffers or
    // holding records over strings is left to its owners and replaced.
    if (isShared() || hasForeignRecords(_list.getFirstEntry()))
        releaseRef();
    if (isEmpty())
        return _pAllocator->allocate(_list, nullptr, n);
    size_t sum = 0;
    Entry* pLast = nullptr;
    for (Entry* p = _list.getFirstEntry(); p; p = p->pNext)
    {
        p->value.used = 0;
        sum += p->value.capacity;
        if (sum >= n)
        {
            _pAllocator->releasAfterEntry(p);
            return true;
        }
        pLast = p;
    }
    return _pAllocator->allocate(_list, pLast, n - sum);
}

char* Buffer::getFirstChunk() const
{
    const Entry* pFirst = _list.getFirstEntry();
    return pFirst ? pFirst->value.data : nullptr;
}

size_t Buffer::getNumberOfChunks() const
{
    size_t n = 0;
    for (const Entry* p = _list.getFirstEntry(); p; p = p->pNext)
        ++n;
    return n;
}

size_t Buffer::getTotalSize() const
{
    size_t n = 0;
    for (const Entry* p = _list.getFirstEntry(); p; p = p->pNext)
        n += p->value.used;
    return n;
}

size_t Buffer::getTotalCapacity() const
{
    size_t n = 0;
    for (const Entry* p = _list.getFirstEntry(); p; p = p->pNext)
        n += p->value.capacity;
    return n;
}

size_t Buffer::getTotalProcessed(const Entry* pEntry, unsigned offset) const
{
    size_t n = offset;
    for (const Entry* p = _list.getFirstEntry(); p && p != pEntry; p = p->pNext)
        n += p->value.capacity;
    return n;
}

bool Buffer::append(const char* data, size_t n, Entry*& at)
{
    if (!data)
        return true;
    if (n == 0)
        n = std::strlen(data);
    if (n == 0)
        return true;
    if (isEmpty())
    {
        if (!_pAllocator || !_pAllocator->allocate(_list, nullptr, n))
            return false;
        at = _list.getFirstEntry();
    }
    else if (!at)
        at = _list.getFirstEntry();
    return appendFrom(data, n, at);
}

bool Buffer::appendFrom(const char* data, size_t n, Entry*& at)
{
    for (;;)
    {
        Desc& d = at->value;
        size_t piece = std::min<size_t>(freeSpace(at), n);
        if (piece)
        {
            std::memcpy(d.data + d.used, data, piece);
            d.used += static_cast<uint32_t>(piece);
            data += piece;
            n -= piece;
        }
        if (n == 0)
            return true;
        if (!at->pNext && (!_pAllocator || !_pAllocator->allocate(_list, at, n)))
            return false;
        at = at->pNext;
    }
}

bool Buffer::appendRaw(const Buffer& other, Entry*& at)
{
    // other may be this buffer, or a copy sharing its list: what was there is
    // copied once.
    return forEachPiece(other, [this, &at](const char* data, size_t n) { return append(data, n, at); });
}

bool Buffer::append(const Buffer& other, Entry*& at, int level)
{
    if (level == 0)
        return appendRaw(other, at);
    if (level < 1 || level > 9)
        return false;
    return deflateBuffer(other, at, level).ok;
}

bool Buffer::replaceBegin(const char* data, size_t n)
{
    if (n == 0)
        return true;
    for (Entry* p = _list.getFirstEntry(); p && n; p = p->pNext)
    {
        if (!p->value.pooled)
            return false;
        size_t piece = std::min<size_t>(p->value.used, n);
        std::memcpy(p->value.data, data, piece);
        data += piece;
        n -= piece;
    }
    return n == 0;
}

bool Buffer::getDataFromBegin(char* out, size_t n) const
{
    if (n == 0)
        return true;
    for (const Entry* p = _list.getFirstEntry(); p && n; p = p->pNext)
    {
        size_t piece = std::min<size_t>(p->value.used, n);
        std::memcpy(out, p->value.data, piece);
        out += piece;
        n -= piece;
    }
    return n == 0;
}

bool Buffer::getHeadingData(char* out, size_t n, bool terminate) const
{
    if (terminate)
        out[n] = 0;
    return getDataFromBegin(out, n);
}

bool Buffer::moveBy(size_t n, Entry*& at)
{
    if (!at)
        at = _list.getFirstEntry();
    while (at)
    {
        Desc& d = at->value;
        size_t piece = std::min<size_t>(d.capacity - d.used, n);
        d.used += static_cast<uint32_t>(piece);
        n -= piece;
        if (n == 0)
            return true;
        if (!at->pNext)
            return false;
        at = at->pNext;
    }
    return n == 0;
}

void Buffer::moveToEnd(Entry*& at)
{
    if (!at)
        at = _list.getFirstEntry();
    while (at && at->pNext)
        at = at->pNext;
}

char* Buffer::getContinuousWritingDataChunk(unsigned n, Entry* at)
{
    MU_ASSERT_MSG(at, "false");
    if (freeSpace(at) >= n)
        return at->value.data + at->value.used;
    const Entry* pNext = at->pNext;
    if (at->value.used == at->value.capacity && pNext && pNext->value.pooled && pNext->value.capacity >= n)
        return pNext->value.data;
    return nullptr;
}

td::String Buffer::toString() const
{
    const Entry* pFirst = _list.getFirstEntry();
    if (!pFirst)
        return td::String();
    if (!pFirst->pNext)
        return td::String(pFirst->value.data, pFirst->value.used);
    size_t total = getTotalSize();
    // A loaded file may hold more than a string can.
    if (total > td::String::MaxLength)
        return td::String();
    std::unique_ptr<char[]> text(new char[total]);
    getDataFromBegin(text.get(), total);
    return td::String(text.get(), total);
}

bool Buffer::saveToFile(const char* path) const
{
    if (!path)
        return false;
    std::FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    bool ok = true;
    for (const Entry* p = _list.getFirstEntry(); p && ok; p = p->pNext)
        ok = std::fwrite(p->value.data, 1, p->value.used, f) == p->value.used;
    // A full disk often shows only when the last block is flushed at close.
    bool closed = std::fclose(f) == 0;
    return ok && closed;
}

unsigned Buffer::findFirst(const char* pattern, size_t n) const
{
    if (!pattern || n == 0)
        return npos;
    // Knuth-Morris-Pratt over the bytes as they stand in the records: linear
    // in the content, and a partial match that fails falls back to the
    // longest prefix of the pattern that is also a suffix of what matched.
    std::vector<size_t> fallback(n, 0);
    for (size_t i = 1, k = 0; i < n; ++i)
    {
        while (k && pattern[i] != pattern[k])
            k = fallback[k - 1];
        if (pattern[i] == pattern[k])
            ++k;
        fallback[i] = k;
    }
    size_t pos = 0;
    size_t matched = 0;
    for (const Entry* p = _list.getFirstEntry(); p; p = p->pNext)
    {
        const char* data = p->value.data;
        for (uint32_t i = 0; i < p->value.used; ++i, ++pos)
        {
            while (matched && data[i] != pattern[matched])
                matched = fallback[matched - 1];
            if (data[i] == pattern[matched])
                ++matched;
            if (matched == n)
            {
                size_t start = pos + 1 - n;
                return start < npos ? static_cast<unsigned>(start) : npos;
            }
        }
    }
    return npos;
}

std::pair<char*, unsigned> Buffer::getDataChunk(const Entry*& at, unsigned& offset) const
{
    MU_ASSERT_MSG(at, "false");
    if (offset >= at->value.used)
    {
        MU_ASSERT_MSG(at->pNext, "false");
        at = at->pNext;
        offset = 0;
    }
    char* data = at->value.data + offset;
    unsigned n = at->value.used - offset;
    offset = at->value.used;
    return {data, n};
}

unsigned Buffer::getDataChunk(char* out, unsigned n, const Entry*& at, unsigned& offset) const
{
    unsigned copied = 0;
    while (at && copied < n)
    {
        if (offset >= at->value.used)
        {
            if (!at->pNext)
                break;
            at = at->pNext;
            offset = 0;
            continue;
        }
        unsigned piece = std::min(n - copied, at->value.used - offset);
        std::memcpy(out + copied, at->value.data + offset, piece);
        copied += piece;
        offset += piece;
    }
    return copied;
}

char* Buffer::getContinuousReadingDataChunk(unsigned n, const Entry* at, unsigned offset) const
{
    MU_ASSERT_MSG(at, "false");
    if (offset <= at->value.used && at->value.used - offset >= n)
        return at->value.data + offset;
    const Entry* pNext = at->pNext;
    if (offset == at->value.used && pNext && pNext->value.used >= n)
        return pNext->value.data;
    return nullptr;
}

void Buffer::moveProcessedPos(unsigned n, const Entry*& at, unsigned& offset) const
{
    const Entry* currentEntry = at;
    MU_ASSERT(currentEntry);
    unsigned currProcessed = offset;
    for (;;)
    {
        unsigned currSize = currentEntry->value.used;
        MU_ASSERT(currSize >= currProcessed);
        unsigned left = currSize - currProcessed;
        if (n <= left)
        {
            at = currentEntry;
            offset = currProcessed + n;
            return;
        }
        n -= left;
        currentEntry = currentEntry->pNext;
        MU_ASSERT_MSG(currentEntry, "false");
        currProcessed = 0;
    }
}

void Buffer::relaseChunksUntilCurrent(const Entry* current)
{
    if (current == _list.getFirstEntry() || !_pAllocator)
        return;
    MU_ASSERT_MSG(!isShared(), "false");
    _pAllocator->releasBeforeEntry(_list, const_cast<Entry*>(current));
}
} // namespace mem
