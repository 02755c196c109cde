#pragma once
// The listing of a run's hits: its text written a block at a time, straight from the hit set or
// through an order, and the hits as records in the listing's order.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "search/hit_order.h"
#include "search/hit_set.h"
#include "wordstore/large_array.h"

// One listed hit as a record: the word (Windows-1251), its ipm, its count, the dictionary row it
// was found in and its place there, and a label a front end may give it for a column of its own.
struct THitRecord
{
    std::string Word;
    double Ipm = 0.0;
    std::int64_t Count = 0;
    std::size_t Row = 0;
    std::size_t Index = 0;
    std::string Label{};
};

// Writes the listing of an order: one line per hit, the word followed, with showIpm, by " = " and
// its IpmText; lines separated by CR LF. The text goes to write in pieces of about blockSize
// bytes, in order; a piece may end anywhere, also inside a line break. write is not called for
// an empty listing.
void WriteListing(const THitSet& hits, const THitOrder& order, bool showIpm,
                  const std::function<void(std::string_view block)>& write,
                  std::size_t blockSize = std::size_t{1} << 20);

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

// Writes records as a listing, in their order: the lines WriteListing writes for their words and
// ipms, handed to write in pieces of about blockSize bytes. write is not called for no records.
void WriteRecordListing(std::span<const THitRecord> records, bool showIpm,
                        const std::function<void(std::string_view block)>& write,
                        std::size_t blockSize = std::size_t{1} << 20);

// Writes the listing of hits: by word, each word once, when alphabetical, else by falling ipm,
// the latest of equal values first; each word followed, with showIpm, by " = " and its ipm. With
// list, also gives the hits in the listing's order. Returns the number of lines.
std::size_t WriteHitListing(const THitSet& hits, bool alphabetical, bool showIpm,
                            const std::function<void(std::string_view block)>& write,
                            THitList* list = nullptr);
