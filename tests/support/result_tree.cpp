// The reference result tree: collects the hits of one run as they are inserted, sorts them once,
// and writes the listing; the tests hold the product's listings against it.

#include "tests/support/result_tree.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "search/number_text.h"
#include "search/word_order.h"
#include "wordstore/large_array.h"

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kIpmSeparator = " = ";

// Fresh memory costs a page fault per page, which for a big listing is more than the sorting, so
// a run leaves its storage to the next one, up to about this many hits' worth.
constexpr std::size_t kKeptHits = std::size_t{1} << 19;

// Copies of the inserted words. A chunk never moves or grows, so the views handed out stay valid
// until the arena is cleared.
class TWordArena
{
public:
    std::string_view Store(std::string_view word)
    {
        if (word.size() > m_left) {
            TakeChunk(word.size());
        }
        std::memcpy(m_free, word.data(), word.size());
        const std::string_view stored(m_free, word.size());
        m_free += word.size();
        m_left -= word.size();
        return stored;
    }

    // Forgets every word; the usual chunks stay for the next words, up to kKeptChunks of them.
    void Clear()
    {
        m_chunks.resize(std::min(m_chunks.size(), kKeptChunks));
        m_largeChunks.clear();
        m_used = 0;
        m_free = nullptr;
        m_left = 0;
    }

private:
    static constexpr std::size_t kChunkSize = 64 * 1024;
    static constexpr std::size_t kKeptChunks = kKeptHits * 16 / kChunkSize;

    void TakeChunk(std::size_t size)
    {
        std::unique_ptr<char[]>* chunk = nullptr;
        if (size > kChunkSize) {
            // A word longer than a chunk gets one of its own, used up by that word.
            chunk = &m_largeChunks.emplace_back(std::make_unique_for_overwrite<char[]>(size));
        } else {
            if (m_used == m_chunks.size()) {
                m_chunks.push_back(std::make_unique_for_overwrite<char[]>(kChunkSize));
            }
            chunk = &m_chunks[m_used++];
            size = kChunkSize;
        }
        m_free = chunk->get();
        m_left = size;
    }

    std::vector<std::unique_ptr<char[]>> m_chunks;  // each kChunkSize bytes; m_used are in use
    std::vector<std::unique_ptr<char[]>> m_largeChunks;
    std::size_t m_used = 0;
    char* m_free = nullptr;
    std::size_t m_left = 0;
};

struct THit
{
    std::string_view Word;
    double Value;
    // By word: ListingPrefixKey; unequal keys order the words as ListedBefore does, so most
    // comparisons never leave the array being sorted. By value: the insertion number.
    std::uint64_t Key;
};

// Hits and word slots run to megabytes: their storage comes in huge pages where the kernel has
// them, so that the first listing of a process does not pay a page fault per 4 KiB.
using THits = std::vector<THit, TLargeAllocator<THit>>;

enum class TOrder { None, ByWord, ByValue };

// A slot of the set of inserted words: a position in Hits plus one (0: a free slot), and the upper
// half of the word's hash, which turns away nearly every other word without reading it.
struct TWordSlot
{
    std::uint32_t Hit;
    std::uint32_t Tag;
};

using TWordSlots = std::vector<TWordSlot, TLargeAllocator<TWordSlot>>;

// The one result tree of the process. The hits are kept in insertion order and sorted when the
// listing is asked for; the sentinel root of the tree's design lists nothing and needs no hit.
struct TResultTree
{
    bool Open = false;  // between ResetResultTree and the listing
    TOrder Order = TOrder::None;
    TWordArena Words;
    THits Hits;
    // By word only: the words inserted so far, as an open-addressing hash set. One array, where
    // a node per word would cost an allocation per word.
    TWordSlots WordSlots;

    // Forgets every hit and closes the tree; storage stays for the next run up to kKeptHits.
    void Clear()
    {
        Open = false;
        Order = TOrder::None;
        Words.Clear();
        Hits.clear();
        if (Hits.capacity() > kKeptHits) {
            Hits = THits();
        }
        WordSlots.clear();
        if (WordSlots.capacity() > 4 * kKeptHits) {
            WordSlots = TWordSlots();
        }
    }
};

TResultTree ResultTree;

// FNV-1a, inline where std::hash would be a call per word, then mixed so that the low bits that
// pick the slot depend on every byte.
std::uint64_t WordHash(std::string_view word)
{
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (const char c : word) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
    }
    hash ^= hash >> 32;
    hash *= 0xD6E8FEB86659FD93u;
    return hash ^ (hash >> 32);
}

std::uint32_t WordTag(std::uint64_t hash)
{
    return static_cast<std::uint32_t>(hash >> 32);
}

// Returns the slot that holds word, or the free slot where it belongs.
TWordSlot& WordSlot(std::string_view word, std::uint64_t hash)
{
    TWordSlots& slots = ResultTree.WordSlots;
    const std::size_t mask = slots.size() - 1;  // the size is a power of two
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const TWordSlot& slot = slots[i];
        if (slot.Hit == 0 ||
            (slot.Tag == WordTag(hash) && ResultTree.Hits[slot.Hit - 1].Word == word)) {
            return slots[i];
        }
    }
}

