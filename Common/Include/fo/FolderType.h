#pragma once
// The folders an application knows by number. The numbers are fixed; any
// other value names no folder.
namespace fo
{
enum class FolderType : int
{
    Application = 1,
    Home = 2,
    HomeLocalData = 3,
    Tmp = 4,
    DPConfig = 5,     // "DP"
    ReportConfig = 6, // "Rep"
    Translation = 7,  // "TR"
    Res = 8,          // "Res"
    GUI = 9,          // "GUI"
    Help = 10         // "Help"
};
} // namespace fo
