#pragma once
// Platform queries. The manufacturer, model and system information are not
// available on this platform: those queries return false.
#include <td/String.h>

namespace syst
{
struct Info;
} // namespace syst

namespace plat
{
// The current working directory, empty when it cannot be read.
td::String getWorkingFolder();

bool getComputerManufacturerAndModel(td::String& manufacturer, td::String& model);
bool getInfo(syst::Info& info);
} // namespace plat
