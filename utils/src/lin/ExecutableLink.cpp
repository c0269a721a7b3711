#include "ExecutableLink.h"

#include <unistd.h>

namespace mu::priv
{
std::filesystem::path readExecutableLink()
{
    // readlink does not terminate the text; a text that fills the buffer may
    // have been cut.
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer));
    if (length <= 0 || static_cast<size_t>(length) >= sizeof(buffer))
        return {};
    buffer[length] = 0;
    return buffer;
}
} // namespace mu::priv
