// src/app/Allocator.cpp
// setup.exe's global allocation functions. The program asks only for
// nothrow allocations and checks them; with these, the C++ library's
// exception machinery stays out of the executable.
#include <new>
#include <stdlib.h>

void* operator new(size_t size)
{
    return malloc(size != 0 ? size : 1);
}

void* operator new[](size_t size)
{
    return malloc(size != 0 ? size : 1);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size != 0 ? size : 1);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size != 0 ? size : 1);
}

void operator delete(void* block) noexcept
{
    free(block);
}

void operator delete[](void* block) noexcept
{
    free(block);
}

void operator delete(void* block, size_t) noexcept
{
    free(block);
}

void operator delete[](void* block, size_t) noexcept
{
    free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    free(block);
}
