#pragma once
// The order of a listing: by value through a table of the distinct values and a counting sort, by
// word through buckets of compact prefix keys, each sorted by radix a group at a time.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "search/hit_set.h"
#include "search/word_order.h"
#include "wordstore/large_array.h"

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

// About how many hits a listing by word sorts at a time: enough that a group's pass over the hit
// set is short beside its sorting, few enough that its records stay a small part of the store.
inline constexpr std::size_t kWordGroupSize = std::size_t{1} << 20;

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