// Keeps at least half of the slots free, so that probes stay short.
void GrowWordSlotsIfFull()
{
    constexpr std::size_t kFirstSize = 1024;
    TWordSlots& slots = ResultTree.WordSlots;
    if (2 * (ResultTree.Hits.size() + 1) <= slots.size()) {
        return;
    }
    slots.assign(std::max(kFirstSize, 2 * slots.size()), TWordSlot{0, 0});
    for (std::size_t i = 0; i < ResultTree.Hits.size(); ++i) {
        const std::uint64_t hash = WordHash(ResultTree.Hits[i].Word);
        WordSlot(ResultTree.Hits[i].Word, hash) = {static_cast<std::uint32_t>(i + 1),
                                                   WordTag(hash)};
    }
}

void BeginInsertion(TOrder order)
{
    assert(ResultTree.Open && "ResetResultTree must run before an insertion");
    assert((ResultTree.Order == TOrder::None || ResultTree.Order == order) &&
           "one run inserts in one order only");
    ResultTree.Order = order;
}

// The tree sends a value v left of a node unless the node's value is greater, so among equal
// values the later insertion is listed first, and 0.0 and -0.0 count as equal. A NaN would
// defeat the tree's comparisons (and the sort's); here it is taken as greater than every number,
// so NaN hits are listed first, the latest first.
void SortByValue(THits& hits)
{
    const auto latestFirst = [](const THit& a, const THit& b) { return a.Key > b.Key; };
    const auto numbers = std::partition(hits.begin(), hits.end(),
                                        [](const THit& hit) { return std::isnan(hit.Value); });
    std::sort(hits.begin(), numbers, latestFirst);
    std::sort(numbers, hits.end(), [&](const THit& a, const THit& b) {
        return a.Value != b.Value ? a.Value > b.Value : latestFirst(a, b);
    });
}

void SortByWord(THits& hits)
{
    std::sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) {
        if (a.Key != b.Key) {
            return a.Key < b.Key;
        }
        return ListedBefore(a.Word, b.Word);
    });
}

void List(std::string& output, bool withIpm)
{
    assert(ResultTree.Open && "ResetResultTree must run before each listing");
    // The listing empties the tree, even when it fails half-way.
    struct TClearAtEnd
    {
        ~TClearAtEnd() { ResultTree.Clear(); }
    } clearAtEnd;
    THits& hits = ResultTree.Hits;

    output.clear();
    if (hits.empty()) {
        return;
    }
    if (ResultTree.Order == TOrder::ByWord) {
        SortByWord(hits);
    } else {
        SortByValue(hits);
    }

    std::size_t size = (hits.size() - 1) * kLineBreak.size();
    for (const THit& hit : hits) {
        size += hit.Word.size();
    }
    if (withIpm) {
        size += hits.size() * (kIpmSeparator.size() + kMaxIpmTextSize);
    }
    output.resize(size);

    char* out = output.data();
    TIpmTextCache ipmTexts;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        if (i != 0) {
            out = std::copy(kLineBreak.begin(), kLineBreak.end(), out);
        }
        out = std::copy(hits[i].Word.begin(), hits[i].Word.end(), out);
        if (withIpm) {
            out = std::copy(kIpmSeparator.begin(), kIpmSeparator.end(), out);
            const std::string_view ipm = ipmTexts.Text(hits[i].Value);
            out = std::copy(ipm.begin(), ipm.end(), out);
        }
    }
    output.resize(static_cast<std::size_t>(out - output.data()));
}

}  // namespace

void ResetResultTree()
{
    ResultTree.Clear();
    ResultTree.Open = true;
}

bool InsertByWord(std::string_view word, double value)
{
    BeginInsertion(TOrder::ByWord);
    // The empty word equals the sentinel root's word, so it is refused like any repeat.
    if (word.empty()) {
        return false;
    }
    GrowWordSlotsIfFull();
    const std::uint64_t hash = WordHash(word);
    TWordSlot& slot = WordSlot(word, hash);
    if (slot.Hit != 0) {
        return false;
    }
    const std::string_view stored = ResultTree.Words.Store(word);
    ResultTree.Hits.push_back({stored, value, ListingPrefixKey(stored)});
    slot = {static_cast<std::uint32_t>(ResultTree.Hits.size()), WordTag(hash)};
    return true;
}

void InsertByValue(std::string_view word, double value)
{
    BeginInsertion(TOrder::ByValue);
    // An empty word would take a place in the order but write no line, and leaving it out
    // moves no other hit.
    if (word.empty()) {
        return;
    }
    const std::uint64_t number = ResultTree.Hits.size();
    ResultTree.Hits.push_back({ResultTree.Words.Store(word), value, number});
}

void ListWords(std::string& output)
{
    List(output, false);
}

void ListWordsWithIpm(std::string& output)
{
    List(output, true);
}
