#pragma once
// Hands out one line of text at a time from a file stream, a string or an
// outside line source, and keeps where the line just read began and where
// the next one begins. A file counts positions in bytes consumed (line
// endings included), a string by byte index, an outside source in its own
// unit. Lines of a file end only at line feeds, and every carriage return is
// dropped; lines of a string end at a line feed, a carriage return or the
// pair.
#include <fstream>

#include <mu/ILineLoader.h>
#include <td/MutableString.h>
#include <td/String.h>

namespace fo
{
// Reads the next line of f into line (without its line feed, carriage
// returns dropped), adding every byte consumed to position. False when the
// stream is not good or holds no further byte; a last line without line
// feed is still a line, and the stream then has its end-of-file bit set.
template <class STREAM>
bool getLine(STREAM& f, td::MutableString& line, unsigned& position);

extern template bool getLine<std::ifstream>(std::ifstream&, td::MutableString&, unsigned&);
} // namespace fo

namespace mu
{
class LineLoader
{
public:
    enum class Source : unsigned char
    {
        File = 0,
        String = 1,
        TextEdit = 2
    };

    // position: where reading starts; the kind of source is fixed here.
    LineLoader(unsigned position, Source source);

    // The loader borrows its source and never frees it.
    void setSource(std::ifstream* pStream);
    void setSource(const td::String* pText);
    void setSource(ILineLoader* pLineLoader);

    // Restarts reading at p.
    void setPosition(unsigned p);
    // Subtracted from both positions when they are reported.
    void setOffset(unsigned offset) { _offset = offset; }
    // Where the line read last began.
    unsigned getPreviousPosition() const { return _previous - _offset; }
    // Where the next line begins.
    unsigned getCurrentPosition() const { return _current - _offset; }

    // The next line into line; false when the source has no further line.
    bool getLine(td::MutableString& line);

private:
    bool getLineFromEditor(td::MutableString& line);

    std::ifstream* stream() const { return static_cast<std::ifstream*>(_pSource); }
    const td::String* text() const { return static_cast<const td::String*>(_pSource); }
    ILineLoader* lineLoader() const { return static_cast<ILineLoader*>(_pSource); }

    // The stream, string or outside source, as the kind says.
    void* _pSource = nullptr;
    unsigned _previous;
    unsigned _current;
    unsigned _offset = 0;
    Source _source;
};
} // namespace mu
