#pragma once
// An application's names of colours. This library never fills one: an
// application class that knows colour names fills its table and hands it to
// its application object.
#include <map>

#include <td/String.h>

namespace mu
{
class ColorNames
{
public:
    // Adds the colour's name, or replaces it.
    void insert(unsigned colour, const td::String& name);

    // The colour of that name (the lowest when several colours share it);
    // false when no colour has it.
    bool find(const td::String& name, unsigned& colour) const;

    // The colour's name (empty when its stored name is), or "#" and the
    // colour's eight lower-case hexadecimal digits for a colour without one,
    // written into the buffer of the main-thread regional formats (or of this
    // table when there are none) and valid until that buffer is next written.
    const char* getName(unsigned colour) const;

private:
    std::map<unsigned, td::String> _names;
    mutable char _text[12] = {};
};
} // namespace mu
