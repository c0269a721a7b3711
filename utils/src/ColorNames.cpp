#include <mu/ColorNames.h>

#include <cstdio>

#include <mu/IApplication.h>
#include <mu/Regionals.h>

namespace mu
{
void ColorNames::insert(unsigned colour, const td::String& name) { _names[colour] = name; }

bool ColorNames::find(const td::String& name, unsigned& colour) const
{
    for (const auto& [value, text] : _names)
    {
        if (text == name)
        {
            colour = value;
            return true;
        }
    }
    return false;
}

const char* ColorNames::getName(unsigned colour) const
{
    const auto it = _names.find(colour);
    if (it != _names.end())
        return it->second.c_str();
    Regionals* pRegionals = getMainThreadRegionals();
    char* text = pRegionals ? pRegionals->getBuffer() : _text;
    std::snprintf(text, sizeof(_text), "#%08x", colour);
    return text;
}
} // namespace mu
