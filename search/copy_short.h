#pragma once
// A copy of the few bytes of a word, a separator or an ipm text, cheaper than a call to memcpy.

#include <cstddef>
#include <cstring>

// Copies size bytes from from to to, which do not overlap. The words, separators and ipm texts of
// a listing are mostly a few bytes long: copies of fixed sizes, which the compiler inlines, take
// them with two overlapping moves, where a call to memcpy would cost more than the copying.
inline void CopyShort(char* to, const char* from, std::size_t size)
{
    if (size >= 8 && size <= 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + size - 8, from + size - 8, 8);
    } else if (size >= 4 && size < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + size - 4, from + size - 4, 4);
    } else if (size > 16) {
        std::memcpy(to, from, size);
    } else {
        for (std::size_t i = 0; i < size; ++i) {
            to[i] = from[i];
        }
    }
}
