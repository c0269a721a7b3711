#pragma once
// What a locale defines, built in or read from a locale file, and the
// regional formats made from it.
#include <array>
#include <filesystem>
#include <memory>

#include <mu/Regionals.h>

namespace mu::priv
{
// The texts are borrowed: they live in static tables or in a locale file's
// document, which outlive the making of the regional formats.
struct LocaleDefinition
{
    const char* name;
    char decimalSeparator;
    char thousandsSeparator;
    const char* dateShort;
    const char* dateLong;
    const char* dateSeparator;
    const char* timeShort;
    const char* timeLong;
    const char* timeSeparator;
    std::array<const char*, 7> dayNames; // Sunday first
    std::array<const char*, 7> dayShortNames;
    std::array<const char*, 12> monthNames; // January first
    std::array<const char*, 12> monthShortNames;
};

// "BA" gives bs-Latn-BA; any other code, null included, en-US.
const LocaleDefinition& builtInLocale(const char* code);

// With the third separator '.' and the date order "dmy", as every creator
// makes them.
std::unique_ptr<Regionals> makeRegionals(const LocaleDefinition& locale, int buffLen);

// The regional formats of a locale file; null when it is not an existing
// regular file, cannot be parsed, or lacks a required item (which a time
// pattern with a second hour field counts as).
std::unique_ptr<Regionals> readLocaleFile(const std::filesystem::path& file);
} // namespace mu::priv
