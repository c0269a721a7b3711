#include <td/ColorID.h>

#include <array>
#include <bit>
#include <cstring>
#include <mutex>
#include <type_traits>

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

constexpr size_t tableIndex(ColorID color)
{
    return static_cast<size_t>(static_cast<int>(color) + 128) & 0xFF;
}

// Every value's name at tableIndex(value); the unnamed ones read "nAColor".
constexpr std::array<const char*, 256> s_colorNames = [] {
    std::array<const char*, 256> names{};
    names.fill("nAColor");
    for (size_t i = 0; i < s_nLow; ++i)
        names[i] = s_lowRunNames[i];
    for (size_t i = 0; i < s_nHigh; ++i)
        names[128 + i] = s_highRunNames[i];
    return names;
}();

using ColorKey = KeyStringBase<GUID>;
static_assert(sizeof(ColorKey) == 16 && std::is_trivially_copyable_v<ColorKey>);

// buildKey packs at most nine characters; any length above 9 makes it pack
// nine and look at the tenth to flag a longer name.
int packLength(size_t n)
{
    return n <= 9 ? static_cast<int>(n) : 10;
}

// The key of the first n characters of name (n >= 1): the first nine
// characters lower-cased in the first word, the next nine in the second
// word for names of ten or more. Lengths are passed explicitly so that a
// name inside a longer text gives the key of the name alone.
ColorKey colorKey(const char* name, size_t n)
{
    std::array<unsigned long long, 2> words{0, 0};
    ColorKey::buildKey(name, words[0], true, packLength(n));
    if (n >= 10)
        ColorKey::buildKey(name + 9, words[1], true, packLength(n - 9));
    return std::bit_cast<ColorKey>(words);
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

const char* toString(ColorID color)
{
    return s_colorNames[tableIndex(color)];
}

ColorID toColorID(const char* name, int length, ColorID defaultValue)
{
    if (!name)
        return defaultValue;
    const size_t n = length < 0 ? std::strlen(name) : static_cast<size_t>(length);
    if (n == 0)
        return defaultValue;
    // The first conversion fills the table; the once flag keeps threads that
    // convert at the same moment from filling it twice.
    std::call_once(s_colorNamesFilled, fillColorNames);
    ColorID found;
    return s_colorNamesToID.find(colorKey(name, n), found) ? found : defaultValue;
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
    case ColorID::sysHighlightBackground:
        return true;
    default:
        return false;
    }
}
} // namespace td
