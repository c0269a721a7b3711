#include <gtest/gtest.h>

#include <mem/BufferAllocator.h>
#include <mem/Buffer.h>

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace
{
using Entry = mem::Buffer::Entry;
using Allocator = mem::BufferAllocator<1024, 65536, 2048>;

std::string contentOf(const mem::Buffer& b)
{
    td::String s = b.toString();
    return std::string(s.c_str(), s.length());
}

std::vector<unsigned> usedSizes(const mem::Buffer& b)
{
    std::vector<unsigned> sizes;
    for (const Entry* p = b.getFirstEntry(); p; p = p->pNext)
        sizes.push_back(p->value.used);
    return sizes;
}

// Text with some repetition so that deflate has something to do, and some
// variety so that it is not trivial.
std::string sampleText(size_t n)
{
    std::string s;
    unsigned x = 12345;
    while (s.size() < n)
    {
        x = x * 1103515245u + 12345u;
        s += "line " + std::to_string((x >> 16) % 1000) + " of the sample;\n";
    }
    s.resize(n);
    return s;
}

// zlib's own one-shot inflate, found in the zlib that the library loaded.
std::string inflateWithZlib(const std::string& compressed, size_t expectedSize)
{
    using Uncompress = int (*)(unsigned char*, unsigned long*, const unsigned char*, unsigned long);
    auto uncompress = reinterpret_cast<Uncompress>(dlsym(RTLD_DEFAULT, "uncompress"));
    if (!uncompress)
        ADD_FAILURE() << "zlib's uncompress not found";
    std::string out(expectedSize + 16, '\0');
    unsigned long outLen = out.size();
    int ret = uncompress ? uncompress(reinterpret_cast<unsigned char*>(out.data()), &outLen,
                                      reinterpret_cast<const unsigned char*>(compressed.data()), compressed.size())
                         : -1;
    EXPECT_EQ(ret, 0) << "zlib could not inflate the stream";
    out.resize(ret == 0 ? outLen : 0);
    return out;
}

class TempDir
{
public:
    TempDir()
        : _path(std::filesystem::temp_directory_path() / ("buffers_" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(_path);
    }
    ~TempDir() { std::filesystem::remove_all(_path); }
    std::string file(const char* name, const std::string& content) const
    {
        std::string path = (_path / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string path(const char* name) const { return (_path / name).string(); }

private:
    std::filesystem::path _path;
};
} // namespace

TEST(BufferTest, AppendFillsChunksInOrderWithoutMovingThem)
{
    mem::Buffer b(mu::getMainThreadBufferAllocator());
    std::string text = sampleText(2500);
    Entry* at = nullptr;
    ASSERT_TRUE(b.append(text.data(), 1000, at));
    char* firstChunk = b.getFirstChunk();
    ASSERT_TRUE(b.append(text.data() + 1000, 1500, at));

    EXPECT_EQ(usedSizes(b), (std::vector<unsigned> {1024, 1024, 452}));
    EXPECT_EQ(b.getFirstChunk(), firstChunk);
    EXPECT_EQ(at, b.getFirstEntry()->pNext->pNext);
    EXPECT_EQ(b.getNumberOfChunks(), 3u);
    EXPECT_EQ(b.getTotalSize(), 2500u);
    EXPECT_EQ(b.getTotalCapacity(), 3072u);
    EXPECT_EQ(b.getTotalProcessed(at, 10), 2058u);
    EXPECT_EQ(contentOf(b), text);

    std::string head(100, '\0');
    ASSERT_TRUE(b.getHeadingData(head.data(), 99, true));
    EXPECT_EQ(head.substr(0, 99), text.substr(0, 99));
    EXPECT_EQ(head[99], '\0');
    ASSERT_TRUE(b.replaceBegin("HEAD", 4));
    EXPECT_EQ(contentOf(b), "HEAD" + text.substr(4));
    std::string tooLong(2501, '\0');
    EXPECT_FALSE(b.getDataFromBegin(tooLong.data(), tooLong.size()));
}

TEST(BufferTest, BufferWithoutAllocatorRefusesToGrow)
{
    mem::Buffer b;
    Entry* at = nullptr;
    EXPECT_FALSE(b.append("abc", 3, at));
    EXPECT_FALSE(b.reserve(10));
    EXPECT_TRUE(b.isEmpty());
    EXPECT_TRUE(b.toString().isEmpty());
}

TEST(BufferTest, CopiesShareTheListAndTheLastOwnerFreesIt)
{
    mem::Buffer b(mu::getMainThreadBufferAllocator());
    Entry* at = nullptr;
    b.append("shared text", 0, at);
    {
        mem::Buffer copy1(b);
        mem::Buffer copy2(mu::getMainThreadBufferAllocator());
        copy2 = copy1;
        EXPECT_EQ(copy2.getFirstEntry(), b.getFirstEntry());
        EXPECT_EQ(b.getFirstEntry()->value.extraOwners, 2u);
    }
    EXPECT_EQ(b.getFirstEntry()->value.extraOwners, 0u);
    EXPECT_EQ(contentOf(b), "shared text");

    // The last owner need not be the first one.
    mem::Buffer* pFirst = new mem::Buffer(b);
    b.releaseRef();
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(contentOf(*pFirst), "shared text");
    delete pFirst;
}

TEST(BufferTest, OwnerCountsOfOtherAllocatorsSurviveCopiesOnManyThreads)
{
    Allocator allocator;
    mem::Buffer b(&allocator);
    Entry* at = nullptr;
    b.append("x", 1, at);
    std::atomic<bool> go {false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < 20000; ++i)
            {
                mem::Buffer copy(b);
                mem::Buffer other(&b);
            }
        });
    go = true;
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(b.getFirstEntry()->value.extraOwners, 0u);
    EXPECT_EQ(contentOf(b), "x");
}

TEST(BufferTest, ReserveRewindsRecordsAndGivesBackWhatIsNotNeeded)
{
    Allocator allocator;
    mem::Buffer b(&allocator);
    std::string text(3072, 'a');
    Entry* at = nullptr;
    b.append(text.data(), text.size(), at);
    ASSERT_EQ(usedSizes(b), (std::vector<unsigned> {1024, 1024, 1024}));
    Entry* first = b.getFirstEntry();

    ASSERT_TRUE(b.reserve(3000));
    EXPECT_EQ(usedSizes(b), (std::vector<unsigned> {0, 0, 0}));
    ASSERT_TRUE(b.reserve(1000));
    EXPECT_EQ(usedSizes(b), (std::vector<unsigned> {0}));
    EXPECT_EQ(b.getFirstEntry(), first);
    ASSERT_TRUE(b.reserve(2049));
    EXPECT_EQ(b.getTotalCapacity(), 3072u);
    EXPECT_FALSE(b.reserve(0));

    // A shared buffer leaves the list to the other owner.
    mem::Buffer copy(b);
    ASSERT_TRUE(b.reserve(10));
    EXPECT_NE(b.getFirstEntry(), copy.getFirstEntry());
    EXPECT_EQ(copy.getFirstEntry()->value.extraOwners, 0u);
}

TEST(BufferTest, RecordsOverStringsAreReadButNeverWritten)
{
    const td::String strings[] = {"ab", "", "cde"};
    Allocator allocator;
    mem::Buffer b(strings, 3, &allocator);
    EXPECT_EQ(usedSizes(b), (std::vector<unsigned> {2, 0, 3}));
    EXPECT_EQ(b.getFirstChunk(), strings[0].c_str());

    // Appending a buffer whose middle record is empty copies all records.
    mem::Buffer target(&allocator);
    Entry* at = nullptr;
    ASSERT_TRUE(target.append(b, at, 0));
    EXPECT_EQ(contentOf(target), "abcde");

    at = nullptr;
    ASSERT_TRUE(b.append("XY", 2, at));
    EXPECT_EQ(contentOf(b), "abcdeXY");
    EXPECT_FALSE(b.replaceBegin("zz", 2));
    ASSERT_TRUE(b.reserve(5));
    at = nullptr;
    ASSERT_TRUE(b.append("12345", 5, at));
    EXPECT_EQ(contentOf(b), "12345");
    EXPECT_STREQ(strings[0].c_str(), "ab");
    EXPECT_STREQ(strings[2].c_str(), "cde");
}

TEST(BufferTest, FindFirstReportsTheFirstMatchAnywhereInTheContent)
{
    struct Case
    {
        std::string content;
        std::string pattern;
        unsigned expected;
    };
    const unsigned none = mem::Buffer::npos;
    const Case cases[] = {
        {"xxab", "ab", 2},
        {"aaab", "aab", 1}, // a failed partial match must not skip a start
        {"abababc", "ababc", 2},
        {"ab", "ab", 0},
        {"", "a", none}, // not-found is no position, also when empty
        {"abc", "abd", none},
        {"ab", "abc", none},
        {std::string(1022, 'x') + "abcd", "abcd", 1022}, // across two chunks
        {std::string(5000, 'a') + "b", std::string(1500, 'a') + "b", 3500},
    };
    for (const Case& c : cases)
    {
        mem::Buffer b(mu::getMainThreadBufferAllocator());
        Entry* at = nullptr;
        b.append(c.content.data(), c.content.size(), at);
        EXPECT_EQ(b.findFirst(c.pattern.data(), c.pattern.size()), c.expected)
            << c.pattern.substr(0, 10) << " in " << c.content.substr(0, 10);
    }
    const td::String pieces[] = {"xa", "", "a", "b"};
    mem::Buffer b(pieces, 4, mu::getMainThreadBufferAllocator());
    EXPECT_EQ(b.findFirst("aab", 3), 1u);
}

TEST(BufferTest, ReadingPositionsWalkTheRecords)
{
    mem::Buffer b(mu::getMainThreadBufferAllocator());
    std::string text = sampleText(2500);
    Entry* at = nullptr;
    b.append(text.data(), text.size(), at);

    // Chunk by chunk.
    mem::Buffer::ReadPosition pos = b.begin();
    std::string read;
    while (read.size() < text.size())
    {
        auto [data, n] = b.getDataChunk(pos.pEntry, pos.offset);
        read.append(data, n);
    }
    EXPECT_EQ(read, text);

    // Copies across record ends, and stops at the end of the content.
    const Entry* e = b.getFirstEntry();
    unsigned offset = 1000;
    std::string piece(100, '\0');
    ASSERT_EQ(b.getDataChunk(piece.data(), 100, e, offset), 100u);
    EXPECT_EQ(piece, text.substr(1000, 100));
    EXPECT_EQ(e, b.getFirstEntry()->pNext);
    EXPECT_EQ(offset, 76u);
    std::string rest(3000, '\0');
    EXPECT_EQ(b.getDataChunk(rest.data(), 3000, e, offset), 1400u);

    e = b.getFirstEntry();
    offset = 0;
    b.moveProcessedPos(2100, e, offset);
    EXPECT_EQ(e, b.getFirstEntry()->pNext->pNext);
    EXPECT_EQ(offset, 52u);
    EXPECT_EQ(b.getContinuousReadingDataChunk(400, e, offset), e->value.data + 52);
    EXPECT_EQ(b.getContinuousReadingDataChunk(401, e, offset), nullptr);
    const Entry* first = b.getFirstEntry();
    EXPECT_EQ(b.getContinuousReadingDataChunk(10, first, 1024), first->pNext->value.data);

    // Records before the reading position can be given back.
    b.relaseChunksUntilCurrent(e);
    EXPECT_EQ(b.getFirstEntry(), e);
    EXPECT_EQ(contentOf(b), text.substr(2048));
}

TEST(BufferTest, WritingPositionsFillReservedRecords)
{
    mem::Buffer b(mu::getMainThreadBufferAllocator());
    ASSERT_TRUE(b.reserve(2048));
    Entry* at = b.writer();
    char* p = b.getContinuousWritingDataChunk(1000, at);
    ASSERT_EQ(p, at->value.data);
    std::memset(p, 'a', 1000);
    ASSERT_TRUE(b.moveBy(1000, at));
    EXPECT_EQ(b.getContinuousWritingDataChunk(25, at), nullptr);
    p = b.getContinuousWritingDataChunk(24, at);
    std::memset(p, 'b', 24);
    ASSERT_TRUE(b.moveBy(24, at));
    p = b.getContinuousWritingDataChunk(1024, at);
    ASSERT_EQ(p, at->pNext->value.data);
    std::memset(p, 'c', 1024);
    ASSERT_TRUE(b.moveBy(1024, at));
    EXPECT_EQ(contentOf(b), std::string(1000, 'a') + std::string(24, 'b') + std::string(1024, 'c'));
    EXPECT_FALSE(b.moveBy(1, at));

    Entry* end = nullptr;
    b.moveToEnd(end);
    EXPECT_EQ(end, b.getFirstEntry()->pNext);
}

TEST(BufferTest, DeflatedContentInflatesBackByteForByte)
{
    TempDir dir;
    std::string text = sampleText(20000);
    std::string path = dir.file("sample.txt", text);

    mem::Buffer raw(mu::getMainThreadBufferAllocator());
    Entry* at = nullptr;
    EXPECT_EQ(raw.appendFileContent(path.c_str(), at, 0), text.size());
    EXPECT_EQ(contentOf(raw), text);

    mem::Buffer packed(mu::getMainThreadBufferAllocator());
    at = nullptr;
    EXPECT_EQ(packed.appendFileContent(path.c_str(), at, 6), text.size());
    std::string stream = contentOf(packed);
    EXPECT_LT(stream.size(), text.size() / 2);
    EXPECT_EQ(inflateWithZlib(stream, text.size()), text);

    // Buffer to buffer, each level.
    for (int level = 1; level <= 9; ++level)
    {
        mem::Buffer out(mu::getMainThreadBufferAllocator());
        at = nullptr;
        ASSERT_TRUE(out.append(raw, at, level));
        EXPECT_EQ(inflateWithZlib(contentOf(out), text.size()), text) << "level " << level;
    }
    mem::Buffer out(mu::getMainThreadBufferAllocator());
    at = nullptr;
    EXPECT_FALSE(out.append(raw, at, 10));
    EXPECT_EQ(out.zlibCompress(raw, at, 12), 0u);

    // And inflated again by the buffer itself, into a buffer and a file.
    mem::Buffer back(mu::getMainThreadBufferAllocator());
    at = nullptr;
    ASSERT_TRUE(packed.zlibDecompress(back, at));
    EXPECT_EQ(contentOf(back), text);
    std::string outPath = dir.path("inflated.txt");
    {
        std::ofstream f(outPath, std::ios::binary);
        ASSERT_TRUE(packed.zlibDecompress(f));
    }
    mem::Buffer fromFile(mu::getMainThreadBufferAllocator());
    EXPECT_EQ(fromFile.loadFile(outPath.c_str(), 0), text.size());
    EXPECT_EQ(contentOf(fromFile), text);
}

TEST(BufferTest, DamagedOrTruncatedStreamIsRefused)
{
    std::string text = sampleText(5000);
    mem::Buffer raw(mu::getMainThreadBufferAllocator());
    Entry* at = nullptr;
    raw.append(text.data(), text.size(), at);
    mem::Buffer packed(mu::getMainThreadBufferAllocator());
    at = nullptr;
    ASSERT_TRUE(packed.append(raw, at, 6));
    std::string stream = contentOf(packed);

    std::string damaged = stream;
    damaged[stream.size() / 2] ^= 0x55;
    damaged[stream.size() / 2 + 1] ^= 0x55;
    const std::string inputs[] = {stream.substr(0, stream.size() / 2), damaged, "not a zlib stream", ""};
    for (const std::string& input : inputs)
    {
        mem::Buffer in(mu::getMainThreadBufferAllocator());
        at = nullptr;
        in.append(input.data(), input.size(), at);
        mem::Buffer out(mu::getMainThreadBufferAllocator());
        Entry* outAt = nullptr;
        EXPECT_FALSE(in.zlibDecompress(out, outAt)) << input.size() << " bytes";
    }
    // A buffer cannot inflate into the list it reads.
    mem::Buffer copy(packed);
    at = nullptr;
    EXPECT_FALSE(packed.zlibDecompress(copy, at));
}

TEST(BufferTest, FilesLoadAndSave)
{
    TempDir dir;
    std::string text = sampleText(3000);
    mem::Buffer b(mu::getMainThreadBufferAllocator());
    Entry* at = nullptr;
    b.append(text.data(), text.size(), at);
    std::string path = dir.path("saved.bin");
    ASSERT_TRUE(b.saveToFile(path.c_str()));

    mem::Buffer loaded(mu::getMainThreadBufferAllocator());
    at = nullptr;
    loaded.append("old", 3, at);
    EXPECT_EQ(loaded.loadFile(path.c_str(), 0), text.size());
    EXPECT_EQ(contentOf(loaded), text);

    // A missing or empty file, or a folder, leaves the buffer as it was.
    EXPECT_EQ(loaded.loadFile(dir.path("missing").c_str(), 0), 0u);
    EXPECT_EQ(loaded.loadFile(dir.file("empty", "").c_str(), 0), 0u);
    EXPECT_EQ(loaded.loadFile(dir.path(".").c_str(), 0), 0u);
    EXPECT_EQ(contentOf(loaded), text);
    at = nullptr;
    EXPECT_EQ(loaded.appendFileContent(dir.path("missing").c_str(), at, 0), 0u);

    EXPECT_FALSE(b.saveToFile(dir.path("no/such/folder/file").c_str()));
    // A device that accepts the open but no byte: the failure shows in the
    // write or at the close, and must be reported.
    if (std::filesystem::exists("/dev/full"))
    {
        EXPECT_FALSE(b.saveToFile("/dev/full"));
    }
}

TEST(BufferTest, AppendingABufferToItselfCopiesWhatWasThereOnce)
{
    mem::Buffer b(mu::getMainThreadBufferAllocator());
    std::string text = sampleText(1500);
    Entry* at = nullptr;
    b.append(text.data(), text.size(), at);
    ASSERT_TRUE(b.append(b, at, 0));
    EXPECT_EQ(contentOf(b), text + text);

    // A copy shares the list, so appending it is appending to itself too.
    mem::Buffer copy(b);
    ASSERT_TRUE(b.append(copy, at, 0));
    EXPECT_EQ(contentOf(b), text + text + text + text);
    EXPECT_EQ(contentOf(copy), contentOf(b));
}

namespace
{
// Serves a fixed number of data chunks, then reports that memory ran out.
class ScarceAllocator final : public mem::IBufferAllocator
{
public:
    explicit ScarceAllocator(size_t chunks)
        : _chunksLeft(chunks)
    {
    }
    bool allocate(ChunkList& list, Entry* after, size_t n) override
    {
        size_t chunks = (n + 1023) / 1024;
        if (chunks > _chunksLeft)
            return false;
        _chunksLeft -= chunks;
        return _pool.allocate(list, after, n);
    }
    bool allocateFromStringArray(ChunkList& list, const td::String* strings, size_t n) override
    {
        return _pool.allocateFromStringArray(list, strings, n);
    }
    void release(ChunkList& list) override { _pool.release(list); }
    Entry* releaseFirstEntry(ChunkList& list) override { return _pool.releaseFirstEntry(list); }
    void releasBeforeEntry(ChunkList& list, Entry* entry) override { _pool.releasBeforeEntry(list, entry); }
    void releasAfterEntry(Entry* entry) override { _pool.releasAfterEntry(entry); }
    size_t getUnitChunkSize() const override { return 1024; }

private:
    Allocator _pool;
    size_t _chunksLeft;
};
} // namespace

TEST(BufferTest, AllocatorThatRunsOutIsReportedAsFailure)
{
    ScarceAllocator allocator(2);
    mem::Buffer b(&allocator);
    std::string text = sampleText(3000);
    Entry* at = nullptr;
    EXPECT_FALSE(b.append(text.data(), 3000, at));
    EXPECT_TRUE(b.isEmpty());

    // What fits stays; the rest is refused.
    ASSERT_TRUE(b.append(text.data(), 2000, at));
    EXPECT_FALSE(b.append(text.data() + 2000, 100, at));
    EXPECT_EQ(contentOf(b), text.substr(0, 2048));
    EXPECT_EQ(b.getNumberOfChunks(), 2u);

    mem::Buffer raw(mu::getMainThreadBufferAllocator());
    Entry* rawAt = nullptr;
    raw.append(text.data(), text.size(), rawAt);
    mem::Buffer packed(&allocator);
    Entry* packedAt = nullptr;
    EXPECT_EQ(packed.zlibCompress(raw, packedAt, 6), 0u);
    EXPECT_FALSE(b.reserve(5000));
}

TEST(BufferTest, ContentLongerThanAStringGivesTheEmptyString)
{
    // 256 records over one shared 1 MiB string: one byte more than a string
    // can hold, without copying anything.
    td::String mebibyte(std::string(1 << 20, 'm').c_str());
    std::vector<td::String> strings(256, mebibyte);
    mem::Buffer b(strings.data(), strings.size(), mu::getMainThreadBufferAllocator());
    ASSERT_EQ(b.getTotalSize(), 0x10000000u);
    EXPECT_TRUE(b.toString().isEmpty());
}

TEST(BufferTest, ReleasedRecordsGiveBackExactlyTheChunksTheyOwn)
{
    Allocator allocator;
    const td::String strings[] = {"head"};
    mem::Buffer b(strings, 1, &allocator);
    Entry* at = nullptr;
    ASSERT_TRUE(b.append("tail", 4, at));
    const Entry* tail = b.getFirstEntry()->pNext;
    ASSERT_NE(tail, nullptr);
    char* chunk = tail->value.data;

    // The record over the string goes; the pooled one keeps its own flag.
    b.relaseChunksUntilCurrent(tail);
    EXPECT_EQ(contentOf(b), "tail");
    b.clean();
    // A freed chunk goes to the front of the pool: the next buffer gets it.
    mem::Buffer next(&allocator);
    at = nullptr;
    next.append("x", 1, at);
    EXPECT_EQ(next.getFirstChunk(), chunk);
    EXPECT_STREQ(strings[0].c_str(), "head");
}
