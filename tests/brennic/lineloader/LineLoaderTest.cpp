#include <gtest/gtest.h>

#include <mu/LineLoader.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
using Source = mu::LineLoader::Source;

struct Line
{
    std::string text;
    unsigned previous;
    unsigned current;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Line& l)
{
    return os << '"' << l.text << "\" " << l.previous << '-' << l.current;
}

std::vector<Line> readAll(mu::LineLoader& loader)
{
    std::vector<Line> lines;
    td::MutableString line;
    // Bounded: no text here has more than a few hundred thousand lines.
    for (int i = 0; i < 1000000 && loader.getLine(line); ++i)
        lines.push_back(
            {std::string(line.c_str(), line.length()), loader.getPreviousPosition(), loader.getCurrentPosition()});
    return lines;
}

class TempFile
{
public:
    explicit TempFile(const std::string& content)
        : _path((std::filesystem::temp_directory_path() /
                 ("lineloader_" + std::to_string(getpid()) + "_" + std::to_string(s_counter++)))
                    .string())
    {
        std::ofstream(_path, std::ios::binary) << content;
    }
    ~TempFile() { std::filesystem::remove(_path); }
    const std::string& path() const { return _path; }

private:
    static inline int s_counter = 0;
    std::string _path;
};

std::vector<Line> readString(const std::string& text, unsigned start = 0)
{
    td::String s(text.data(), text.size());
    mu::LineLoader loader(start, Source::String);
    loader.setOffset(start);
    loader.setSource(&s);
    return readAll(loader);
}

std::vector<Line> readFile(const std::string& text, unsigned start = 0)
{
    TempFile file(text);
    std::ifstream in(file.path(), std::ios::binary);
    mu::LineLoader loader(start, Source::File);
    loader.setOffset(start);
    loader.setSource(&in);
    std::vector<Line> lines = readAll(loader);
    EXPECT_TRUE(in.eof());
    EXPECT_FALSE(in.fail());
    return lines;
}

struct EndingCase
{
    std::string text;
    std::vector<Line> asString;
    std::vector<Line> asFile;
};
} // namespace

TEST(LineLoaderTest, StringsAndFilesEndLinesByTheirOwnRules)
{
    const EndingCase cases[] = {
        {"a\r\nb", {{"a", 0, 3}, {"b", 3, 4}}, {{"a", 0, 3}, {"b", 3, 4}}},
        // A lone carriage return ends a string's line; a file drops it.
        {"a\rb", {{"a", 0, 2}, {"b", 2, 3}}, {{"ab", 0, 3}}},
        {"\n\n", {{"", 0, 1}, {"", 1, 2}}, {{"", 0, 1}, {"", 1, 2}}},
        {"x\n", {{"x", 0, 2}}, {{"x", 0, 2}}},
        {"one\r\r\ntwo\n", {{"one", 0, 4}, {"", 4, 6}, {"two", 6, 10}}, {{"one", 0, 6}, {"two", 6, 10}}},
        {"", {}, {}},
        // A trailing carriage return is a string's line ending; in a file it
        // leaves nothing for a last line.
        {"a\nb\r", {{"a", 0, 2}, {"b", 2, 4}}, {{"a", 0, 2}, {"b", 2, 4}}},
        {"a\n\r", {{"a", 0, 2}, {"", 2, 3}}, {{"a", 0, 2}}},
    };
    for (const EndingCase& c : cases)
    {
        EXPECT_EQ(readString(c.text), c.asString) << "string: " << testing::PrintToString(c.text);
        EXPECT_EQ(readFile(c.text), c.asFile) << "file: " << testing::PrintToString(c.text);
    }
}

// A file is read in blocks of a few hundred bytes: lines that fill a block
// exactly, end just past it, or have carriage returns on either side of its
// end read as any other line.
TEST(LineLoaderTest, FileLinesAcrossReadBlocks)
{
    for (const std::size_t n : {255u, 256u, 257u, 511u, 512u, 513u, 1000u})
    {
        const std::string x(n, 'x'), y(n - 1, 'y');
        const std::string text = x + "\n" + x + "\r\n" + y + "\r\r\nz" + "\n\r" + x;
        const unsigned a = unsigned(n) + 1, b = a + unsigned(n) + 2, c = b + unsigned(n) + 2, d = c + 2;
        const std::vector<Line> expected = {{x, 0, a}, {x, a, b}, {y, b, c}, {"z", c, d}, {x, d, d + 1 + unsigned(n)}};
        EXPECT_EQ(readFile(text), expected) << n;
    }
}

TEST(LineLoaderTest, PositionsCountFromTheOffset)
{
    const std::string text = "Header\r\n 12\nbody\nend";
    const std::vector<Line> body = {{"body", 0, 5}, {"end", 5, 8}};
    EXPECT_EQ(readString(text, 12), body);
    EXPECT_EQ(readFile(text, 12), body);
}

TEST(LineLoaderTest, EveryByteValueIsText)
{
    // 0xFF is no end of file, nor is a NUL byte.
    const std::string text = std::string("a\xFF") + '\0' + "b\nc\xFF";
    const std::vector<Line> expected = {{std::string("a\xFF") + '\0' + "b", 0, 5}, {"c\xFF", 5, 7}};
    EXPECT_EQ(readFile(text), expected);
    EXPECT_EQ(readString(text), expected);
}

