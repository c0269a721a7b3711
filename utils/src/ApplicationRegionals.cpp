// The main-thread regional formats of the application object.
#include <mu/IApplication.h>

#include <mu/Environment.h>
#include <mu/Regionals.h>
#include <td/StringUtils.h>

#include "AppFolderName.h"
#include "Locale.h"

namespace mu
{
void IApplication::createRegionals(const char* code)
{
    _pRegionals.reset();
    _pRegionals = priv::makeRegionals(priv::builtInLocale(code), 512);
}

void IApplication::createRegionalsFromRes(const char* code)
{
    // The code names the file; a code that would lead out of the folder
    // names none.
    if (code && priv::isOwnFolderName(code))
    {
        char fileName[64];
        _snprintf_s(fileName, sizeof(fileName), static_cast<size_t>(-1), "%s.xml", code);
        if (std::unique_ptr<Regionals> pRegionals = priv::readLocaleFile(localeFolder() / fileName))
        {
            _pRegionals = std::move(pRegionals);
            return;
        }
    }
    createRegionals(code);
}

std::filesystem::path IApplication::localeFolder() const
{
    return _environment == 1 ? getZorbelSDKPath() / "Common" / "Regionals" : _resFolder / "regionals";
}
} // namespace mu
