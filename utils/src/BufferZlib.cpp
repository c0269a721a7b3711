// Deflate and inflate of buffer contents, and buffers to and from files.
#include <mem/Buffer.h>

#include <fstream>

#include <mem/IBufferAllocator.h>
#include <mu/Assert.h>
#include <zlib.h>

namespace mem
{
namespace
{
constexpr size_t s_blockSize = 4096;

// One zlib deflate stream whose output is appended to a buffer.
class Deflater
{
public:
    Deflater(Buffer& out, Buffer::Entry*& at)
        : _out(out)
        , _at(at)
    {
    }
    ~Deflater()
    {
        if (_started)
            deflateEnd(&_z);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool start(int level)
    {
        _started = deflateInit(&_z, level) == Z_OK;
        return _started;
    }

    // Compresses n bytes (at most one record or one block); finish ends the
    // stream. False when the output cannot be appended.
    bool feed(const char* data, size_t n, bool finish)
    {
        _z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        _z.avail_in = static_cast<uInt>(n);
        int flush = finish ? Z_FINISH : Z_NO_FLUSH;
        int ret;
        do
        {
            Bytef piece[s_blockSize];
            _z.next_out = piece;
            _z.avail_out = sizeof(piece);
            ret = deflate(&_z, flush);
            MU_ASSERT(ret != Z_STREAM_ERROR);
            size_t have = sizeof(piece) - _z.avail_out;
            if (have && !_out.append(reinterpret_cast<const char*>(piece), have, _at))
                return false;
        } while (_z.avail_out == 0);
        if (finish)
            MU_ASSERT(ret == Z_STREAM_END);
        return true;
    }

private:
    Buffer& _out;
    Buffer::Entry*& _at;
    z_stream _z {};
    bool _started = false;
};

// Inflates the content of src (one zlib stream) and passes the output in
// pieces to sink, which returns false when it cannot take them. True only
// when the stream ended properly.
template <class SINK>
bool inflateContent(const Buffer& src, SINK&& sink)
{
    z_stream z {};
    if (inflateInit(&z) != Z_OK)
        return false;
    int ret = Z_OK;
    bool ok = true;
    for (const Buffer::Entry* p = src.getFirstEntry(); p && ok && ret != Z_STREAM_END; p = p->pNext)
    {
        z.next_in = reinterpret_cast<Bytef*>(p->value.data);
        z.avail_in = p->value.used;
        // Each round either fills the output piece or uses up the input (or
        // stops at an error), so the loop is bounded by the data.
        do
        {
            Bytef piece[s_blockSize];
            z.next_out = piece;
            z.avail_out = sizeof(piece);
            ret = inflate(&z, Z_NO_FLUSH);
            if (ret != Z_OK && ret != Z_STREAM_END && ret != Z_BUF_ERROR)
            {
                ok = false;
                break;
            }
            size_t have = sizeof(piece) - z.avail_out;
            if (have && !sink(reinterpret_cast<const char*>(piece), have))
            {
                ok = false;
                break;
            }
        } while (z.avail_out == 0 && ret != Z_STREAM_END);
    }
    inflateEnd(&z);
    return ok && ret == Z_STREAM_END;
}
} // namespace

size_t Buffer::zlibCompress(std::ifstream& in, Entry*& at, int level)
{
    Deflater deflater(*this, at);
    if (!deflater.start(level))
        return 0;
    char block[s_blockSize];
    size_t consumed = 0;
    for (;;)
    {
        in.read(block, sizeof(block));
        size_t got = static_cast<size_t>(in.gcount());
        if (in.bad() || !deflater.feed(block, got, got == 0))
            return 0;
        if (got == 0)
            return consumed;
        consumed += got;
    }
}

Buffer::DeflateResult Buffer::deflateBuffer(const Buffer& other, Entry*& at, int level)
{
    Deflater deflater(*this, at);
    if (!deflater.start(level))
        return {false, 0};
    // The output may grow the very list being read when both buffers share it.
    size_t consumed = 0;
    bool fed = forEachPiece(other, [&deflater, &consumed](const char* data, size_t n) {
        if (!deflater.feed(data, n, false))
            return false;
        consumed += n;
        return true;
    });
    if (!fed)
        return {false, consumed};
    return {deflater.feed(nullptr, 0, true), consumed};
}

size_t Buffer::zlibCompress(const Buffer& other, Entry*& at, int level)
{
    DeflateResult r = deflateBuffer(other, at, level);
    return r.ok ? r.consumed : 0;
}

bool Buffer::zlibDecompress(std::ofstream& out) const
{
    return inflateContent(*this, [&out](const char* data, size_t n) {
        out.write(data, static_cast<std::streamsize>(n));
        return out.good();
    });
}

bool Buffer::zlibDecompress(Buffer& out, Entry*& at) const
{
    // Output appended to the list being read could be read again as input.
    if (&out == this || (isOK() && out.getFirstEntry() == getFirstEntry()))
        return false;
    return inflateContent(*this, [&out, &at](const char* data, size_t n) { return out.append(data, n, at); });
}

size_t Buffer::appendStream(std::ifstream& in, Entry*& at, int level)
{
    if (level >= 1 && level <= 9)
        return zlibCompress(in, at, level);
    char block[s_blockSize];
    size_t total = 0;
    for (;;)
    {
        in.read(block, sizeof(block));
        size_t got = static_cast<size_t>(in.gcount());
        if (in.bad() || (got && !append(block, got, at)))
            return 0;
        if (got == 0)
            return total;
        total += got;
    }
}

size_t Buffer::appendFileContent(const td::String& fileName, Entry*& at, int level)
{
    std::ifstream in(fileName.c_str(), std::ios::binary);
    if (!in.is_open())
        return 0;
    return appendStream(in, at, level);
}

size_t Buffer::loadFile(const td::String& fileName, int level)
{
    if (!_pAllocator)
        return 0;
    std::ifstream in(fileName.c_str(), std::ios::binary);
    if (!in.is_open())
        return 0;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size <= 0)
        return 0;
    in.seekg(0, std::ios::beg);
    // Read aside, so that a read that fails (a folder opens and seeks like a
    // huge file) leaves the old content in place.
    Buffer loaded(_pAllocator);
    Entry* at = nullptr;
    size_t n = loaded.appendStream(in, at, level);
    if (n != 0)
        *this = loaded;
    return n;
}
} // namespace mem
