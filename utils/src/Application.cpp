#include <mu/IApplication.h>

#include <system_error>

#include <mu/AppSettings.h>
#include <mu/ColorNames.h>
#include <mu/IAppProperties.h>
#include <mu/Regionals.h>
#include <mu/TranslationMgr.h>

#include "AppFolderName.h"
#include "lin/ExecutableLink.h"

namespace mu
{
namespace fs = std::filesystem;

IApplication* g_pApp = nullptr;
int TraceLevel = -1;

namespace
{
// Not empty, ".", "..": the name would not be the program's own (and the
// folders made under it would lie elsewhere).
bool namesAFile(const fs::path& path) { return priv::isOwnFolderName(path.filename().c_str()); }

// Argument 0 when it is an absolute path to a file, else the kernel's link,
// else argument 0 as it is; empty when none of them names a file.
fs::path findExecutable(int argc, const char** argv)
{
    const fs::path argument = argc > 0 && argv && argv[0] ? fs::path(argv[0]) : fs::path();
    if (argument.is_absolute() && namesAFile(argument))
        return argument;
    fs::path link = priv::readExecutableLink();
    if (!link.empty())
        return link;
    return namesAFile(argument) ? argument : fs::path();
}

// The executable's folder; the working folder for a bare name.
fs::path folderOf(const fs::path& executable)
{
    fs::path folder = executable.parent_path();
    if (folder.empty())
    {
        std::error_code ec;
        folder = fs::current_path(ec);
    }
    return folder.empty() ? fs::path(".") : folder;
}
} // namespace

IApplication::IApplication(int argc, const char** argv, const char* organisation, const char* tracerOption, bool)
    : _argv(argv)
    , _argc(argc)
    , _organisation(organisation)
{
    g_pApp = this;
    _executablePath = findExecutable(argc, argv);
    _name = td::String(_executablePath.stem().c_str());
    _folderPath = folderOf(_executablePath);
    _pProperties = IAppProperties::getProperties(td::String(organisation), _name);
    initWithTdCheck(organisation, _name);
    if (tracerOption && tracerOption[0] != '-')
        _pSettings->createTracer(_pTracer, "Log", tracerOption[0] == '+' ? nullptr : tracerOption);
}

IApplication::~IApplication()
{
    _pProperties->save();
    _pProperties->release();
    _pProperties = nullptr;
    _pSettings->release();
    _pSettings = nullptr;
    _pRegionals.reset();
    _pTranslationMgr.reset();
    _pTranslationMgrRep.reset();
    _pTranslationMgrDP.reset();
    _pTranslationMgrMenu.reset();
    if (_pTracer)
    {
        _pTracer->close(); // flushes
        delete _pTracer;
        _pTracer = nullptr;
    }
    _pColorNames.reset();
    if (g_pApp == this)
        g_pApp = nullptr;
}

void IApplication::initWithTdCheck(const char* organisation, const td::String& name)
{
    _pSettings = new AppSettings(organisation, name.c_str());
    _pTranslationMgr = std::make_unique<TranslationMgrBase<_NTR>>(fo::FolderType::Translation);
    _pTranslationMgrRep = std::make_unique<TranslationMgrBase<_NTR>>(fo::FolderType::ReportConfig);
    _pTranslationMgrDP = std::make_unique<TranslationMgrBase<_DPTR>>(fo::FolderType::DPConfig);
    _pTranslationMgrMenu = std::make_unique<TranslationMgrBase<_DPTR>>(fo::FolderType::GUI);
}

void IApplication::init(const td::String& language, unsigned environment)
{
    initEnvironment(environment);
    initRegionals(language);
}

void IApplication::initEnvironment(unsigned environment)
{
    _pSettings->initApplicationRootFolder(td::String(_executablePath.c_str()), td::String(_organisation), environment);
}

void IApplication::initRegionals(const td::String& language)
{
    const td::String tmpFolder = _pSettings->createAppFolderInTmp(true, true);
    if (!tmpFolder.isEmpty())
        _pSettings->setTmpFolder(tmpFolder);
    createRegionalsFromRes(language.c_str());
    _pSettings->setLogger(getLogger());
    _pSettings->setTranslationExtension(language);
    _pSettings->setDebugLogger(getDebugLogger());
    TraceLevel = 0;
}

void IApplication::setLanguage(const char* language) { setLanguage(td::String(language)); }

void IApplication::setLanguage(const td::String& language)
{
    initEnvironment(0);
    initRegionals(language);
}

IAppSettings* IApplication::getSettings() { return _pSettings; }

const td::String& IApplication::getLanguage() const { return _pSettings->getTranslationExtension(); }

unsigned IApplication::getID() { return _pSettings->getProgID(); }

const td::String& IApplication::getPath(fo::FolderType type) const { return _pSettings->getPath(type); }

const fs::path& IApplication::getFSPath(fo::FolderType type) const { return _pSettings->getFSPath(type); }

bool IApplication::createFolder(fo::FolderType type, const td::String& name, td::String& result) const
{
    return _pSettings->createFolder(type, name, result);
}

void IApplication::setColorNames(ColorNames* pColorNames) { _pColorNames.reset(pColorNames); }

IApplication* pApp() { return g_pApp; }

IAppSettings* getAppSettings() { return g_pApp ? g_pApp->getSettings() : nullptr; }
IAppSettings* getApplicationSettings() { return getAppSettings(); }

TxtOutFile<std::ofstream>* getTracer() { return g_pApp ? g_pApp->getTracer() : nullptr; }
TxtOutFile<std::ofstream>* getTracerPtr() { return getTracer(); }

Regionals* getMainThreadRegionals() { return g_pApp ? g_pApp->getMainThreadRegionals() : nullptr; }
} // namespace mu
