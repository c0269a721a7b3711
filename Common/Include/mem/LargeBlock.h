#pragma once
// Memory for a large array that is filled once, front to back: aligned to
// 2 MiB and advised for huge pages, so that filling it costs one page fault
// per 2 MiB instead of one per 4 KiB.
#include <cstddef>
#include <cstdlib>
#include <new>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace mem
{
constexpr std::size_t LargeBlockAlignment = std::size_t(2) << 20;

// bytes: a multiple of LargeBlockAlignment.
inline void* allocateLarge(std::size_t bytes)
{
    void* p = std::aligned_alloc(LargeBlockAlignment, bytes);
    if (!p)
        throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    // advice only: where huge pages are not to be had, the memory is ordinary
    ::madvise(p, bytes, MADV_HUGEPAGE);
#endif
    return p;
}

inline void freeLarge(void* p) { std::free(p); }
} // namespace mem
