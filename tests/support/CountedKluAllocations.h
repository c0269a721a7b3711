#pragma once
// Counts operator new and every allocation KLU takes through the hooks of
// SuiteSparse_config; once per test program, as CountedNew.h.
#include <CountedNew.h>
#include <SuiteSparse_config.h>

namespace
{
void* countedMalloc(size_t size)
{
    ++g_allocations;
    return std::malloc(size);
}

void* countedCalloc(size_t count, size_t size)
{
    ++g_allocations;
    return std::calloc(count, size);
}

void* countedRealloc(void* p, size_t size)
{
    ++g_allocations;
    return std::realloc(p, size);
}

// Installed before main, so that KLU's memory is counted from the start.
const bool g_isKluCounted = [] {
    SuiteSparse_config.malloc_func = countedMalloc;
    SuiteSparse_config.calloc_func = countedCalloc;
    SuiteSparse_config.realloc_func = countedRealloc;
    return true;
}();
} // namespace
