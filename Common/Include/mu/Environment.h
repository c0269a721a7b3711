#pragma once
// The folders of the user and the process, and environment variables.
#include <filesystem>

#include <td/String.h>

namespace mu
{
// The application settings' home folder when there is one, else $HOME when
// it is set and not empty; otherwise out is left as it is.
void getHomePath(std::filesystem::path& out);
// The same as a new path, empty when nothing applies.
std::filesystem::path getHomePath();

// $HOME, empty when unset.
td::String getHomeFolderName();

// Home path / "Zorbel.SDK" (relative when there is no home path).
std::filesystem::path getZorbelSDKPath();

void getWorkingFolderPath(std::filesystem::path& out);

// The variable's value, empty when it is unset (or name is null).
td::String getEnvironmentVariable(const char* name);
} // namespace mu
