// The hit set's numbering of the word store's words and its count.

#include "search/hit_set.h"

THitSet::THitSet()
{
    m_rowStart.reserve(DictWords.size() + 1);
    m_rowStart.push_back(0);
    for (const TWordList& words : DictWords) {
        m_rowStart.push_back(m_rowStart.back() + words.size());
    }
    m_bits.assign((Size() + 63) / 64, 0);
}

std::size_t THitSet::Count() const
{
    std::size_t count = 0;
    for (const std::uint64_t bits : m_bits) {
        count += static_cast<std::size_t>(std::popcount(bits));
    }
    return count;
}
