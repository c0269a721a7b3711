// The system-information queries are not provided on this platform.
#include <plat/Platform.h>
#include <syst/Info.h>

namespace syst
{
bool getKernelInfo(Info::Kernel&) { return false; }
bool getOSInfo(Info::OS&) { return false; }
bool getDiskInfo(cnt::SafeFullVector<Info::Disk, false>&) { return false; }
bool getCPUInfo(Info::CPU&) { return false; }
bool getRAMInfo(Info::RAM&) { return false; }
bool getInfo(Info&) { return false; }
} // namespace syst

namespace plat
{
bool getComputerManufacturerAndModel(td::String&, td::String&) { return false; }
bool getInfo(syst::Info&) { return false; }
} // namespace plat
