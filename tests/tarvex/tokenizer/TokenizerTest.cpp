#include <gtest/gtest.h>
#include <cnt/Dictionary.h>
#include <cstring>
#include <memory>
#include <random>
#include <sc/SCLib.h>
#include <sc/TokenizerBase.h>
#include <Vocabulary.h>
#include <string>
#include <vector>

namespace
{
using sc::Token;

struct Tok
{
    int code;
    std::string text;
    unsigned column; // first column, from 0
    unsigned length; // in characters
    unsigned id;

    bool operator==(const Tok&) const = default;
};

// The line in a heap block of exactly its size and NUL, so that the sanitizer
// build catches any read past the line's end (a std::string may hold spare
// bytes there).
std::unique_ptr<char[]> exactCopy(const std::string& line)
{
    auto p = std::make_unique<char[]>(line.size() + 1);
    std::memcpy(p.get(), line.c_str(), line.size() + 1);
    return p;
}

void setDefaultDictionaries(sc::TokenizerBase<true>& tok)
{
    const auto& fns = sc::s_commonFunctions[0];
    tok.setDictionaries(&fns[0], &fns[1], &sc::s_commonReservedMaps[0], &sc::s_commonGroupMaps[0],
                        &sc::s_commonAttribMaps[0], &sc::s_specialConstantMap);
}

std::ostream& operator<<(std::ostream& os, const Tok& t)
{
    return os << "{" << t.code << ", \"" << t.text << "\", col " << t.column << ", len " << t.length << ", id " << t.id
              << "}";
}

class Tokenizer : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { test::fillVocabulary(); }

    // Every token of one line up to the end of the line, or up to the first
    // error (the loader asks for no more after one).
    static std::vector<Tok> lex(const std::string& line, bool complex = false)
    {
        sc::TokenizerBase<true> tok;
        setDefaultDictionaries(tok);
        tok._complex = complex;
        const auto bytes = exactCopy(line);
        tok.startLine(bytes.get());
        std::vector<Tok> out;
        for (int guard = 0; guard < 1000; ++guard)
        {
            const Token t = tok.getNextToken();
            out.push_back({static_cast<int>(t), tok.text(), tok._firstColumn, tok._length, tok._identifier});
            if (t == Token::EndOfLine || t == Token::Error)
                break;
        }
        return out;
    }

    static std::vector<int> codes(const std::string& line, bool complex = false)
    {
        std::vector<int> out;
        for (const Tok& t : lex(line, complex))
            out.push_back(t.code);
        return out;
    }
};

constexpr unsigned None = 0xFFFF;

struct CodeCase
{
    const char* line;
    std::vector<int> codes;
};

TEST_F(Tokenizer, CodesOfLines)
{
    const CodeCase cases[] = {
        {"", {71}},
        {"   \t ", {71}},
        {"x-1", {0, 30, 11, 71}},
        {"x=-1", {0, 45, 11, 71}},
        {"(-2.5e3)", {23, 13, 24, 71}},
        {"-3", {11, 71}},
        {"a--1", {0, 30, 11, 71}},
        {"2e", {72}},
        {"-2e", {72}},
        {".5", {63, 11, 71}},
        {"true false True trues", {20, 21, 0, 0, 71}},
        {"x_1# ___", {0, 72}},
        {"sin pi e @solOk# end NLEs and or xor not repeat#", {4, 12, 12, 12, 9, 5, 54, 53, 55, 52, 3, 71}},
        {"abcdefghij", {0, 71}},
        // nine bytes is still a key; one more makes a name even with a key as its prefix
        {"BasePostP BasePostPx", {5, 0, 71}},
        {"linePlot Plots minX", {0, 0, 0, 71}},
        {"! != # ## % & && ' '' ( ) { } + += * *= / /= ^ ^= \\ | ||",
         {52, 61, 51, 55, 33, 50, 54, 46, 47, 23, 24, 27, 28, 29, 38, 31, 36, 32, 37, 35, 40, 34, 49, 53, 71}},
        {"< <= << <- > >= >> = == -> -= , . : ;", {56, 57, 41, 43, 58, 59, 42, 45, 60, 44, 39, 62, 63, 64, 65, 71}},
        {"/* */", {32, 31, 31, 32, 71}},
        {"x // note", {0, 68, 71}},
        {"a $", {0, 72}},
        {"[eps = 1e-6]", {25, 6, 45, 13, 26, 71}},
        {"[[", {25, 72}},
        {"]", {72}},
        {"[eps = ]", {25, 6, 45, 72}},
        {"[method = Euler, name = \"m\"] x", {25, 6, 45, 7, 62, 6, 45, 10, 26, 0, 71}},
        {"[eps = -1]", {25, 6, 45, 11, 26, 71}},
        {"[sin]", {25, 4, 26, 71}},
        {"\"ab", {72}},
        {"\"ab\" x", {10, 0, 71}},
        {"x)-1", {0, 24, 30, 11, 71}},
        {"repeat#-1", {3, 30, 11, 71}},
    };
    for (const CodeCase& c : cases)
        EXPECT_EQ(codes(c.line), c.codes) << "line: " << c.line;
}

