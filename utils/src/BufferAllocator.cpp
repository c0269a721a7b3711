#include <mem/BufferAllocator.h>

namespace mem
{
template class BufferAllocator<1024, 65536, 2048>;
} // namespace mem
