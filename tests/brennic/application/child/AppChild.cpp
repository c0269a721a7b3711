// A program built on the application object, which the application tests
// start under chosen names and folders. It makes its application from the
// argument vector it was started with (from none when APP_CHILD_ARGS is
// "none") and the tracer option in APP_CHILD_TRACER, does what
// APP_CHILD_MODE asks, and prints what it finds as "key=value" lines.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <mu/IAppProperties.h>
#include <mu/IApplication.h>
#include <mu/Regionals.h>

namespace
{
const char* variable(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

bool is(const char* name, const char* value)
{
    const char* text = variable(name);
    return text && std::strcmp(text, value) == 0;
}

class ChildApplication : public mu::IApplication
{
public:
    ChildApplication(int argc, const char** argv)
        : mu::IApplication(is("APP_CHILD_ARGS", "none") ? 0 : argc, is("APP_CHILD_ARGS", "none") ? nullptr : argv,
                           "Org", variable("APP_CHILD_TRACER"), false)
    {
    }
    mu::ILogger* getLogger() const override { return nullptr; }
    mu::ILogger* getDebugLogger() const override { return nullptr; }
};

// Every application counts its runs in its store, which it saves at its end.
void where(ChildApplication& app)
{
    mu::IAppProperties& store = *app.getProperties();
    const int runs = store.getValue("runs", 0) + 1;
    store.setValue("runs", runs);
    std::printf("name=%s\nfolder=%s\nid=%u\ntracer=%d\nruns=%d\n", app.getName().c_str(), app.getFolderPath().c_str(),
                app.getID(), app.getTracer() ? 1 : 0, runs);
    std::printf("color=%x\nsdkFile=%s\nhomeFile=%s\n", app.getKnownColor("#ff8000"),
                app.expandResFileName("", "x.png").c_str(), app.expandResFileName("/f", "~x.png").c_str());
}

// The first run of a restart: the settings change.
void write(ChildApplication& app)
{
    app.init("BA", 0);
    mu::IAppProperties& store = *app.getProperties();
    store.setValue("Window/width", 640);
    store.setValue("Window/visible", true);
    store.setValue("language", app.getLanguage());
    std::printf("tmp=%s\nregionals=%s\n", app.getSettings()->getTmpFolder().c_str(),
                mu::getMainThreadRegionals()->getName());
}

// The second run: the language read back chooses the regional formats.
void read(ChildApplication& app)
{
    const mu::IAppProperties& store = *app.getProperties();
    app.init(store.getValue("language", td::String()), 0);
    std::printf("width=%d\nvisible=%d\nlanguage=%s\nregionals=%s\n", store.getValue("Window/width", 0),
                store.getValue("Window/visible", false) ? 1 : 0, app.getLanguage().c_str(),
                mu::getMainThreadRegionals()->getName());
}
} // namespace

int main(int argc, const char** argv)
{
    std::printf("traceLevel=%d\n", mu::TraceLevel);
    {
        ChildApplication app(argc, argv);
        where(app);
        if (is("APP_CHILD_MODE", "write"))
            write(app);
        else if (is("APP_CHILD_MODE", "read"))
            read(app);
        std::printf("traceLevel=%d\n", mu::TraceLevel);
    }
    std::printf("registered=%d\n", mu::pApp() ? 1 : 0);
    if (is("APP_CHILD_MODE", "twice"))
    {
        ChildApplication second(argc, argv);
        where(second);
        std::printf("registered=%d\n", mu::pApp() == &second ? 1 : 0);
    }
    return 0;
}
