#pragma once
// Counts every operator new of the test program. Replacement allocation
// functions must be defined once per program: include this header in one
// source file of the program only.
#include <cstdlib>
#include <new>

namespace
{
unsigned long g_allocations = 0;
} // namespace

void* operator new(size_t size)
{
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }

void operator delete(void* p, size_t) noexcept { std::free(p); }
