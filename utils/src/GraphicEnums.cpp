#include <td/Anchor.h>
#include <td/ColorID.h>
#include <td/DotPattern.h>
#include <td/LinePattern.h>

#include <cstring>

namespace td
{
namespace
{
const char* const s_anchorNames[] = {"fixed",  "center",  "left",     "right",      "top",
                                     "bottom", "topLeft", "topRight", "bottomLeft", "bottomRight"};
const char* const s_linePatternNames[] = {"solid", "dash", "dot", "dashDot", "dashDotDot", "NA"};
const char* const s_dotPatternNames[] = {"pixel",    "plus",           "x",      "circle",       "filledCircle",
                                         "triangle", "filledTriangle", "square", "filledSqaure", "NA"};
// Model texts write the cross as "X"; the lower-case "x" is not read back.
const char* const s_dotPatternReadNames[] = {"pixel",    "plus",           "X",      "circle",       "filledCircle",
                                             "triangle", "filledTriangle", "square", "filledSqaure", "NA"};

template <size_t N>
const char* nameOf(const char* const (&names)[N], unsigned value)
{
    return value < N ? names[value] : "NA";
}

// Position of the name that equals text exactly, or defaultValue.
template <size_t N>
unsigned indexOf(const char* const (&names)[N], const char* text, unsigned defaultValue)
{
    if (!text)
        return defaultValue;
    for (unsigned i = 0; i < N; ++i)
        if (std::strcmp(text, names[i]) == 0)
            return i;
    return defaultValue;
}
} // namespace

const char* toString(Anchor anchor) { return nameOf(s_anchorNames, static_cast<unsigned>(anchor)); }

Anchor toAnchor(const char* name)
{
    return static_cast<Anchor>(indexOf(s_anchorNames, name, static_cast<unsigned>(Anchor::fixed)));
}

Anchor toAnchor(const td::String& name) { return toAnchor(name.c_str()); }

const char* toString(LinePattern pattern) { return nameOf(s_linePatternNames, static_cast<unsigned>(pattern)); }

LinePattern toLinePattern(const char* name)
{
    return static_cast<LinePattern>(indexOf(s_linePatternNames, name, static_cast<unsigned>(LinePattern::solid)));
}

LinePattern toLinePattern(const td::String& name) { return toLinePattern(name.c_str()); }

const char* toString(DotPattern pattern) { return nameOf(s_dotPatternNames, static_cast<unsigned>(pattern)); }

DotPattern toDotPattern(const char* name)
{
    return static_cast<DotPattern>(indexOf(s_dotPatternReadNames, name, static_cast<unsigned>(DotPattern::plus)));
}

DotPattern toDotPattern(const td::String& name) { return toDotPattern(name.c_str()); }

const char* toString(ColorScheme scheme)
{
    switch (scheme)
    {
    case ColorScheme::light: return "light";
    case ColorScheme::dark: return "dark";
    default: return "auto";
    }
}

ColorScheme toColorScheme(const char* text, int length, ColorScheme defaultValue)
{
    if (!text)
        return defaultValue;
    const size_t len = length < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(length));
    if (len == 4 && std::memcmp(text, "dark", 4) == 0)
        return ColorScheme::dark;
    if (len == 5 && std::memcmp(text, "light", 5) == 0)
        return ColorScheme::light;
    return defaultValue;
}
} // namespace td
