// The order of a listing: the table of distinct values and the counting sort by value, and the
// word groups, their buckets and their radix sort by prefix key.

#include "search/hit_order.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "search/copy_short.h"

namespace {

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

TWordGroups::TWordGroups(const THitSet& hits, std::size_t groupSize)
    : m_hits(hits)
    , m_bucketStarts((std::size_t{1} << kBucketBits) + 1, 0)
{
    std::vector<std::uint64_t> bucketBytes(std::size_t{1} << kBucketBits, 0);
    {
        TRowCursor rows(hits);
        hits.ForEach([&](std::size_t number) {
            const std::string_view word = StoredBytes(rows.At(number));
            const std::size_t bucket = Bucket(word);
            ++m_bucketStarts[bucket + 1];
            bucketBytes[bucket] += sizeof(THead) + word.size();
        });
    }
    std::vector<std::uint32_t> groupOf(bucketBytes.size());
    std::size_t maxHits = 0;
    std::uint64_t maxBytes = 0;
    std::size_t groupHits = 0;
    std::uint64_t groupBytes = 0;
    m_groupBuckets.push_back(0);
    m_groupStarts.push_back(0);
    for (std::size_t bucket = 0; bucket < bucketBytes.size(); ++bucket) {
        const std::uint32_t size = m_bucketStarts[bucket + 1];
        if (groupHits != 0 && groupHits + size > groupSize) {
            m_groupBuckets.push_back(static_cast<std::uint32_t>(bucket));
            m_groupStarts.push_back(m_groupStarts.back() + groupHits);
            groupHits = 0;
            groupBytes = 0;
        }
        groupOf[bucket] = static_cast<std::uint32_t>(m_groupBuckets.size() - 1);
        groupHits += size;
        groupBytes += bucketBytes[bucket];
        maxHits = std::max(maxHits, groupHits);
        maxBytes = std::max(maxBytes, groupBytes);
        m_bucketStarts[bucket + 1] += m_bucketStarts[bucket];
    }
    m_groupBuckets.push_back(static_cast<std::uint32_t>(bucketBytes.size()));
    m_groupStarts.push_back(m_groupStarts.back() + groupHits);

    m_numbers.resize(m_groupStarts.back());
    std::vector<std::size_t> next(m_groupStarts.begin(), m_groupStarts.end() - 1);
    TRowCursor rows(hits);
    hits.ForEach([&](std::size_t number) {
        const std::size_t group = groupOf[Bucket(StoredBytes(rows.At(number)))];
        m_numbers[next[group]++] = static_cast<std::uint32_t>(number);
    });
    m_keys.reserve(maxHits);
    m_records = MakeLargeBlock(maxBytes);
}

// The group's hits are placed by bucket, each bucket is radix-sorted on the rest of the prefix
// keys, and only hits with equal keys are compared as words. Equal words then stand together,
// the first hit first, and all but the first are dropped.
void TWordGroups::Sort(std::size_t group)
{
    const std::size_t firstBucket = m_groupBuckets[group];
    const std::size_t endBucket = m_groupBuckets[group + 1];
    const std::uint32_t base = m_bucketStarts[firstBucket];
    std::vector<std::uint32_t> next(
        m_bucketStarts.begin() + static_cast<std::ptrdiff_t>(firstBucket),
        m_bucketStarts.begin() + static_cast<std::ptrdiff_t>(endBucket));
    m_keys.resize(m_bucketStarts[endBucket] - base);
    std::uint64_t recordEnd = 0;
    TRowCursor rows(m_hits);
    for (std::size_t i = m_groupStarts[group]; i < m_groupStarts[group + 1]; ++i) {
        const std::uint32_t number = m_numbers[i];
        const TStoredWord stored = rows.At(number);
        const std::string_view word = StoredBytes(stored);
        const THead head{number, static_cast<std::uint32_t>(word.size()), StoredIpm(stored)};
        std::memcpy(m_records.get() + recordEnd, &head, sizeof head);
        CopyShort(m_records.get() + recordEnd + sizeof head, word.data(), word.size());
        const std::uint64_t key = ListingPrefixKey(word);
        m_keys[next[(key >> (64 - kBucketBits)) - firstBucket]++ - base] =
            TKey(static_cast<std::uint32_t>(key >> 32), static_cast<std::uint32_t>(key), recordEnd);
        recordEnd += sizeof head + word.size();
    }

    const auto sameKey = [](const TKey& a, const TKey& b) {
        return a.High == b.High && a.Low == b.Low;
    };
    std::size_t kept = 0;
    for (std::size_t bucket = firstBucket; bucket < endBucket; ++bucket) {
        TKey* const first = m_keys.data() + (m_bucketStarts[bucket] - base);
        TKey* const last = m_keys.data() + (m_bucketStarts[bucket + 1] - base);
        SortByKeyBelowBucket(first, last, m_scratch);
        // Equal keys stand together in number order. Only they can hold equal words, and only
        // they need the words themselves: a run of them is ordered by its whole words, keeping
        // that order among equal words.
        for (TKey* run = first; run != last;) {
            TKey* runEnd = run + 1;
            while (runEnd != last && sameKey(*runEnd, *run)) {
                ++runEnd;
            }
            if (runEnd - run == 1) {
                m_keys[kept++] = *run;
            } else {
                m_run.assign(run, runEnd);
                std::stable_sort(m_run.begin(), m_run.end(), [this](const TKey& a, const TKey& b) {
                    return ListedBefore(KeyWord(a), KeyWord(b));
                });
                for (std::size_t k = 0; k < m_run.size(); ++k) {
                    if (k == 0 || KeyWord(m_run[k]) != KeyWord(m_run[k - 1])) {
                        m_keys[kept++] = m_run[k];
                    }
                }
            }
            run = runEnd;
        }
    }
    m_keys.resize(kept);
}

void THitOrder::Sort(const THitSet& hits, bool alphabetical)
{
    m_numbers.clear();
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

void THitOrder::SortByWord(const THitSet& hits)
{
    TWordGroups groups(hits, kWordGroupSize);
    m_numbers.reserve(hits.Count());
    for (std::size_t group = 0; group < groups.Count(); ++group) {
        groups.Sort(group);
        for (std::size_t i = 0; i < groups.Size(); ++i) {
            m_numbers.push_back(groups.Number(i));
        }
    }
}
