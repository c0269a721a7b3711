#include <syst/Process.h>

#include <unistd.h>

#include <memory>

#include <plat/Platform.h>

namespace syst
{
unsigned Process::getID() { return static_cast<unsigned>(getpid()); }

int Process::execute(const char* path, char* const* argv)
{
    if (path && argv)
        execv(path, argv);
    return -1;
}

int Process::execute(const td::String& path, const cnt::SafeFullVector<td::String>& arguments)
{
    const size_t n = arguments.size();
    std::unique_ptr<char*[]> argv(new char*[n + 2]);
    argv[0] = const_cast<char*>(path.c_str());
    for (size_t i = 0; i < n; ++i)
        argv[i + 1] = const_cast<char*>(arguments[i].c_str());
    argv[n + 1] = nullptr;
    return execute(path.c_str(), argv.get());
}

td::String Computer::getName()
{
    char name[64];
    if (gethostname(name, sizeof(name)) != 0)
        return td::String();
    name[sizeof(name) - 1] = 0; // a cut name need not end in NUL
    return td::String(name);
}
} // namespace syst

namespace mu
{
unsigned getProcesID() { return syst::Process::getID(); }
} // namespace mu

namespace plat
{
td::String getWorkingFolder()
{
    char folder[4096];
    return td::String(getcwd(folder, sizeof(folder)));
}
} // namespace plat
