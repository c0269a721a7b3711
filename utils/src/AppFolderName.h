#pragma once
// Names that become one level of a path the application creates or deletes
// under: a name with "/" or a name "." or ".." would lead elsewhere.
#include <cstring>

namespace mu::priv
{
inline bool isOwnFolderName(const char* name)
{
    return name && *name && !std::strchr(name, '/') && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}
} // namespace mu::priv
