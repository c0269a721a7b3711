#include "PasswordEntry.h"

#include <pwd.h>
#include <unistd.h>

namespace mu::priv
{
PasswordEntry readPasswordEntry()
{
    const passwd* pEntry = getpwuid(getuid());
    if (!pEntry)
        return {};
    return {td::String(pEntry->pw_dir), td::String(pEntry->pw_name)};
}
} // namespace mu::priv