TEST_F(Tokenizer, TextColumnLengthAndIdentifier)
{
    struct Case
    {
        const char* line;
        bool complex;
        std::vector<Tok> tokens;
    };
    const Case cases[] = {
        {"x-1", false, {{0, "x", 0, 1, None}, {30, "-", 1, 1, None}, {11, "1", 2, 1, None}, {71, "", 2, 0, None}}},
        {"x=-1", false, {{0, "x", 0, 1, None}, {45, "=", 1, 1, None}, {11, "-1", 2, 2, None}, {71, "", 2, 0, None}}},
        {"  -2e", false, {{72, "-2e", 2, 3, None}}},
        // the i counts in the length but is not part of the text
        {"3i", true, {{14, "3", 0, 2, None}, {71, "", 0, 0, None}}},
        {"3 i", true, {{11, "3", 0, 1, None}, {0, "i", 2, 1, None}, {71, "", 2, 0, None}}},
        {"3i", false, {{11, "3", 0, 1, None}, {0, "i", 1, 1, None}, {71, "", 1, 0, None}}},
        {"x // note", false, {{0, "x", 0, 1, None}, {68, "// note", 2, 7, None}, {71, "", 2, 0, None}}},
        {"\"ab\" x", false, {{10, "ab", 1, 2, None}, {0, "x", 5, 1, None}, {71, "", 5, 0, None}}},
        {"\"ab", false, {{72, "ab", 1, 2, None}}},
        {"a $", false, {{0, "a", 0, 1, None}, {72, "$", 2, 1, None}}},
        {"sin", false, {{4, "sin", 0, 3, 9}, {71, "", 0, 0, None}}},
        {"imag", true, {{4, "imag", 0, 4, 39}, {71, "", 0, 0, None}}},
        {"imag", false, {{0, "imag", 0, 4, None}, {71, "", 0, 0, None}}},
        {"e", false, {{12, "e", 0, 1, 1}, {71, "", 0, 0, None}}},
        {"Repeats", false, {{5, "Repeats", 0, 7, 18}, {71, "", 0, 0, None}}},
        {"end", false, {{9, "end", 0, 3, 9}, {71, "", 0, 0, None}}},
        {"obtEps#", false, {{3, "obtEps#", 0, 7, 7}, {71, "", 0, 0, None}}},
        {"[eps=1]",
         false,
         {{25, "[", 0, 1, None},
          {6, "eps", 1, 3, 3},
          {45, "=", 4, 1, None},
          {11, "1", 5, 1, None},
          {26, "]", 6, 1, None},
          {71, "", 6, 0, None}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lex(c.line, c.complex), c.tokens) << "line: " << c.line;
}

TEST_F(Tokenizer, Utf8CountsCharactersNotBytes)
{
    // "π" is a special constant, "ä1" a name; both are one character wide per letter
    EXPECT_EQ(lex("\xCF\x80 \xC3\xA4"
                  "1 \"\xC3\xA4\xC3\xB6\" // \xC3\xA4"),
              (std::vector<Tok> {{12, "\xCF\x80", 0, 1, 0},
                                 {0,
                                  "\xC3\xA4"
                                  "1",
                                  2, 2, None},
                                 {10, "\xC3\xA4\xC3\xB6", 6, 2, None},
                                 {68, "// \xC3\xA4", 10, 4, None},
                                 {71, "", 10, 0, None}}));
}

// Malformed bytes end in the error code and never read past the line's NUL.
TEST_F(Tokenizer, MalformedBytesGiveError)
{
    const std::string cases[] = {
        std::string("x\xC3"),       // a sequence cut off at the end of the line
        std::string("\"a\xE2\x82"), // the same inside a string
        std::string("\xE2\x82"
                    "a"),    // a continuation byte missing inside a word
        std::string("\x80"), // a continuation byte alone
        std::string("\xFF"), // no lead byte at all
        std::string("\x7F"),
        std::string("a\x01"), // control character
    };
    for (const std::string& line : cases)
    {
        const std::vector<Tok> toks = lex(line);
        EXPECT_EQ(toks.back().code, 72) << "line bytes: " << line.size();
    }
    // a byte that begins no sequence: nothing consumed, empty text
    EXPECT_EQ(lex("\x80").back(), (Tok {72, "", 0, 0, None}));
}

// A comment takes the rest of the line whatever its bytes (a file written in
// another encoding); a byte that is no whole UTF-8 sequence counts as one
// character, and nothing past the NUL is read.
TEST_F(Tokenizer, CommentTakesAnyBytes)
{
    struct Case
    {
        std::string line;
        unsigned length;
    };
    const Case cases[] = {
        {"x // 25\xB0 C", 8},         // a Latin-1 degree sign
        {"x // M\xFCller", 9},        // a Latin-1 umlaut
        {"x // a\xF0\x9F", 6},        // a sequence cut off at the line's end
        {"x // \x80\xFF\xC3\xA4", 6}, // stray bytes, then a whole sequence
    };
    for (const Case& c : cases)
    {
        const std::string comment = c.line.substr(2);
        EXPECT_EQ(lex(c.line),
                  (std::vector<Tok> {{0, "x", 0, 1, None}, {68, comment, 2, c.length, None}, {71, "", 2, 0, None}}))
            << "line bytes: " << c.line.size();
    }
}

TEST_F(Tokenizer, AttributeValueKinds)
{
    // plot attributes are not in the default naming, and no attribute there
    // takes a dot pattern: a dictionary of their own
    cnt::Dictionary<td::StrKey, sc::_AttDesc> attribs;
    attribs.insert(td::StrKey("colorL", -1), {sc::AttribID::colorL, Token::Color});
    attribs.insert(td::StrKey("pattern", -1), {sc::AttribID::pattern, Token::LinePattern});
    attribs.insert(td::StrKey("dots", -1), {sc::AttribID::pattern, Token::DotPattern});
    attribs.insert(td::StrKey("domain", -1), {sc::AttribID::domain, Token::Identifier});
    sc::TokenizerBase<true> tok;
    tok.setDictionaries(nullptr, nullptr, nullptr, nullptr, &attribs, nullptr);
    tok.startLine("[colorL = RED, colorL = nosuch, pattern = dashDotDot, pattern = NA, dots = square, dots = NA, "
                  "domain = cmplx, domain = aVeryLongWord]");
    std::vector<std::pair<Token, unsigned>> values;
    for (Token t = tok.getNextToken(); t != Token::EndOfLine && t != Token::Error; t = tok.getNextToken())
        if (t != Token::AttribName && t != Token::Assign && t != Token::Comma && t != Token::AttribStart &&
            t != Token::AttribEnd)
            values.emplace_back(t, tok._identifier);
    // NA (line 5, dot 9) draws nothing and becomes 0; an unknown colour is 167
    const std::vector<std::pair<Token, unsigned>> expected = {
        {Token::Color, 7},      {Token::Color, 167},    {Token::LinePattern, 4},   {Token::LinePattern, 0},
        {Token::DotPattern, 7}, {Token::DotPattern, 0}, {Token::Identifier, None}, {Token::Identifier, None}};
    EXPECT_EQ(values, expected);
    EXPECT_EQ(tok._attribState, 0);
}

TEST_F(Tokenizer, StateIsResetPerLine)
{
    sc::TokenizerBase<true> tok;
    tok.startLine("[eps = ");
    while (tok.getNextToken() != Token::EndOfLine)
    {
    }
    // no dictionaries: "eps" is no attribute name, the bracket stays open
    EXPECT_EQ(tok._attribState, 1);
    tok.startLine("-1 ]");
    EXPECT_EQ(tok.getNextToken(), Token::Integer);
    EXPECT_STREQ(tok.text(), "-1");
    EXPECT_EQ(tok.getNextToken(), Token::Error); // the bracket did not survive the line
}

TEST_F(Tokenizer, MegabyteLineIsReadToItsEnd)
{
    // a 1 MB line of "x+" pairs, then a comment of the same size
    std::string line;
    for (int i = 0; i < 500000; ++i)
        line += "x+";
    line += "1 //";
    line.append(1 << 20, 'c');
    sc::TokenizerBase<true> tok;
    const auto bytes = exactCopy(line);
    tok.startLine(bytes.get());
    unsigned n = 0;
    Token t;
    while ((t = tok.getNextToken()) != Token::EndOfLine && t != Token::Error)
        ++n;
    EXPECT_EQ(t, Token::EndOfLine);
    EXPECT_EQ(n, 1000002u);
    EXPECT_EQ(tok._column, line.size());
}

// The two switches that every instance of the system leaves at their defaults.
TEST_F(Tokenizer, BlockCommentAndBracketSwitches)
{
    sc::TokenizerBase<true> tok;
    tok._blockComments = true;
    tok._bracketCheck = false;
    tok.startLine("/* ] [ [ */");
    std::vector<int> got;
    for (Token t = tok.getNextToken(); t != Token::EndOfLine && t != Token::Error; t = tok.getNextToken())
        got.push_back(static_cast<int>(t));
    EXPECT_EQ(got, (std::vector<int> {69, 26, 25, 25, 70}));
    EXPECT_EQ(tok._attribState, 0);
}

// A NUL that a line holds before its end is refused where it stands, so
// that nothing after it goes unseen; inside a comment it is comment text.
TEST_F(Tokenizer, ANulBeforeTheLinesEnd)
{
    struct Case
    {
        std::string line;
        std::vector<int> codes; // up to the line's end or its first error
        unsigned lastColumn;    // of the last token, from 0
        bool refusedNul;
    };
    const Case cases[] = {
        {std::string("x = 1\0 + y", 10), {0, 45, 11, 72}, 5, true},
        {std::string("\0x", 2), {72}, 0, true},
        {std::string("x // a\0b", 8), {0, 68, 71}, 2, false},
        // a string cut by the NUL is refused as a string, with what it read
        {std::string("\"ab\0cd\"", 7), {72}, 1, false},
    };
    for (const Case& c : cases)
    {
        sc::TokenizerBase<true> tok;
        setDefaultDictionaries(tok);
        const auto bytes = exactCopy(c.line);
        tok.startLine(bytes.get(), static_cast<std::uint32_t>(c.line.size()));
        std::vector<int> got;
        for (int guard = 0; guard < 20; ++guard)
        {
            const Token t = tok.getNextToken();
            got.push_back(static_cast<int>(t));
            if (t == Token::EndOfLine || t == Token::Error)
                break;
        }
        EXPECT_EQ(got, c.codes) << c.line;
        EXPECT_EQ(tok._firstColumn, c.lastColumn) << c.line;
        EXPECT_EQ(tok.refusedNul(), c.refusedNul) << c.line;
    }
    // Given without its length, a line ends at its first NUL.
    sc::TokenizerBase<true> tok;
    tok.startLine("x\0y");
    EXPECT_EQ(tok.getNextToken(), Token::Name);
    EXPECT_EQ(tok.getNextToken(), Token::EndOfLine);
}

// Lines of arbitrary bytes: every line ends in 71 or 72 after at most one
// call per byte, nothing is read past the line (the sanitizer build checks
// that), and every token's first column plus its length is the column reached.
TEST_F(Tokenizer, ArbitraryBytesStayInsideTheLine)
{
    // token characters are frequent so that longer tokens form too
    const std::string common = "aZ_@#09.eE+-i\"[]=;/ \t\xC3\xA4\xE2\x82\xAC";
    std::mt19937 rng(12345);
    sc::TokenizerBase<true> tok;
    setDefaultDictionaries(tok);
    for (int iLine = 0; iLine < 20000; ++iLine)
    {
        std::string line(rng() % 24, ' ');
        for (char& c : line)
            c = (rng() % 2) ? common[rng() % common.size()] : static_cast<char>(1 + rng() % 255);
        const auto bytes = exactCopy(line);
        tok._complex = (iLine % 2) != 0;
        tok.startLine(bytes.get());
        Token t = Token::Name;
        std::size_t calls = 0;
        for (; calls <= line.size() + 1; ++calls)
        {
            t = tok.getNextToken();
            if (t == Token::EndOfLine || t == Token::Error)
                break;
            ASSERT_EQ(tok._firstColumn + tok._length, tok._column) << "line " << iLine;
        }
        ASSERT_TRUE(t == Token::EndOfLine || t == Token::Error) << "line " << iLine << " after " << calls << " calls";
        ASSERT_LE(tok._position, line.size()) << "line " << iLine;
        ASSERT_LE(tok._column, tok._position) << "line " << iLine;
    }
}
} // namespace
