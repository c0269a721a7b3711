// Loads the probe library by path in a process that does not link the
// utility library, so that the utility library comes in as the probe's
// dependency and starts up inside dlopen, as under a Python interpreter.
// Exit code: the probe's fault bits, or 64 and above when loading failed.
#include "StartupProbe.h"

#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s <probe library> <utility library file name>\n", argv[0]);
        return 64;
    }
    if (dlopen(argv[2], RTLD_NOW | RTLD_NOLOAD))
    {
        std::fprintf(stderr, "%s is loaded before the probe\n", argv[2]);
        return 65;
    }
    void* pProbe = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!pProbe)
    {
        std::fprintf(stderr, "%s\n", dlerror());
        return 66;
    }
    auto faults = reinterpret_cast<StartupProbeFaultsFn>(dlsym(pProbe, "startupProbeFaults"));
    if (!faults)
        return 67;
    unsigned result = faults();
    if (dlclose(pProbe) != 0)
        return 68;
    return static_cast<int>(result);
}
