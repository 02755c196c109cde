// The hits of a search run as a bit set over the word store, their order through compact keys,
// and their listing written a block at a time.

#include "search/hit_listing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "search/number_text.h"
#include "search/result_tree.h"
#include "wordstore/word_store.h"

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kIpmSeparator = " = ";

// Walks the rows along with rising numbers, so that a walk over the set finds each hit's row
// without a search.
class TRowCursor
{
public:
    explicit TRowCursor(const THitSet& hits)
        : m_hits(hits)
    {}

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

// The distinct values of a listing by value, each with how many hits have it, as an
// open-addressing hash table over the values' bits. Frequency lists hold few distinct values
// (a count is a small number for most words), so the table stays in the cache while ten
// million hits are counted into it.
class TValueTable
{
public:
    // Past this many distinct values the table gives up, and the hits are sorted instead.
    static constexpr std::size_t kMaxDistinct = std::size_t{1} << 20;

    struct TSlot
    {
        std::uint64_t Bits = 0;
        std::uint32_t Hits = 0;  // 0 while the slot is free
        std::uint32_t Rank = 0;  // the value's place among the distinct values, highest first
    };

    // The slot of value, taken when free. Returns null when the table is full.
    TSlot* Find(double value)
    {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        for (std::size_t i = Hash(bits);; i = (i + 1) & (m_slots.size() - 1)) {
            TSlot& slot = m_slots[i];
            if (slot.Hits != 0 && slot.Bits == bits) {
                return &slot;
            }
            if (slot.Hits == 0) {
                if (2 * (m_used + 1) > m_slots.size()) {
                    if (m_slots.size() >= 2 * kMaxDistinct) {
                        return nullptr;
                    }
                    Grow();
                    return Find(value);
                }
                ++m_used;
                slot.Bits = bits;
                return &slot;
            }
        }
    }

    std::vector<TSlot>& Slots() { return m_slots; }

private:
    std::size_t Hash(std::uint64_t bits) const
    {
        // Fibonacci hashing: the high bits of the product depend on every bit of the value.
        return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15u) >>
                                        (64 - std::countr_zero(m_slots.size())));
    }

    void Grow()
    {
        std::vector<TSlot> old(2 * m_slots.size());
        old.swap(m_slots);
        for (const TSlot& slot : old) {
            if (slot.Hits != 0) {
                std::size_t i = Hash(slot.Bits);
                while (m_slots[i].Hits != 0) {
                    i = (i + 1) & (m_slots.size() - 1);
                }
                m_slots[i] = slot;
            }
        }
    }

    std::vector<TSlot> m_slots = std::vector<TSlot>(1024);
    std::size_t m_used = 0;
};

// Sorts the keys of one bucket, whose top 16 bits are all equal, by the rest of their bits: a
// least-significant-digit radix sort, a byte at a time, which keeps the order of equal keys.
// Bytes that all keys share take no pass.
template <typename TKey>
void SortByKeyBelowBucket(TKey* first, TKey* last, std::vector<TKey>& scratch)
{
    const auto size = static_cast<std::size_t>(last - first);
    if (size < 2) {
        return;
    }
    const auto keyOf = [](const TKey& entry) {
        return (std::uint64_t{entry.High} << 32) | entry.Low;
    };
    constexpr int kBytes = 6;
    std::array<std::array<std::uint32_t, 256>, kBytes> counts{};
    for (const TKey* entry = first; entry != last; ++entry) {
        const std::uint64_t key = keyOf(*entry);
        for (int b = 0; b < kBytes; ++b) {
            ++counts[b][(key >> (8 * b)) & 0xFF];
        }
    }
    scratch.resize(std::max(scratch.size(), size));
    TKey* from = first;
    TKey* to = scratch.data();
    for (int b = 0; b < kBytes; ++b) {
        std::array<std::uint32_t, 256>& places = counts[b];
        if (places[(keyOf(*first) >> (8 * b)) & 0xFF] == size) {
            continue;
        }
        std::uint32_t next = 0;
        for (std::uint32_t& place : places) {
            next += std::exchange(place, next);
        }
        for (std::size_t i = 0; i < size; ++i) {
            to[places[(keyOf(from[i]) >> (8 * b)) & 0xFF]++] = from[i];
        }
        std::swap(from, to);
    }
    if (from != first) {
        std::copy(from, from + size, first);
    }
}

