// Large arrays on transparent huge pages where the kernel offers them.

#include "wordstore/large_array.h"

#include <cstdlib>
#include <limits>
#include <new>

#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = 2 * 1024 * 1024;

// aligned_alloc wants a multiple of the alignment.
std::size_t RoundedSize(std::size_t bytes)
{
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

}  // namespace

void* AllocateLarge(std::size_t bytes)
{
    if (bytes < kHugePage) {
        return ::operator new(bytes);
    }
    if (bytes > std::numeric_limits<std::size_t>::max() - kHugePage) {
        throw std::bad_alloc();
    }
    void* memory = std::aligned_alloc(kHugePage, RoundedSize(bytes));
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    // Only advice: where the kernel has no huge pages, or declines, the memory works the same.
    madvise(memory, RoundedSize(bytes), MADV_HUGEPAGE);
    return memory;
}

void UnmapLarge(void* memory, std::size_t bytes) noexcept
{
    munmap(memory, bytes);
}

void FreeLarge(void* memory, std::size_t bytes) noexcept
{
    if (bytes < kHugePage) {
        ::operator delete(memory);
    } else {
        std::free(memory);
    }
}
