#include <mu/LineLoader.h>

#include <ios>

#include <mu/Assert.h>

namespace fo
{
template <class STREAM>
bool getLine(STREAM& f, td::MutableString& line, unsigned& position)
{
    using Traits = typename STREAM::traits_type;
    if (!f.good())
        return false;
    if (line.capacity() == 0)
        line.reserve(4096);
    line.erase();
    // Straight from the stream buffer: every byte value, 0xFF included, is
    // text; only the buffer's own end-of-file marker ends the stream. Bytes
    // are gathered in a block and appended to the line a block at a time.
    auto* pBuf = f.rdbuf();
    char block[256];
    size_t n = 0;
    auto flush = [&] {
        if (n)
            line.append(block, n); // n = 0 would mean a C string here
        n = 0;
    };
    for (;;)
    {
        typename Traits::int_type c = pBuf->sgetc();
        if (Traits::eq_int_type(c, Traits::eof()))
        {
            flush();
            f.setstate(std::ios_base::eofbit);
            return !line.isEmpty();
        }
        char ch = Traits::to_char_type(c);
        // A line longer than a string can hold goes on as the next line.
        if (ch != '\n' && ch != '\r' && line.length() + n == td::String::MaxLength)
            break;
        pBuf->sbumpc();
        ++position;
        if (ch == '\n')
            break;
        if (ch == '\r')
            continue;
        block[n++] = ch;
        if (n == sizeof(block))
            flush();
    }
    flush();
    return true;
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