// The value a hit is ordered by: 0.0 and -0.0 are equal, and one of them must stand for both in
// the table. The values are quotients of a count by a nonzero total, never NaN.
double ValueKey(const TStoredWord& word)
{
    return StoredIpm(word) + 0.0;
}

}  // namespace

THitSet::THitSet()
{
    m_rowStart.reserve(DictWords.size() + 1);
    m_rowStart.push_back(0);
    for (const TWordList& words : DictWords) {
        m_rowStart.push_back(m_rowStart.back() + words.size());
    }
    m_bits.assign((Size() + 63) / 64, 0);
}

TStoredWord THitSet::Word(std::size_t number) const
{
    // The last row that starts at or before number; rows without words start where the next does.
    const auto next = std::upper_bound(m_rowStart.begin(), m_rowStart.end(), number);
    const auto row = static_cast<std::size_t>(next - m_rowStart.begin()) - 1;
    return {row, number - m_rowStart[row]};
}

std::size_t THitSet::Count() const
{
    std::size_t count = 0;
    for (const std::uint64_t bits : m_bits) {
        count += static_cast<std::size_t>(std::popcount(bits));
    }
    return count;
}

double StoredIpm(const TStoredWord& word)
{
    return DictCounts[word.Row][word.Index] / DictTotals[word.Row];
}

std::string_view StoredBytes(const TStoredWord& word)
{
    return DictWords[word.Row][word.Index];
}

void THitOrder::Sort(const THitSet& hits, bool alphabetical)
{
    m_alphabetical = alphabetical;
    m_numbers.clear();
    m_keys.clear();
    if (alphabetical) {
        SortByWord(hits);
    } else {
        SortByValue(hits);
    }
}

// A counting sort over the distinct values: each hit goes straight to its place, and the only
// comparisons are those that sort the few distinct values. Hits come in rising number order and
// fill each value's places from the back, so the latest of equal values comes first.
void THitOrder::SortByValue(const THitSet& hits)
{
    m_numbers.resize(hits.Count());
    TValueTable table;
    bool counted = true;
    {
        TRowCursor rows(hits);
        hits.ForEach([&](std::size_t number) {
            if (!counted) {
                return;
            }
            TValueTable::TSlot* const slot = table.Find(ValueKey(rows.At(number)));
            if (slot == nullptr) {
                counted = false;
            } else {
                ++slot->Hits;
            }
        });
    }
    if (!counted) {
        // Too many distinct values for the table: sort the hits themselves.
        struct THit
        {
            double Value;
            std::uint32_t Number;
        };
        std::vector<THit, TLargeAllocator<THit>> sorted;
        sorted.reserve(m_numbers.size());
        TRowCursor rows(hits);
        hits.ForEach([&](std::size_t number) {
            sorted.push_back({ValueKey(rows.At(number)), static_cast<std::uint32_t>(number)});
        });
        std::sort(sorted.begin(), sorted.end(), [](const THit& a, const THit& b) {
            return a.Value != b.Value ? a.Value > b.Value : a.Number > b.Number;
        });
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            m_numbers[i] = sorted[i].Number;
        }
        return;
    }

    std::vector<TValueTable::TSlot*> distinct;
    for (TValueTable::TSlot& slot : table.Slots()) {
        if (slot.Hits != 0) {
            distinct.push_back(&slot);
        }
    }
    std::sort(distinct.begin(), distinct.end(), [](const auto* a, const auto* b) {
        return std::bit_cast<double>(a->Bits) > std::bit_cast<double>(b->Bits);
    });
    // ends[rank]: one past the last place left for the hits of that value.
    std::vector<std::uint32_t> ends(distinct.size());
    std::uint32_t end = 0;
    for (std::size_t rank = 0; rank < distinct.size(); ++rank) {
        distinct[rank]->Rank = static_cast<std::uint32_t>(rank);
        end += distinct[rank]->Hits;
        ends[rank] = end;
    }
    TRowCursor rows(hits);
    hits.ForEach([&](std::size_t number) {
        const TValueTable::TSlot* const slot = table.Find(ValueKey(rows.At(number)));
        m_numbers[--ends[slot->Rank]] = static_cast<std::uint32_t>(number);
    });
}

