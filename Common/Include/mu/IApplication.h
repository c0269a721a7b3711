#pragma once
// The process's application object: the base class of a program's own
// application class. It finds the executable's name and folder, owns the
// settings, the property-list store, the main-thread regional formats, four
// translation managers and the tracer, and registers itself in g_pApp while
// it exists. The services treat a missing application, and a null answer
// from one, as "none": they then do nothing and return 0, null or empty.
#include <filesystem>
#include <fstream>
#include <memory>
#include <utility>

#include <fo/FolderType.h>
#include <mu/IAppSettings.h>
#include <mu/TxtOutFile.h>
#include <td/String.h>

namespace web
{
class IView;
} // namespace web

namespace mu
{
class AppSettings;
class ColorNames;
class IAppProperties;
class ILogger;
class IRelease;
class Regionals;
class _NTR;
class _DPTR;
template <class TABLE>
class TranslationMgrBase;

class IApplication
{
public:
    // The executable is argument 0 when that is an absolute path to a file,
    // else the link "/proc/self/exe", else argument 0 (argc may be 0 and argv
    // null). Its stem names the application, its folder is the application's
    // (the working folder when it has none). The store and the settings are
    // made for organisation and that name. tracerOption: null or "-..." no
    // tracer; "+..." a tracer in home / organisation / name / "Log"; any
    // other text T one in home / T / organisation / name / "Log". The last
    // argument is not used.
    IApplication(int argc, const char** argv, const char* organisation, const char* tracerOption, bool);
    IApplication(const IApplication&) = delete;
    IApplication& operator=(const IApplication&) = delete;

    // The identifier of the main tool bar, null when there is none.
    virtual const char* getMainToolBarStrID() const { return nullptr; }
    // The logger of the logging functions and of the settings.
    virtual ILogger* getLogger() const = 0;
    virtual ILogger* getDebugLogger() const = 0;
    // A plain application keeps no releaser: objects handed to it stay
    // their owner's. An application class with one overrides both.
    virtual void addToGlobalReleaser(IRelease*) {}
    virtual void removeFromGlobalReleaser(IRelease*) {}
    virtual void* getMainWnd() { return nullptr; }
    virtual void setMainWnd(void*) {}
    virtual void setHelpWnd(web::IView* pView) { _pHelpWnd = pView; }
    virtual web::IView* getHelpWnd() { return _pHelpWnd; }
    virtual void closeFreeWnds() {}

    // initEnvironment, then initRegionals.
    void init(const td::String& language, unsigned environment);
    // The settings' root folder from the executable, with environment as
    // their folder flags.
    void initEnvironment(unsigned environment);
    // A time-stamped temporary folder (deleted at the end), the regional
    // formats of the language, the loggers and the language in the settings.
    void initRegionals(const td::String& language);
    // initEnvironment(0), then initRegionals.
    void setLanguage(const char* language);
    void setLanguage(const td::String& language);
    const td::String& getLanguage() const;
    void initGUI() {}

    IAppSettings* getSettings();
    IAppProperties* getProperties() { return _pProperties; }
    // Null before the first regional formats are made.
    Regionals* getMainThreadRegionals() { return _pRegionals.get(); }
    // Null when there is no tracer.
    TxtOutFile<std::ofstream>* getTracer() { return _pTracer; }
    TranslationMgrBase<_NTR>* getTranslationMgr() { return _pTranslationMgr.get(); }
    TranslationMgrBase<_NTR>* getTranslationMgrRep() { return _pTranslationMgrRep.get(); }
    TranslationMgrBase<_DPTR>* getTranslationMgrDP() { return _pTranslationMgrDP.get(); }
    TranslationMgrBase<_DPTR>* getTranslationMgrMenu() { return _pTranslationMgrMenu.get(); }
    const td::String& getName() const { return _name; }
    const std::filesystem::path& getFolderPath() const { return _folderPath; }
    std::pair<const char**, int> getMainArgs() const { return {_argv, _argc}; }
    unsigned char getEnvironment() const { return _environment; }
    unsigned getID();
    void setMainWndHelpFile(const char* fileName) { _mainWndHelpFile = fileName; }
    const char* getMainWndHelpFile() const { return _mainWndHelpFile; }

