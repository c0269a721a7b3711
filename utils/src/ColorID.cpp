#include <td/ColorID.h>

#include <array>
#include <cstring>
#include <mutex>

namespace td
{
constinit ColorNamesToID s_colorNamesToID;

namespace
{
#define TD_COLOR_TEXT_FIRST(name, value) #name,
#define TD_COLOR_TEXT_NEXT(name) #name,
constexpr const char* s_lowRunNames[] = {TD_COLOR_NAMES_LOW(TD_COLOR_TEXT_FIRST, TD_COLOR_TEXT_NEXT)};
constexpr const char* s_highRunNames[] = {TD_COLOR_NAMES_HIGH(TD_COLOR_TEXT_FIRST, TD_COLOR_TEXT_NEXT)};
#undef TD_COLOR_TEXT_FIRST
#undef TD_COLOR_TEXT_NEXT

constexpr size_t s_nLow = std::size(s_lowRunNames);
constexpr size_t s_nHigh = std::size(s_highRunNames);
constexpr size_t s_nNamed = s_nLow + s_nHigh;
static_assert(s_nLow == 56 && s_nHigh == 128, "the low run ends at -73, the high run at 127");

constexpr size_t tableIndex(ColorID color) { return static_cast<size_t>(static_cast<int>(color) + 128) & 0xFF; }

// Every value's name at tableIndex(value); the unnamed ones read "nAColor".
constexpr std::array<const char*, 256> s_colorNames = [] {
    std::array<const char*, 256> names {};
    names.fill("nAColor");
    for (size_t i = 0; i < s_nLow; ++i)
        names[i] = s_lowRunNames[i];
    for (size_t i = 0; i < s_nHigh; ++i)
        names[128 + i] = s_highRunNames[i];
    return names;
}();

using ColorKey = KeyStringBase<GUID>;
static_assert(sizeof(ColorKey) == 16);

// buildKey packs at most nine characters; any length above 9 makes it pack
// nine and look at the tenth to flag a longer name.
int packLength(size_t n) { return n <= 9 ? static_cast<int>(n) : 10; }

// The key of the first n characters of name (n >= 1): the first nine
// characters lower-cased in the first word, the next nine in the second
// word for names of ten or more. Lengths are passed explicitly so that a
// name inside a longer text gives the key of the name alone.
ColorKey colorKey(const char* name, size_t n)
{
    unsigned long long first = 0;
    unsigned long long second = 0;
    ColorKey::buildKey(name, first, true, packLength(n));
    if (n >= 10)
        ColorKey::buildKey(name + 9, second, true, packLength(n - 9));
    return ColorKey(first, second);
}

// Case-insensitive equality of the n characters of text with name, lowering
// ASCII letters only so that no byte above 127 can pass for a letter.
bool sameName(const char* text, size_t n, const char* name)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < n; ++i)
        if (name[i] == '\0' || lower(text[i]) != lower(name[i]))
            return false;
    return name[n] == '\0';
}

void fillColorNames()
{
    s_colorNamesToID.reserve(static_cast<std::uint32_t>(s_nNamed));
    s_colorNamesToID.startBulkUpdate();
    for (size_t i = 0; i < s_colorNames.size(); ++i)
    {
        // Index i holds the value i - 128; skip the unnamed gap.
        if (i >= s_nLow && i < 128)
            continue;
        const char* name = s_colorNames[i];
        s_colorNamesToID.insert(colorKey(name, std::strlen(name)), static_cast<ColorID>(static_cast<int>(i) - 128));
    }
    s_colorNamesToID.endBulkUpdate();
    MU_ASSERT(s_colorNamesToID.capacity() == s_colorNamesToID.size());
}

std::once_flag s_colorNamesFilled;
} // namespace

const char* toString(ColorID color) { return s_colorNames[tableIndex(color)]; }

ColorID toColorID(const char* name, int length, ColorID defaultValue)
{
    if (!name)
        return defaultValue;
    // A length past the text's end stops at its NUL, so the second half of
    // the key never reads beyond the text.
    const size_t n = length < 0 ? std::strlen(name) : strnlen(name, static_cast<size_t>(length));
    if (n == 0)
        return defaultValue;
    // The first conversion fills the table; the once flag keeps threads that
    // convert at the same moment from filling it twice.
    std::call_once(s_colorNamesFilled, fillColorNames);
    // The key keeps seven bits of at most eighteen characters, so a hit is
    // confirmed against the whole name: "sysHighlightBackgroundX" or a text
    // with bytes above 127 must not pass for a colour.
    ColorID found;
    if (s_colorNamesToID.find(colorKey(name, n), found) && sameName(name, n, toString(found)))
        return found;
    return defaultValue;
}

bool isSystemBackgroundColor(ColorID color)
{
    switch (color)
    {
    case ColorID::sysSelectedItemBack:
    case ColorID::sysSelectedTextBack:
    case ColorID::sysBackAlt1:
    case ColorID::sysBackAlt2:
    case ColorID::sysCtrlBack:
    case ColorID::sysHighlightBackground: return true;
    default: return false;
    }
}
} // namespace td
