#pragma once
// Where the kernel says the running program lies.
#include <filesystem>

namespace mu::priv
{
// The target of "/proc/self/exe", empty when it cannot be read whole.
std::filesystem::path readExecutableLink();
} // namespace mu::priv
