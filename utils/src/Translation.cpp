// The translation functions of the application's four managers.
#include <mu/IApplication.h>
#include <mu/TranslationMgr.h>

namespace mu
{
namespace
{
template <class MGR>
MGR* manager(MGR* (IApplication::*get)())
{
    IApplication* pApp = mu::pApp();
    return pApp ? (pApp->*get)() : nullptr;
}

template <class TEXT>
const char* lookUpReport(unsigned key, const TEXT& id, unsigned long& length)
{
    length = id.length();
    const TranslationMgrBase<_NTR>* pMgr = manager(&IApplication::getTranslationMgrRep);
    return pMgr ? pMgr->trc(key, id.c_str(), length) : nullptr;
}
} // namespace

unsigned loadTranslation(const char* name, const char* language)
{
    auto* pMgr = manager(&IApplication::getTranslationMgr);
    return pMgr ? pMgr->loadTranslation(name, language) : 0;
}

unsigned loadRepTranslation(const char* name, const char* language)
{
    auto* pMgr = manager(&IApplication::getTranslationMgrRep);
    return pMgr ? pMgr->loadTranslation(name, language) : 0;
}

unsigned loadDPTranslation(const char* name, const char* language)
{
    auto* pMgr = manager(&IApplication::getTranslationMgrDP);
    return pMgr ? pMgr->loadDPTranslation(name, language) : 0;
}

unsigned loadMenuTranslation(const char* name, const char* language)
{
    auto* pMgr = manager(&IApplication::getTranslationMgrMenu);
    return pMgr ? pMgr->loadDPTranslation(name, language) : 0;
}

const char* trc(unsigned key, const char* text, unsigned long& length)
{
    const auto* pMgr = manager(&IApplication::getTranslationMgr);
    return pMgr ? pMgr->trc(key, text, length) : nullptr;
}

const char* trcRep(unsigned key, const td::String& id, unsigned long& length) { return lookUpReport(key, id, length); }

const char* trcRep(unsigned key, const td::StringExt& id, unsigned long& length)
{
    return lookUpReport(key, id, length);
}

const td::String& trsDP(unsigned key, const td::String& id, td::String& label, td::String& toolTip)
{
    const auto* pMgr = manager(&IApplication::getTranslationMgrDP);
    return pMgr ? pMgr->trsDP(key, id, label, toolTip) : mu::__emptyString;
}

const char* trcMenu(unsigned key, const char* text, unsigned long& length, td::String& label, td::String& toolTip)
{
    const auto* pMgr = manager(&IApplication::getTranslationMgrMenu);
    return pMgr ? pMgr->trsDP(key, text, length, label, toolTip) : nullptr;
}
} // namespace mu
