// The library's process-wide objects. They are constructed before every
// other static object of the library (and so destroyed after them), since
// other initialisers, here or in libraries loaded on top of this one, may
// already use the main thread's allocator.
#include <mu/Init.h>

#include <mem/BufferAllocator.h>

namespace mu
{
__attribute__((init_priority(101))) td::MutableString __globalMutableString;
__attribute__((init_priority(101))) mem::BufferAllocator<1024, 65536, 2048> g_sMTAllocator;

mem::IBufferAllocator* getMainThreadBufferAllocator() { return &g_sMTAllocator; }
} // namespace mu
