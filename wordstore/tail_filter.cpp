// A first test of a word's last two bytes.

#include "wordstore/tail_filter.h"

#include <algorithm>

TTailFilter TTailFilter::OfLastBytes(const std::vector<std::bitset<256>>& lastFirst)
{
    TTailFilter filter;
    filter.MinSize = std::min<std::size_t>(lastFirst.size(), 2);
    for (std::size_t i = 0; i < filter.MinSize; ++i) {
        // The bits on which every byte of the set agrees: those that are 1 in all of them, and
        // those that are 0 in all.
        unsigned ones = 0xFF;
        unsigned zeros = 0xFF;
        for (unsigned byte = 0; byte < 256; ++byte) {
            if (lastFirst[i][byte]) {
                ones &= byte;
                zeros &= ~byte;
            }
        }
        const unsigned shift = i == 0 ? 8 : 0;
        filter.Mask |= static_cast<std::uint16_t>((ones | zeros) << shift);
        filter.Value |= static_cast<std::uint16_t>(ones << shift);
    }
    return filter;
}
