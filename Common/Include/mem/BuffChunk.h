#pragma once
#include <cstddef>

namespace mem
{
// One data chunk of a buffer allocator's chunk pool.
template <size_t CHUNK_SIZE>
struct BuffChunk
{
    char data[CHUNK_SIZE];
};
} // namespace mem
