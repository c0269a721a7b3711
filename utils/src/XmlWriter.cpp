#include <xml/Writer.h>

#include <cstring>

namespace xml
{
Writer::Writer(const td::String& fileName, bool newLinesAndTabs, unsigned char)
    : _out(fileName.c_str(), std::ios::binary | std::ios::trunc)
    , _layout(newLinesAndTabs)
{
}

Writer::~Writer() { close(); }

bool Writer::close()
{
    if (_out.is_open())
    {
        while (!_elements.isEmpty())
            endElement();
        _out.close(); // flushes; a failure sets the fail bit
    }
    return !_out.fail();
}

void Writer::newLine(unsigned tabs)
{
    _out.put('\n');
    for (unsigned i = 0; i < tabs; ++i)
        _out.put('\t');
}

void Writer::closeStartTag()
{
    if (_startTagOpen)
    {
        _out.put('>');
        _startTagOpen = false;
    }
}

void Writer::startElement(const char* name)
{
    closeStartTag();
    if (!_textWritten && _layout)
        newLine(getDepth());
    _textWritten = false;
    _out.put('<');
    writeString(name);
    _startTagOpen = true;
    _elements.push(td::String(name));
}

void Writer::attribute(const char* name, const char* value)
{
    if (!_startTagOpen)
        throw td::String("Cannot add attrib! There is no node started!");
    _out.put(' ');
    writeString(name);
    _out.write("=\"", 2);
    writeStringWithChecking(value);
    _out.put('"');
}

void Writer::elementText(const char* text)
{
    closeStartTag();
    writeStringWithChecking(text);
    _textWritten = true;
}

void Writer::endElement()
{
    if (_startTagOpen)
    {
        _out.write("/>", 2);
        _startTagOpen = false;
        _elements.pop();
        return;
    }
    const td::String& name = _elements.top();
    if (!_textWritten && _layout)
        newLine(getDepth() - 1);
    _out.write("</", 2);
    writeString(name);
    _out.put('>');
    _elements.pop();
    _textWritten = false;
}

void Writer::writeString(const char* text)
{
    if (!text)
    {
        _out.setstate(std::ios::badbit);
        return;
    }
    writeString(std::strlen(text), text);
}

void Writer::writeString(unsigned long length, const char* text)
{
    _out.write(text, static_cast<std::streamsize>(length));
}

void Writer::writeString(const td::String& text) { writeString(text.length(), text.c_str()); }

void Writer::writeStringWithChecking(const char* text)
{
    if (!text)
        return;
    const char* pRun = text;
    for (const char* p = text; *p; ++p)
    {
        const char* entity = nullptr;
        switch (*p)
        {
        case '"': entity = "&quot;"; break;
        case '&': entity = "&amp;"; break;
        case '\'': entity = "&apos;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        default: continue;
        }
        writeString(static_cast<unsigned long>(p - pRun), pRun);
        writeString(entity);
        pRun = p + 1;
    }
    writeString(std::strlen(pRun), pRun);
}
} // namespace xml
