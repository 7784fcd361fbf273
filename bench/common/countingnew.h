#pragma once
// Replaces the global operator new/delete with counting malloc/free wrappers, so a benchmark can
// show that the code it measures allocates nothing. Include it in exactly one file of a benchmark
// program, and compile that program with -Wno-mismatched-new-delete (GCC cannot tell these
// wrappers from a mismatched pair once they are inlined).
#include <atomic>
#include <cstdlib>
#include <new>

namespace bench {
inline std::atomic<long long> g_allocations { 0 };

inline long long allocationCount()
{
    return g_allocations.load(std::memory_order_relaxed);
}
} // namespace bench

void* operator new(std::size_t size)
{
    bench::g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