// The hits are spread over buckets by the first two bytes' places, which leaves buckets small
// enough to sort in the cache, by a radix sort on the rest of the prefix keys; only hits with
// equal keys are compared as words. Equal words then stand together, the first hit first, and
// all but the first are dropped.
void THitOrder::SortByWord(const THitSet& hits)
{
    constexpr int kBucketBits = 16;
    std::vector<std::uint32_t> starts((std::size_t{1} << kBucketBits) + 1, 0);
    {
        TRowCursor rows(hits);
        hits.ForEach([&](std::size_t number) {
            const std::uint64_t key = ListingPrefixKey(StoredBytes(rows.At(number)));
            ++starts[(key >> (64 - kBucketBits)) + 1];
        });
    }
    for (std::size_t i = 1; i < starts.size(); ++i) {
        starts[i] += starts[i - 1];
    }
    m_keys.resize(starts.back());
    {
        std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
        TRowCursor rows(hits);
        hits.ForEach([&](std::size_t number) {
            const std::uint64_t key = ListingPrefixKey(StoredBytes(rows.At(number)));
            m_keys[next[key >> (64 - kBucketBits)]++] = {static_cast<std::uint32_t>(key >> 32),
                                                         static_cast<std::uint32_t>(key),
                                                         static_cast<std::uint32_t>(number)};
        });
    }

    const auto bytes = [&hits](const TWordKey& entry) {
        return StoredBytes(hits.Word(entry.Number));
    };
    const auto sameKey = [](const TWordKey& a, const TWordKey& b) {
        return a.High == b.High && a.Low == b.Low;
    };
    std::vector<TWordKey> scratch;
    std::size_t kept = 0;
    for (std::size_t bucket = 0; bucket + 1 < starts.size(); ++bucket) {
        const auto first = m_keys.begin() + starts[bucket];
        const auto last = m_keys.begin() + starts[bucket + 1];
        SortByKeyBelowBucket(&*first, &*first + (last - first), scratch);
        // Equal keys stand together in number order; a run of them is ordered by the whole
        // words, keeping that order among equal words.
        for (auto run = first; run != last;) {
            auto runEnd = run + 1;
            while (runEnd != last && sameKey(*runEnd, *run)) {
                ++runEnd;
            }
            if (runEnd - run > 1) {
                std::stable_sort(run, runEnd, [&](const TWordKey& a, const TWordKey& b) {
                    return ListedBefore(bytes(a), bytes(b));
                });
            }
            run = runEnd;
        }
        for (auto entry = first; entry != last; ++entry) {
            if (entry != first && sameKey(*entry, m_keys[kept - 1]) &&
                bytes(*entry) == bytes(m_keys[kept - 1])) {
                continue;
            }
            m_keys[kept++] = *entry;
        }
    }
    m_keys.resize(kept);
}

void WriteListing(const THitSet& hits, const THitOrder& order, bool showIpm,
                  const std::function<void(std::string_view block)>& write, std::size_t blockSize)
{
    if (order.Count() == 0) {
        return;
    }
    // The longest line but its word; a block is handed on once it is within this of being full.
    constexpr std::size_t kLineRoom = kLineBreak.size() + kIpmSeparator.size() + kMaxIpmTextSize;
    blockSize = std::max(blockSize, kLineRoom + 1);
    std::string block(blockSize, '\0');
    std::size_t used = 0;
    TIpmTextCache ipmTexts;
    const auto put = [&](std::string_view text) {
        // A word too long for the block goes out in pieces.
        while (used + text.size() > block.size()) {
            const std::size_t part = block.size() - used;
            std::memcpy(block.data() + used, text.data(), part);
            write(block);
            used = 0;
            text.remove_prefix(part);
        }
        std::memcpy(block.data() + used, text.data(), text.size());
        used += text.size();
    };
    for (std::size_t i = 0; i < order.Count(); ++i) {
        if (used + kLineRoom > block.size()) {
            write(std::string_view(block.data(), used));
            used = 0;
        }
        const TStoredWord word = hits.Word(order.Number(i));
        if (i != 0) {
            put(kLineBreak);
        }
        put(StoredBytes(word));
        if (showIpm) {
            put(kIpmSeparator);
            put(ipmTexts.Text(StoredIpm(word)));
        }
    }
    if (used != 0) {
        write(std::string_view(block.data(), used));
    }
}
