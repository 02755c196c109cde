#pragma once
// The hits of a search run over the word store, one bit per stored word, and their listing:
// ordered through compact keys and written out a block at a time.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "wordstore/large_array.h"

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
    TStoredWord Word(std::size_t number) const;

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

// One listed hit as a record: the word (Windows-1251), its ipm, its count and the dictionary row
// it was found in.
struct THitRecord
{
    std::string Word;
    double Ipm = 0.0;
    std::int64_t Count = 0;
    std::size_t Row = 0;
};

// The ipm of a stored word: its count divided by its row's total, as the search runs take it.
double StoredIpm(const TStoredWord& word);
// The ipm of a word of row with count.
double StoredIpm(std::int32_t count, std::size_t row);
// The bytes of a stored word.
std::string_view StoredBytes(const TStoredWord& word);

// The hits of a set in the order of the listing: by falling StoredIpm, the highest number first
// among equal values; or by word (search/word_order.h), each word once with its lowest number.
// The set holds no empty word.
class THitOrder
{
public:
    // Orders hits; alphabetical picks the order by word.
    void Sort(const THitSet& hits, bool alphabetical);

    // How many lines the listing has.
    std::size_t Count() const { return m_numbers.size(); }
    // The number of the hit on line i (from 0).
    std::size_t Number(std::size_t i) const { return m_numbers[i]; }
    // Hands the numbers of the lines over, in order, and leaves the order empty.
    std::vector<std::uint32_t, TLargeAllocator<std::uint32_t>> TakeNumbers()
    {
        return std::move(m_numbers);
    }

private:
    void SortByValue(const THitSet& hits);
    void SortByWord(const THitSet& hits);

    std::vector<std::uint32_t, TLargeAllocator<std::uint32_t>> m_numbers;
};

// Writes the listing of an order: one line per hit, the word followed, with showIpm, by " = " and
// its IpmText; lines separated by CR LF. The text goes to write in pieces of about blockSize
// bytes, in order; a piece may end anywhere, also inside a line break. write is not called for
// an empty listing.
void WriteListing(const THitSet& hits, const THitOrder& order, bool showIpm,
                  const std::function<void(std::string_view block)>& write,
                  std::size_t blockSize = std::size_t{1} << 20);

// About how many hits a listing by word sorts at a time: enough that a group's pass over the hit
// set is short beside its sorting, few enough that its records stay a small part of the store.
inline constexpr std::size_t kWordGroupSize = std::size_t{1} << 20;

// Writes the listing of hits by word, the text that WriteListing writes for an order of hits
// sorted by word, without ordering all of them first: they are sorted and written a group of
// about groupSize hits at a time, each group in memory the next reuses. Returns the number of
// lines written.
std::size_t WriteListingByWord(const THitSet& hits, bool showIpm,
                               const std::function<void(std::string_view block)>& write,
                               std::size_t blockSize = std::size_t{1} << 20,
                               std::size_t groupSize = kWordGroupSize);

// An upper bound of the bytes WriteListing or WriteListingByWord write for hits, from one pass
// over the hits' sizes: for a listing that is kept whole, to be taken in one piece.
std::size_t ListingSizeBound(const THitSet& hits, bool showIpm);

// The hits of a listing in its order, kept as their numbers over the word store and turned into
// records only when asked for. Made for the store as it is; the store must not change while the
// list is used.
class THitList
{
public:
    THitList() = default;
    // The hits of order's lines; takes order's numbers, leaving it empty.
    THitList(const THitSet& hits, THitOrder&& order);

    std::size_t size() const { return m_numbers.size(); }
    // One record per line, in order: the word, its ipm, its count and its row.
    std::vector<THitRecord> Records() const;

private:
    std::vector<std::size_t> m_rowStart;  // as in THitSet
    std::vector<std::uint32_t, TLargeAllocator<std::uint32_t>> m_numbers;
};

// Writes the listing of hits: by word, each word once, when alphabetical, else by falling ipm,
// the latest of equal values first; each word followed, with showIpm, by " = " and its ipm. With
// list, also gives the hits in the listing's order. Returns the number of lines.
std::size_t WriteHitListing(const THitSet& hits, bool alphabetical, bool showIpm,
                            const std::function<void(std::string_view block)>& write,
                            THitList* list = nullptr);
