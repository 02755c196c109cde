// The listing of a run's hits: the block writer, the lines located a chunk ahead of their
// writing, the size bound, and the records of a listing.

#include "search/hit_listing.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

#include "search/copy_short.h"
#include "search/number_text.h"
#include "wordstore/word_store.h"

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kIpmSeparator = " = ";

// Writes the lines of a listing into blocks of a fixed size and hands each on when full.
class TListingWriter
{
public:
    TListingWriter(bool showIpm, const std::function<void(std::string_view block)>& write,
                   std::size_t blockSize)
        : m_showIpm(showIpm)
        , m_write(write)
        , m_blockSize(std::max(blockSize, kLineRoom + 1))
        // Left unwritten: a short listing touches, and so maps, only the pages it fills.
        , m_block(std::make_unique_for_overwrite<char[]>(m_blockSize))
    {}

    // Writes the next line: word, with its ipm when the listing shows it.
    void Line(std::string_view word, double ipm)
    {
        if (m_used + kLineRoom > m_blockSize) {
            m_write(std::string_view(m_block.get(), m_used));
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
            m_write(std::string_view(m_block.get(), m_used));
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
        while (m_used + text.size() > m_blockSize) {
            const std::size_t part = m_blockSize - m_used;
            std::memcpy(m_block.get() + m_used, text.data(), part);
            m_write(std::string_view(m_block.get(), m_blockSize));
            m_used = 0;
            text.remove_prefix(part);
        }
        CopyShort(m_block.get() + m_used, text.data(), text.size());
        m_used += text.size();
    }

    const bool m_showIpm;
    const std::function<void(std::string_view block)>& m_write;
    const std::size_t m_blockSize;
    const std::unique_ptr<char[]> m_block;
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

}  // namespace

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

void WriteRecordListing(std::span<const THitRecord> records, bool showIpm,
                        const std::function<void(std::string_view block)>& write,
                        std::size_t blockSize)
{
    TListingWriter writer(showIpm, write, blockSize);
    for (const THitRecord& record : records) {
        writer.Line(record.Word, record.Ipm);
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
                           DictCounts[word.Row][word.Index], word.Row, word.Index});
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
