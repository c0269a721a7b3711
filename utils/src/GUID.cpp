#include <td/GUID.h>

#include <cstring>
#include <uuid/uuid.h>

namespace mu
{
void getGUID(char* out)
{
    uuid_t id;
    uuid_generate(id);
    std::memcpy(out, id, sizeof(id));
}
} // namespace mu
