#include <mu/LineLoader.h>

#include <algorithm>
#include <cstddef>
#include <ios>

#include <mu/Assert.h>

namespace fo
{
namespace
{
// Drops the carriage returns of the n bytes at p; their new count.
std::size_t dropCarriageReturns(char* p, std::size_t n)
{
    char* pEnd = std::remove(p, p + n, '\r');
    return static_cast<std::size_t>(pEnd - p);
}

// A line cut at the longest string: like any line, it takes the carriage
// returns and the line feed that follow it, and ends before anything else.
template <class STREAM>
void endCutLine(STREAM& f, unsigned& position)
{
    using Traits = typename STREAM::traits_type;
    auto* pBuf = f.rdbuf();
    for (;;)
    {
        const typename Traits::int_type c = pBuf->sgetc();
        if (Traits::eq_int_type(c, Traits::eof()))
        {
            f.setstate(std::ios_base::eofbit);
            return;
        }
        if (c != '\r' && c != '\n')
            return;
        pBuf->sbumpc();
        ++position;
        if (c == '\n')
            return;
    }
}
} // namespace

// Every byte value, 0xFF included, is text; only the buffer's own end-of-file
// marker ends the stream. The stream's getline finds the line feed in its
// buffer a block at a time (far faster than a byte at a time); the carriage
// returns are dropped from each block.
template <class STREAM>
bool getLine(STREAM& f, td::MutableString& line, unsigned& position)
{
    if (!f.good())
        return false;
    if (line.capacity() == 0)
        line.reserve(4096);
    line.erase();
    constexpr std::size_t blockSize = 256;
    char block[blockSize + 1]; // getline ends what it stores with a NUL
    for (;;)
    {
        // A line longer than a string can hold goes on as the next line.
        const std::size_t room = std::min<std::size_t>(td::String::MaxLength - line.length(), blockSize);
        f.getline(block, static_cast<std::streamsize>(room + 1));
        const auto nRead = static_cast<std::size_t>(f.gcount());
        position += static_cast<unsigned>(nRead);
        // failbit without eofbit: the block filled before a line feed came
        const bool atEnd = f.eof(), blockFull = f.fail() && !atEnd, lineFed = !atEnd && !blockFull;
        const std::size_t nText = dropCarriageReturns(block, lineFed ? nRead - 1 : nRead);
        if (nText > 0)
            line.append(block, nText); // n = 0 would mean a C string here
        if (atEnd)
        {
            f.clear(std::ios_base::eofbit); // nothing read at the end is no failure
            return !line.isEmpty();
        }
        if (lineFed)
            return true;
        f.clear();
        if (line.length() == td::String::MaxLength)
        {
            endCutLine(f, position);
            return true;
        }
    }
}

template bool getLine<std::ifstream>(std::ifstream&, td::MutableString&, unsigned&);
} // namespace fo

namespace mu
{
LineLoader::LineLoader(unsigned position, Source source)
    : _previous(position)
    , _current(position)
    , _source(source)
{
}

void LineLoader::setSource(std::ifstream* pStream)
{
    MU_ASSERT(_source == Source::File);
    _pSource = pStream;
    if (pStream)
        pStream->seekg(_current, std::ios_base::beg);
}

void LineLoader::setSource(const td::String* pText)
{
    MU_ASSERT(_source == Source::String);
    _pSource = const_cast<td::String*>(pText);
}

void LineLoader::setSource(ILineLoader* pLineLoader)
{
    MU_ASSERT(_source == Source::TextEdit);
    _pSource = pLineLoader;
}

void LineLoader::setPosition(unsigned p)
{
    _previous = _current = p;
    if (_source == Source::File && _pSource)
        stream()->seekg(p, std::ios_base::beg);
}

bool LineLoader::getLine(td::MutableString& line)
{
    if (!_pSource)
        return false;
    _previous = _current;
    switch (_source)
    {
    case Source::File: return fo::getLine(*stream(), line, _current);
    case Source::String: return line.getLine(*text(), _current, false);
    case Source::TextEdit: return getLineFromEditor(line);
    }
    return false;
}

bool LineLoader::getLineFromEditor(td::MutableString& line)
{
    unsigned next = lineLoader()->loadNextLine(line);
    if (next != 0)
    {
        _current = next;
        return true;
    }
    // The source's own unit is characters: count what it left behind.
    _current += static_cast<unsigned>(line.glyphLength());
    return false;
}
} // namespace mu
