#pragma once
// Writes an XML document to a file as a stream of calls: start an element,
// add attributes, add text, end the element. Text and attribute values are
// escaped; with layout on, every start tag that does not follow text and
// every end tag of an element with children but no text begins a new line
// indented by one tab per open element, and an empty element is written as
// a self-closing tag.
//
// Failures to open, write or close the file are not reported by each call:
// the stream keeps them, and close() (or isOk() on the way) tells whether
// the whole document reached the file.
#include <cstddef>
#include <fstream>

#include <cnt/Stack.h>
#include <td/String.h>

namespace xml
{
class Writer
{
public:
    // Opens (truncates) the file. The setting byte is accepted for the
    // property-list writer's sake; nothing of the file writer depends on it.
    Writer(const td::String& fileName, bool newLinesAndTabs, unsigned char setting);
    // Completes an unfinished document and closes the file.
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void startElement(const char* name);
    // Throws the td::String "Cannot add attrib! There is no node started!"
    // unless the current start tag is still open.
    void attribute(const char* name, const char* value);
    void elementText(const char* text);
    // Precondition: an element is open.
    void endElement();

    // The open elements.
    unsigned getDepth() const { return _elements.size(); }

    // True while the file is open (or was closed) with every write so far
    // written.
    bool isOk() const { return _out.good(); }

    // Ends every open element and closes the file; true when the file was
    // opened, written and closed without a fault. Later calls give the same.
    bool close();

    // A string literal as it stands.
    template <size_t N>
    void putCStr(const char (&literal)[N])
    {
        writeString(N - 1, literal);
    }

    // Bytes as they stand; a null text puts the stream in its bad state.
    void writeString(const char* text);
    void writeString(unsigned long length, const char* text);
    void writeString(const td::String& text);

    // Text with the five XML special characters escaped; null writes nothing.
    void writeStringWithChecking(const char* text);

private:
    void newLine(unsigned tabs);
    void closeStartTag();

    std::ofstream _out;
    cnt::Stack<td::String, 16> _elements;
    bool _layout;
    bool _startTagOpen = false; // the current start tag still lacks its ">"
    bool _textWritten = false;  // text went into the current element
};
} // namespace xml
