#pragma once
// Named colours and colour schemes. A ColorID is one signed byte: the named
// colours occupy -128..-73 and 0..127; -93..-74 are system colours that a
// user interface resolves to its theme; -72..-1 are unnamed.
#include <cnt/Dictionary.h>
#include <td/KeyString.h>
#include <td/String.h>

namespace td
{
// The one list of colour names, in value order: the enumeration and the
// name table are both made from it. FIRST(name, value) opens a run.
// clang-format off
#define TD_COLOR_NAMES_LOW(FIRST, X)                                                                                   \
    FIRST(moccasin, -128)                                                                                              \
    X(navajoWhite) X(peachPuff) X(mistyRose) X(lavenderBlush) X(linen) X(oldLace) X(papayaWhip) X(seaShell)            \
        X(mintCream) X(slateGray) X(lightSlateGray) X(lightSteelBlue) X(lavender) X(floralWhite) X(aliceBlue)          \
            X(ghostWhite) X(honeydew) X(ivory) X(azure) X(snow) X(black) X(obsidianGray) X(ash) X(slate) X(dimGray)    \
                X(gray) X(smoke) X(darkGray) X(stone) X(silver) X(lightGray) X(gainsboro) X(whiteSmoke) X(white)       \
                    X(sysSelectedItemBack) X(sysSelectedTextBack) X(sysLabel) X(sysHeaderBack) X(sysText)              \
                        X(sysHeaderText) X(sysSelectedText) X(sysBackAlt1) X(sysBackAlt2) X(sysTransparentSelection)   \
                            X(sysCtrlText) X(sysCtrlTextDisabled) X(sysCtrlBack) X(sysLabelHighlight) X(sysCritical)   \
                                X(sysConstructive) X(sysDestructive) X(sysWarning) X(sysError)                         \
                                    X(sysHighlightBackground) X(transparent)

#define TD_COLOR_NAMES_HIGH(FIRST, X)                                                                                  \
    FIRST(maroon, 0)                                                                                                   \
    X(rust) X(darkRed) X(brown) X(terracotta) X(firebrick) X(crimson) X(red) X(vermilion) X(tomato) X(coral) X(        \
        indianRed) X(copper) X(lightCoral) X(darkSalmon) X(salmon) X(lightSalmon) X(orangeRed) X(darkOrange) X(orange) \
        X(tangerine) X(apricot) X(gold) X(darkGoldenRod) X(goldenRod) X(paleGoldenTod) X(darkKhaki) X(khaki) X(olive)  \
            X(yellow) X(yellowGreen) X(darkOliveGreen) X(oliveDrab) X(lawnGreen) X(chartreuse) X(greenYellow)          \
                X(darkGreen) X(green) X(forestGreen) X(lime) X(limeGreen) X(lightGreen) X(paleGreen) X(mint) X(sage)   \
                    X(moss) X(darkSeaGreen) X(mediumSpringGreen) X(springGreen) X(pine) X(seaGreen)                    \
                        X(mediumAquaMarine) X(mediumSeaGreen) X(lightSeaGreen) X(darkSlateGray) X(teal) X(darkCyan)    \
                            X(cyan) X(aqua) X(lightCyan) X(darkTurquoise) X(turquoise) X(mediumTurquoise)              \
                                X(paleTurquoise) X(aquaMarine) X(powderBlue) X(cadetBlue) X(steelBlue)                 \
                                    X(cornFlowerBlue) X(deepSkyBlue) X(dodgerBlue) X(lightBlue) X(skyBlue)             \
                                        X(lightSkyBlue) X(periwinkle) X(cerulean) X(midnightBlue) X(navy) X(darkBlue)  \
                                            X(mediumBlue) X(blue) X(royalBlue) X(blueViolet) X(indigo)                 \
                                                X(darkSlateBlue) X(slateBlue) X(mediumSlateBlue) X(mediumPurple)       \
                                                    X(darkMagenta) X(darkViolet) X(darkOrchid) X(mediumOrchid)         \
                                                        X(purple) X(mulberry) X(berry) X(mauve) X(eggplant) X(thistle) \
                                                            X(plum) X(violet) X(magenta) X(orchid) X(mediumVioletRed)  \
                                                                X(paleVioletRed) X(deepPink) X(hotPink) X(flamingo)    \
                                                                    X(lightPink) X(pink) X(antiqueWhite) X(beige)      \
                                                                        X(bisque) X(blanchedAlmond) X(wheat)           \
                                                                            X(cornSilk) X(lemonChiffon)                \
                                                                                X(lightGoldenRodYellow) X(lightYellow) \
                                                                                    X(saddleBrown) X(sienna) X(sepia)  \
                                                                                        X(chocolate) X(peru) X(bronze) \
                                                                                            X(sandyBrown) X(burlyWood) \
                                                                                                X(tan) X(rosyBrown)
// clang-format on

#define TD_COLOR_ENUM_FIRST(name, value) name = value,
#define TD_COLOR_ENUM_NEXT(name) name,

enum class ColorID : signed char
{
    TD_COLOR_NAMES_LOW(TD_COLOR_ENUM_FIRST, TD_COLOR_ENUM_NEXT)
    TD_COLOR_NAMES_HIGH(TD_COLOR_ENUM_FIRST, TD_COLOR_ENUM_NEXT)
};

#undef TD_COLOR_ENUM_FIRST
#undef TD_COLOR_ENUM_NEXT

// Colour names to values, keyed by the packed lower-cased name. Defined in
// the library's colour source with constant initialisation, so it exists
// empty before any initialiser of the library runs and is destroyed when
// the library unloads; toColorID fills it on first use.
using ColorNamesToID = cnt::Dictionary<KeyStringBase<GUID>, ColorID>;
extern ColorNamesToID s_colorNamesToID;

// A colour value as four bytes (the text form prints them first byte first).
struct Color
{
    unsigned char bytes[4];

    bool operator==(const Color&) const = default;
};

// light 1, dark 2; every other value is the automatic scheme.
enum class ColorScheme : unsigned char
{
    automatic = 0,
    light = 1,
    dark = 2
};

// The name; the 72 unnamed values give "nAColor".
const char* toString(ColorID color);

// The colour whose name matches the first length characters of name
// (length < 0: the whole text), ignoring case; defaultValue when none does.
ColorID toColorID(const char* name, int length, ColorID defaultValue);

// The system colours that paint backgrounds.
bool isSystemBackgroundColor(ColorID color);

// "light", "dark", else "auto".
const char* toString(ColorScheme scheme);

// "dark" and "light" (exactly, length < 0 meaning the text's own length);
// anything else, "auto" included, gives defaultValue.
ColorScheme toColorScheme(const char* text, int length, ColorScheme defaultValue);
} // namespace td