TEST(LineLoaderTest, AFinishedSourceLeavesTheLineUntouchedAndCanBeReadAgain)
{
    td::String s("first\nsecond");
    mu::LineLoader fromString(0, Source::String);
    fromString.setSource(&s);
    td::MutableString line;
    while (fromString.getLine(line))
    {
    }
    line.erase();
    line.append("kept");
    EXPECT_FALSE(fromString.getLine(line));
    EXPECT_STREQ(line.c_str(), "kept");

    TempFile file("first\nsecond\n");
    std::ifstream in(file.path(), std::ios::binary);
    mu::LineLoader fromFile(0, Source::File);
    fromFile.setSource(&in);
    std::vector<Line> once = readAll(fromFile);
    EXPECT_FALSE(fromFile.getLine(line));
    // The model loader reads a text twice: the second pass starts over.
    fromFile.setPosition(6);
    EXPECT_EQ(readAll(fromFile), (std::vector<Line> {{"second", 6, 13}}));
    EXPECT_EQ(once.size(), 2u);

    std::ifstream missing("/no/such/file");
    mu::LineLoader none(0, Source::File);
    none.setSource(&missing);
    EXPECT_FALSE(none.getLine(line));
    mu::LineLoader unset(0, Source::String);
    EXPECT_FALSE(unset.getLine(line));
}

namespace
{
// An editor holding its lines, numbering positions in characters; it starts
// over once it has said that no line is left.
class Editor : public mu::ILineLoader
{
public:
    Editor(std::vector<std::string> lines, std::string leftOver)
        : _lines(std::move(lines))
        , _leftOver(std::move(leftOver))
    {
    }

    unsigned loadNextLine(td::MutableString& line) override
    {
        line.erase();
        if (_next == _lines.size())
        {
            line.append(_leftOver.c_str());
            _next = 0;
            _position = 0;
            return 0;
        }
        const std::string& text = _lines[_next++];
        line.append(text.c_str());
        _position += static_cast<unsigned>(td::String(text.c_str()).glyphLength()) + 1;
        return _position;
    }

private:
    std::vector<std::string> _lines;
    std::string _leftOver;
    size_t _next = 0;
    unsigned _position = 0;
};
} // namespace

TEST(LineLoaderTest, EditorSourceGivesItsLinesAndPositions)
{
    Editor editor({"x = 1", "\xC3\xA4 = 2"}, "\xC3\xA4\xE2\x82\xAC"
                                             "b"); // "ä = 2", "ä€b" in UTF-8
    mu::LineLoader loader(0, Source::TextEdit);
    loader.setSource(&editor);
    EXPECT_EQ(readAll(loader), (std::vector<Line> {{"x = 1", 0, 6}, {"\xC3\xA4 = 2", 6, 12}}));
    // What the source left behind counts as three characters.
    EXPECT_EQ(loader.getCurrentPosition(), 15u);
    EXPECT_EQ(loader.getPreviousPosition(), 12u);

    // Read twice in a row, as the model loader does.
    loader.setPosition(0);
    EXPECT_EQ(readAll(loader).size(), 2u);

    // Bytes that start no character count one each; a character cut short
    // at the end counts once.
    const std::pair<const char*, unsigned> leftOvers[] = {{"\x80\xFF"
                                                           "a",
                                                           3},
                                                          {"a\xF0\x9F", 2}};
    for (const auto& [leftOver, characters] : leftOvers)
    {
        Editor onlyLeftOver({}, leftOver);
        mu::LineLoader counting(100, Source::TextEdit);
        counting.setSource(&onlyLeftOver);
        td::MutableString line;
        EXPECT_FALSE(counting.getLine(line));
        EXPECT_EQ(counting.getCurrentPosition(), 100 + characters) << testing::PrintToString(leftOver);
    }

    Editor empty({}, "");
    mu::LineLoader atOnce(7, Source::TextEdit);
    atOnce.setSource(&empty);
    td::MutableString line;
    EXPECT_FALSE(atOnce.getLine(line));
    EXPECT_EQ(atOnce.getCurrentPosition(), 7u);
}

TEST(LineLoaderTest, LongTextsKeepEveryLineAndPosition)
{
    std::string text;
    const int n = 100000;
    for (int i = 0; i < n; ++i)
        text += "x" + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
    for (const std::vector<Line>& lines : {readString(text), readFile(text)})
    {
        ASSERT_EQ(lines.size(), static_cast<size_t>(n));
        EXPECT_EQ(lines[n - 1].text, "x" + std::to_string(n - 1));
        EXPECT_EQ(lines[n - 1].current, text.size());
        for (int i = 1; i < n; ++i)
            ASSERT_EQ(lines[i].previous, lines[i - 1].current);
    }
}

TEST(LineLoaderDeathTest, SourceOfAnotherKindIsRefused)
{
    mu::LineLoader loader(0, Source::String);
    std::ifstream in;
    EXPECT_DEATH(loader.setSource(&in), "_source == Source::File");
}

TEST(LineLoaderTest, FileLineLongerThanAStringGoesOnAsTheNextLine)
{
    const unsigned longest = td::String::MaxLength;
    // A sparse file: zero bytes that cost no disk and no writing.
    TempFile file("");
    std::filesystem::resize_file(file.path(), longest + 2u);
    std::ifstream in(file.path(), std::ios::binary);
    mu::LineLoader loader(0, Source::File);
    loader.setSource(&in);
    td::MutableString line;
    line.reserve(longest + 1u); // spares the test the growth on the way
    ASSERT_TRUE(loader.getLine(line));
    EXPECT_EQ(line.length(), longest);
    EXPECT_EQ(loader.getCurrentPosition(), longest);
    ASSERT_TRUE(loader.getLine(line));
    EXPECT_EQ(line.length(), 2u);
    EXPECT_EQ(loader.getCurrentPosition(), longest + 2u);
    EXPECT_FALSE(loader.getLine(line));
}
