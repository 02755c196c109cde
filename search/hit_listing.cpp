// The hits of a search run as a bit set over the word store, their order through compact keys,
// and their listing written a block at a time.

#include "search/hit_listing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "search/number_text.h"
#include "search/word_order.h"
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

// The hits of a listing by word in groups of whole buckets, a bucket holding the hits whose
// words begin with the same two bytes' places. Groups follow each other in the listing's order,
// so each is sorted and listed on its own, in memory that the next group reuses. A group's hits
// are copied out of the store in number order, where the reads are sequential, into records
// that its sort and its listing then read from one small buffer.
class TWordGroups
{
public:
    // A group holds about groupSize hits, at least one bucket.
    TWordGroups(const THitSet& hits, std::size_t groupSize);

    std::size_t Count() const { return m_groupBuckets.size() - 1; }

    // Orders the hits of group by word, each word once with its first hit.
    void Sort(std::size_t group);

    // After Sort(): the hits of the group, and hit i's number, ipm and word.
    std::size_t Size() const { return m_keys.size(); }
    std::uint32_t Number(std::size_t i) const { return Head(m_keys[i]).Number; }
    double Ipm(std::size_t i) const { return Head(m_keys[i]).Ipm; }
    std::string_view Word(std::size_t i) const { return KeyWord(m_keys[i]); }
    // Fetches hit i's record into the cache.
    void Prefetch(std::size_t i) const { __builtin_prefetch(m_records.get() + m_keys[i].Record); }

private:
    static constexpr int kBucketBits = 16;

    // A hit's record: this head, then the word's bytes.
    struct THead
    {
        std::uint32_t Number;
        std::uint32_t Size;
        double Ipm;
    };

    // A hit of the group: ListingPrefixKey of its word, in two halves, and its record's place.
    struct TKey
    {
        // Leaves the members unset, so that resizing the keys for a group writes nothing.
        TKey() {}
        TKey(std::uint32_t high, std::uint32_t low, std::uint64_t record)
            : High(high)
            , Low(low)
            , Record(record)
        {}

        std::uint32_t High;
        std::uint32_t Low;
        std::uint64_t Record;
    };

    THead Head(const TKey& key) const
    {
        THead head;
        std::memcpy(&head, m_records.get() + key.Record, sizeof head);
        return head;
    }
    std::string_view KeyWord(const TKey& key) const
    {
        return {m_records.get() + key.Record + sizeof(THead), Head(key).Size};
    }
    static std::size_t Bucket(std::string_view word)
    {
        // The bucket takes only the first two bytes' places.
        return static_cast<std::size_t>(ListingPrefixKey(word.substr(0, 2)) >> (64 - kBucketBits));
    }

    const THitSet& m_hits;
    std::vector<std::uint32_t> m_bucketStarts;  // of each bucket's hits among all, and the end
    std::vector<std::uint32_t> m_groupBuckets;  // the first bucket of each group, and the end
    // The hits' numbers by group, each group's rising, so that a group's pass reads the store in
    // its order; and the first of each group's, and the end.
    std::vector<std::uint32_t, TLargeAllocator<std::uint32_t>> m_numbers;
    std::vector<std::size_t> m_groupStarts;
    // The group being listed: its keys and records, in memory taken once for the largest group.
    std::vector<TKey, TLargeAllocator<TKey>> m_keys;
    TLargeBlock m_records;
    std::vector<TKey> m_scratch;
    std::vector<TKey> m_run;
};

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

// Writes the lines of a listing into blocks of a fixed size and hands each on when full.
class TListingWriter
{
public:
    TListingWriter(bool showIpm, const std::function<void(std::string_view block)>& write,
                   std::size_t blockSize)
        : m_showIpm(showIpm)
        , m_write(write)
        , m_block(std::max(blockSize, kLineRoom + 1), '\0')
    {}

    // Writes the next line: word, with its ipm when the listing shows it.
    void Line(std::string_view word, double ipm)
    {
        if (m_used + kLineRoom > m_block.size()) {
            m_write(std::string_view(m_block.data(), m_used));
            m_used = 0;
        }
        if (m_lines++ != 0) {
            Put(kLineBreak);
        }
        Put(word);
        if (m_showIpm) {
            Put(kIpmSeparator);
            Put(m_ipmTexts.Text(ipm));
        }
    }

    // Hands on the last block; returns the number of lines written.
    std::size_t Finish()
    {
        if (m_used != 0) {
            m_write(std::string_view(m_block.data(), m_used));
            m_used = 0;
        }
        return m_lines;
    }

private:
    // The longest line but its word; a block is handed on once it is within this of being full.
    static constexpr std::size_t kLineRoom =
        kLineBreak.size() + kIpmSeparator.size() + kMaxIpmTextSize;

    void Put(std::string_view text)
    {
        // A word too long for the block goes out in pieces.
        while (m_used + text.size() > m_block.size()) {
            const std::size_t part = m_block.size() - m_used;
            std::memcpy(m_block.data() + m_used, text.data(), part);
            m_write(m_block);
            m_used = 0;
            text.remove_prefix(part);
        }
        CopyShort(m_block.data() + m_used, text.data(), text.size());
        m_used += text.size();
    }

    const bool m_showIpm;
    const std::function<void(std::string_view block)>& m_write;
    std::string m_block;
    std::size_t m_used = 0;
    std::size_t m_lines = 0;
    TIpmTextCache m_ipmTexts;
};

// A line of a listing about to be written: its word's bytes and where its count is.
struct TListedWord
{
    std::string_view Word;
    const std::int32_t* Count;
    std::size_t Row;
};