    const td::String& getPath(fo::FolderType type) const;
    const std::filesystem::path& getFSPath(fo::FolderType type) const;
    bool createFolder(fo::FolderType type, const td::String& name, td::String& result) const;

    // "#" and lower-case hexadecimal digits (read up to the first other
    // character, "#" alone gives 0), else a name of the colour table; an
    // empty or unknown name, or no table, gives 0xFF000000.
    unsigned getKnownColor(const td::String& name) const;
    // The colour table's name of the colour; empty without a table.
    td::String getKnownColorName(unsigned colour) const;

    // A resource file's full name: "" for an empty name; "~rest": home /
    // rest; ":rest": resource folder / rest; else folder / name, or the SDK
    // folder / name when folder is empty. The string form knows only the
    // ":" rule and puts any other name in folder, empty or not.
    td::String expandResFileName(const std::filesystem::path& folder, const char* name) const;
    td::String expandResFileName(const std::filesystem::path& folder, const td::String& name) const;

    // Replace the main-thread regional formats: the built-in locale of the
    // code ("BA" bs-Latn-BA, any other en-US), or the code's locale file
    // (falling back to the built-in locale when the file is missing,
    // malformed or incomplete).
    void createRegionals(const char* code);
    void createRegionalsFromRes(const char* code);

protected:
    // Saves the store, then releases everything the application owns.
    ~IApplication();

    // What an application class fills: the folder of its resources, its
    // colour table (owned from then on) and its environment (1: locale files
    // come from the SDK folder).
    void setResFolder(const std::filesystem::path& folder) { _resFolder = folder; }
    void setColorNames(ColorNames* pColorNames);
    void setEnvironment(unsigned char environment) { _environment = environment; }

private:
    void initWithTdCheck(const char* organisation, const td::String& name);
    std::filesystem::path localeFolder() const;

    IAppProperties* _pProperties = nullptr;
    td::String _name;
    std::filesystem::path _folderPath;
    std::filesystem::path _executablePath;
    std::filesystem::path _resFolder;
    std::unique_ptr<Regionals> _pRegionals;
    AppSettings* _pSettings = nullptr;
    std::unique_ptr<TranslationMgrBase<_NTR>> _pTranslationMgr;
    std::unique_ptr<TranslationMgrBase<_NTR>> _pTranslationMgrRep;
    std::unique_ptr<TranslationMgrBase<_DPTR>> _pTranslationMgrDP;
    std::unique_ptr<TranslationMgrBase<_DPTR>> _pTranslationMgrMenu;
    TxtOutFile<std::ofstream>* _pTracer = nullptr;
    std::unique_ptr<ColorNames> _pColorNames;
    web::IView* _pHelpWnd = nullptr;
    const char* _mainWndHelpFile = nullptr;
    const char** _argv;
    int _argc;
    const char* _organisation;
    unsigned char _environment = 0;
};

// The process's application object; null until one registers itself in its
// constructor.
extern IApplication* g_pApp;

// -1 until an application has set up its regional formats and language.
extern int TraceLevel;

IApplication* pApp();

// The settings of the registered application, or null when there is none
// (callers then go on without a logger). Two names, one operation.
IAppSettings* getAppSettings();
IAppSettings* getApplicationSettings();

// The application's tracer, null without an application or tracer. Two
// names, one operation.
TxtOutFile<std::ofstream>* getTracer();
TxtOutFile<std::ofstream>* getTracerPtr();

// The application's main-thread regional formats, null without an
// application or before it made them.
Regionals* getMainThreadRegionals();
} // namespace mu
