#pragma once
// The hits of a search run: a set of the word store's words, one bit per stored word, and what a
// hit's number tells of its word (its row and place, its bytes, its ipm).

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "wordstore/large_array.h"
#include "wordstore/word_store.h"

// A word of the store: its row (slot of DictWords) and its place in that row's file order.
struct TStoredWord
{
    std::size_t Row = 0;
    std::size_t Index = 0;
};

// A set of the store's words, numbered in row and file order over every row, ticked or not. Made
// for the store as it is; the store must not change while the set is used.
class THitSet
{
public:
    THitSet();

    // The number of the store's words; the numbers run from 0 to Size() - 1.
    std::size_t Size() const { return m_rowStart.back(); }
    // The number of the rows, and the number of row's first word.
    std::size_t RowCount() const { return m_rowStart.size() - 1; }
    std::size_t RowStart(std::size_t row) const { return m_rowStart[row]; }
    // The number of word j of row.
    std::size_t Number(std::size_t row, std::size_t j) const { return m_rowStart[row] + j; }
    // The word with number.
    TStoredWord Word(std::size_t number) const
    {
        // The last row that starts at or before number; rows without words start where the next
        // does.
        const auto next = std::upper_bound(m_rowStart.begin(), m_rowStart.end(), number);
        const auto row = static_cast<std::size_t>(next - m_rowStart.begin()) - 1;
        return {row, number - m_rowStart[row]};
    }

    // Adds the word with number. Two threads may add at once when no 64 consecutive numbers
    // starting at a multiple of 64 hold numbers of both.
    void Add(std::size_t number) { m_bits[number / 64] |= std::uint64_t{1} << (number % 64); }

    // Calls visit(number) for each word of the set, in rising number order.
    template <typename TVisit>
    void ForEach(TVisit&& visit) const
    {
        for (std::size_t i = 0; i < m_bits.size(); ++i) {
            for (std::uint64_t bits = m_bits[i]; bits != 0; bits &= bits - 1) {
                visit(i * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
            }
        }
    }

    // How many words the set holds.
    std::size_t Count() const;

private:
    std::vector<std::size_t> m_rowStart;  // the number of each row's first word, and the end
    std::vector<std::uint64_t, TLargeAllocator<std::uint64_t>> m_bits;
};

// The ipm of a word of row with count.
inline double StoredIpm(std::int32_t count, std::size_t row)
{
    return count / DictTotals[row];
}

// The ipm of a stored word: its count divided by its row's total, as the search runs take it.
inline double StoredIpm(const TStoredWord& word)
{
    return StoredIpm(DictCounts[word.Row][word.Index], word.Row);
}

// The bytes of a stored word.
inline std::string_view StoredBytes(const TStoredWord& word)
{
    return DictWords[word.Row][word.Index];
}

// Walks the rows along with rising numbers, so that a walk over the set finds each hit's row
// without a search.
class TRowCursor
{
public:
    explicit TRowCursor(const THitSet& hits)
        : m_hits(hits)
    {}

    // The word with number, which is not below the number of the call before.
    TStoredWord At(std::size_t number)
    {
        while (number >= m_hits.RowStart(m_row + 1)) {
            ++m_row;
        }
        return {m_row, number - m_hits.RowStart(m_row)};
    }

private:
    const THitSet& m_hits;
    std::size_t m_row = 0;
};
