// Resource file names and known colours of the application object.
#include <mu/IApplication.h>

#include <mu/ColorNames.h>
#include <mu/Environment.h>

namespace mu
{
namespace fs = std::filesystem;

namespace
{
constexpr unsigned s_unknownColor = 0xFF000000;

// Lower-case hexadecimal digits up to the first other character.
unsigned readHexColor(const char* digits)
{
    unsigned colour = 0;
    for (const char* p = digits; (*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'f'); ++p)
        colour = colour << 4 | static_cast<unsigned>(*p <= '9' ? *p - '0' : *p - 'a' + 10);
    return colour;
}

// base / rest, the rest's leading "/" dropped: "~/x" names x in the home
// folder, not the root's x.
td::String joined(const fs::path& base, const char* rest)
{
    while (*rest == '/')
        ++rest;
    return td::String((base / rest).c_str());
}
} // namespace

unsigned IApplication::getKnownColor(const td::String& name) const
{
    if (name.isEmpty())
        return s_unknownColor;
    if (name.c_str()[0] == '#')
        return readHexColor(name.c_str() + 1);
    unsigned colour = s_unknownColor;
    return _pColorNames && _pColorNames->find(name, colour) ? colour : s_unknownColor;
}

td::String IApplication::getKnownColorName(unsigned colour) const
{
    return _pColorNames ? td::String(_pColorNames->getName(colour)) : td::String();
}

td::String IApplication::expandResFileName(const fs::path& folder, const char* name) const
{
    if (!name || !*name)
        return td::String();
    if (name[0] == '~')
        return joined(getHomePath(), name + 1);
    if (name[0] == ':')
        return joined(_resFolder, name + 1);
    return td::String(((folder.empty() ? getZorbelSDKPath() : folder) / name).c_str());
}

td::String IApplication::expandResFileName(const fs::path& folder, const td::String& name) const
{
    if (name.isEmpty())
        return td::String();
    if (name.c_str()[0] == ':')
        return joined(_resFolder, name.c_str() + 1);
    return td::String((folder / name.c_str()).c_str());
}
} // namespace mu
