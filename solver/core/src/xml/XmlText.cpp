#include <xml/XmlText.h>

namespace SL_NS
{
namespace
{
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipDigits(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    return pos;
}
} // namespace

bool isTrue(const td::StringExt* pValue)
{
    return pValue && pValue->length() == 4 && (pValue->c_str()[0] == 't' || pValue->c_str()[0] == 'T') &&
           std::string_view(pValue->c_str() + 1, 3) == "rue";
}

bool isNumber(std::string_view text, bool signAllowed)
{
    text = trimmed(text);
    std::size_t pos = 0;
    if (signAllowed && pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    const std::size_t integerEnd = skipDigits(text, pos);
    bool digits = integerEnd > pos;
    pos = integerEnd;
    if (pos < text.size() && text[pos] == '.')
    {
        const std::size_t fractionEnd = skipDigits(text, pos + 1);
        if (fractionEnd == pos + 1)
            return false;
        digits = true;
        pos = fractionEnd;
    }
    if (!digits)
        return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E'))
    {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        const std::size_t exponentEnd = skipDigits(text, pos);
        if (exponentEnd == pos)
            return false;
        pos = exponentEnd;
    }
    return pos == text.size();
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isText(const td::StringExt* pValue, std::string_view text)
{
    return pValue && std::string_view(pValue->c_str(), pValue->length()) == text;
}
} // namespace SL_NS
