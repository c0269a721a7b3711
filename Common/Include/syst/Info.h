#pragma once
// System information records and their queries. This Linux build provides
// none of the queries: each returns false and leaves its record as it is.
#include <cnt/SafeFullVector.h>

namespace syst
{
struct Info
{
    struct Kernel
    {
    };
    struct OS
    {
    };
    struct CPU
    {
    };
    struct RAM
    {
    };
    struct Disk
    {
    };
};

bool getKernelInfo(Info::Kernel& kernel);
bool getOSInfo(Info::OS& os);
bool getDiskInfo(cnt::SafeFullVector<Info::Disk, false>& disks);
bool getCPUInfo(Info::CPU& cpu);
bool getRAMInfo(Info::RAM& ram);
bool getInfo(Info& info);
} // namespace syst