// How many lines a listing locates at a time, ahead of those it writes.
constexpr std::size_t kLocatedLines = 64;

// Locates the lines [begin, end) of order into lines, and fetches their bytes and counts into
// the cache. The lines of a listing by word lie anywhere in the store: locating many in one loop
// of loads that do not wait for each other, a chunk ahead of writing them, overlaps their cache
// misses instead of taking them one after another.
void LocateLines(const THitSet& hits, const THitOrder& order, std::size_t begin, std::size_t end,
                 TListedWord* lines)
{
    // Three loops, so that the one that reads the words' places, where the misses are, is short
    // enough for many of its loads to be under way at once.
    std::array<TStoredWord, kLocatedLines> words;
    for (std::size_t i = begin; i < end; ++i) {
        words[i - begin] = hits.Word(order.Number(i));
    }
    for (std::size_t i = 0; i < end - begin; ++i) {
        const TStoredWord& word = words[i];
        const std::int32_t* const count = &DictCounts[word.Row][word.Index];
        __builtin_prefetch(count);
        lines[i] = {DictWords[word.Row][word.Index], count, word.Row};
    }
    for (std::size_t i = 0; i < end - begin; ++i) {
        __builtin_prefetch(lines[i].Word.data());
        __builtin_prefetch(lines[i].Word.data() + lines[i].Word.size());
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
    return StoredIpm(DictCounts[word.Row][word.Index], word.Row);
}

double StoredIpm(std::int32_t count, std::size_t row)
{
    return count / DictTotals[row];
}

std::string_view StoredBytes(const TStoredWord& word)
{
    return DictWords[word.Row][word.Index];
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

void WriteListing(const THitSet& hits, const THitOrder& order, bool showIpm,
                  const std::function<void(std::string_view block)>& write, std::size_t blockSize)
{
    TListingWriter writer(showIpm, write, blockSize);
    std::array<std::array<TListedWord, kLocatedLines>, 2> located;
    LocateLines(hits, order, 0, std::min(order.Count(), kLocatedLines), located[0].data());
    for (std::size_t chunk = 0; chunk < order.Count(); chunk += kLocatedLines) {
        const std::size_t chunkEnd = std::min(order.Count(), chunk + kLocatedLines);
        const std::size_t parity = chunk / kLocatedLines % 2;
        if (chunkEnd < order.Count()) {
            LocateLines(hits, order, chunkEnd, std::min(order.Count(), chunkEnd + kLocatedLines),
                        located[1 - parity].data());
        }
        for (std::size_t i = chunk; i < chunkEnd; ++i) {
            const TListedWord& line = located[parity][i - chunk];
            writer.Line(line.Word, StoredIpm(*line.Count, line.Row));
        }
    }
    writer.Finish();
}

std::size_t WriteListingByWord(const THitSet& hits, bool showIpm,
                               const std::function<void(std::string_view block)>& write,
                               std::size_t blockSize, std::size_t groupSize)
{
    TListingWriter writer(showIpm, write, blockSize);
    TWordGroups groups(hits, groupSize);
    // The records lie in the order of the store, the lines in that of the words: each record is
    // fetched a few lines ahead of being written.
    constexpr std::size_t kAhead = 40;
    for (std::size_t group = 0; group < groups.Count(); ++group) {
        groups.Sort(group);
        for (std::size_t i = 0; i < groups.Size(); ++i) {
            if (i + kAhead < groups.Size()) {
                groups.Prefetch(i + kAhead);
            }
            writer.Line(groups.Word(i), groups.Ipm(i));
        }
    }
    return writer.Finish();
}

std::size_t ListingSizeBound(const THitSet& hits, bool showIpm)
{
    constexpr std::size_t kIpmRoom = kIpmSeparator.size() + kMaxIpmTextSize;
    std::size_t bytes = 0;
    TRowCursor rows(hits);
    hits.ForEach([&](std::size_t number) {
        bytes += StoredBytes(rows.At(number)).size() + kLineBreak.size() + (showIpm ? kIpmRoom : 0);
    });
    return bytes;
}

THitList::THitList(const THitSet& hits, THitOrder&& order)
    : m_numbers(order.TakeNumbers())
{
    for (std::size_t row = 0; row <= hits.RowCount(); ++row) {
        m_rowStart.push_back(hits.RowStart(row));
    }
}

std::vector<THitRecord> THitList::Records() const
{
    std::vector<THitRecord> records;
    records.reserve(m_numbers.size());
    for (const std::uint32_t number : m_numbers) {
        // The last row that starts at or before number, as THitSet::Word finds it.
        const auto next = std::upper_bound(m_rowStart.begin(), m_rowStart.end(), number);
        const auto row = static_cast<std::size_t>(next - m_rowStart.begin()) - 1;
        const TStoredWord word{row, number - m_rowStart[row]};
        records.push_back({std::string(StoredBytes(word)), StoredIpm(word),
                           DictCounts[word.Row][word.Index], word.Row});
    }
    return records;
}

std::size_t WriteHitListing(const THitSet& hits, bool alphabetical, bool showIpm,
                            const std::function<void(std::string_view block)>& write,
                            THitList* list)
{
    if (alphabetical && list == nullptr) {
        // Sorted and written a group at a time, never ordered whole.
        return WriteListingByWord(hits, showIpm, write);
    }
    THitOrder order;
    order.Sort(hits, alphabetical);
    WriteListing(hits, order, showIpm, write);
    const std::size_t lines = order.Count();
    if (list != nullptr) {
        *list = THitList(hits, std::move(order));
    }
    return lines;
}
