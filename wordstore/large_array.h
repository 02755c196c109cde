#pragma once
// Memory for arrays of many megabytes: the word store's blocks, offsets and counts.

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

// Returns bytes of uninitialized memory. From 2 MiB on the block is aligned to 2 MiB and the
// kernel is asked to back it with transparent huge pages: one page fault per 2 MiB instead of
// one per 4 KiB, which is most of the cost of filling fresh memory. Throws std::bad_alloc.
void* AllocateLarge(std::size_t bytes);

// Frees memory from AllocateLarge; bytes is the size it was asked for.
void FreeLarge(void* memory, std::size_t bytes) noexcept;

// Unmaps the bytes of pages mapped at memory (MapWholeFile's).
void UnmapLarge(void* memory, std::size_t bytes) noexcept;

// A standard allocator over AllocateLarge, for vectors that grow to many megabytes.
template <typename T>
struct TLargeAllocator
{
    using value_type = T;

    TLargeAllocator() = default;
    template <typename U>
    TLargeAllocator(const TLargeAllocator<U>&) noexcept
    {}

    T* allocate(std::size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
    void deallocate(T* memory, std::size_t n) noexcept { FreeLarge(memory, n * sizeof(T)); }

    friend bool operator==(const TLargeAllocator&, const TLargeAllocator&) { return true; }
};

// TLargeAllocator whose vectors leave the elements a resize adds uninitialized, for arrays of
// plain values that are written right after: the memory is not written twice.
template <typename T>
struct TLargeBufferAllocator : TLargeAllocator<T>
{
    TLargeBufferAllocator() = default;
    template <typename U>
    TLargeBufferAllocator(const TLargeBufferAllocator<U>&) noexcept
    {}

    template <typename U>
    void construct(U* place) noexcept
    {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... TArgs>
    void construct(U* place, TArgs&&... args)
    {
        ::new (static_cast<void*>(place)) U(std::forward<TArgs>(args)...);
    }
};

struct TLargeFree
{
    std::size_t Size = 0;
    bool Mapped = false;  // pages mapped rather than allocated
    void operator()(char* memory) const noexcept
    {
        Mapped ? UnmapLarge(memory, Size) : FreeLarge(memory, Size);
    }
};

// Bytes from AllocateLarge, or pages mapped from a file, freed with their owner.
using TLargeBlock = std::unique_ptr<char[], TLargeFree>;

// Returns a block of size uninitialized bytes. Throws std::bad_alloc.
inline TLargeBlock MakeLargeBlock(std::size_t size)
{
    return TLargeBlock(static_cast<char*>(AllocateLarge(size)), TLargeFree{size});
}
