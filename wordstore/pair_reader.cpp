// Reading a dictionary pair: words from the word list, counts and their total from the count file.

#include "wordstore/pair_reader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "wordstore/encoding.h"
#include "wordstore/file_io.h"
#include "wordstore/line_scan.h"

namespace {

// The piece of a file read at a time when only its size or its words are counted.
constexpr std::size_t kCountChunk = 64 * 1024;

std::int32_t LittleEndianInt32(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
        static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

// The sum, in file order, of each count divided by 1 000 000.
double Total(const TCountArray& counts)
{
    double total = 0.0;
    for (const std::int32_t count : counts) {
        total += count / 1000000.0;
    }
    return total;
}

}  // namespace

void RefuseLargeWordList(const std::string& path, std::uint64_t bytes)
{
    // The words' offsets are 32 bits wide.
    if (bytes >= std::numeric_limits<std::uint32_t>::max()) {
        throw EFileError("Cannot read file " + QuotedPath(path) + ". File too large");
    }
}

bool CountFileMayFit(std::uint64_t countFileBytes, std::uint64_t wordListBytes)
{
    return countFileBytes / 4 <= wordListBytes;
}

TKeptWords ReadPassing(const TRegularFile& file, const TTailFilter& tail, std::size_t& fileBytes,
                       std::size_t piece)
{
    std::vector<char> buffer(std::min(file.Size, piece) + 1);
    TPassingWords passing(tail);
    fileBytes = 0;
    std::size_t held = 0;
    for (bool last = false; !last;) {
        if (held == buffer.size()) {
            buffer.resize(2 * buffer.size());  // a line longer than the memory
        }
        // As ReadWholeFile, up to the size the file had when it was opened.
        const std::size_t got = ReadUpTo(file, buffer.data() + held,
                                         std::min(buffer.size() - held, file.Size - fileBytes));
        fileBytes += got;
        held += got;
        last = got == 0 || fileBytes == file.Size;
        const std::size_t end = last ? held : PieceEnd(buffer.data(), held);
        if (end > 0 || last) {
            last = !passing.Add(buffer.data(), end) || last;
            std::memmove(buffer.data(), buffer.data() + end, held - end);
            held -= end;
        }
    }
    return passing.Take();
}

TWordListFile ReadWordListFile(const std::string& path, bool mapped, const TTailFilter& kept,
                               const TPlacesWanted& places)
{
    const TRegularFile opened = OpenRegularFile(path);
    RefuseLargeWordList(path, opened.Size);
    TWordListFile result;
    std::size_t end = 0;
    std::optional<TKeptWords> words;
    TFileBytes file;
    if (kept.MinSize > 0) {
        words = ReadPassing(opened, kept, result.FileBytes);
    } else {
        file = mapped ? MapWholeFile(opened) : ReadWholeFile(opened);
        result.FileBytes = file.Size;
    }
    try {
        if (places && !words) {
            const std::optional<TKeptPlaces> wanted =
                places(TWordFinder(file.Bytes.get(), file.Size));
            if (wanted && !wanted->Starts.empty()) {
                words = SplitAtPlaces(file.Bytes.get(), file.Size, *wanted);
            }
        }
        if (words) {
            result.Words = std::move(words->Words);
            result.WordCount = words->AllWords;
            result.Places = std::move(words->Places);
            end = words->End;
        } else {
            result.Words = TWordList::Split(std::move(file.Bytes), file.Size, end);
            result.WordCount = result.Words.size();
        }
    } catch (const std::length_error&) {
        throw EFileError("Cannot read file " + QuotedPath(path) + ". File too large");
    }
    if (end < result.FileBytes) {
        result.NulOffset = end;
    }
    return result;
}

std::size_t CountWordListWords(const std::string& path)
{
    // Read a piece at a time into the same memory, which stays in the cache: no fresh pages.
    const TRegularFile file = OpenRegularFile(path);
    RefuseLargeWordList(path, file.Size);
    std::vector<char> chunk(std::min<std::size_t>(file.Size + 1, kCountChunk));
    TWordCounter counter;
    // As ReadWholeFile, up to the size the file had when it was opened.
    std::size_t bytes = 0;
    for (std::size_t got = 1; got != 0 && bytes < file.Size; bytes += got) {
        got = ReadUpTo(file, chunk.data(), std::min(chunk.size(), file.Size - bytes));
        counter.Add(chunk.data(), got);
    }
    return counter.Words();
}

std::size_t CountFileBytes(const std::string& path)
{
    const TRegularFile file = OpenRegularFile(path);
    std::vector<char> chunk(std::min<std::size_t>(file.Size + 1, kCountChunk));
    std::size_t bytes = 0;
    for (std::size_t got = 1; got != 0; bytes += got) {
        got = ReadUpTo(file, chunk.data(), chunk.size());
    }
    return bytes;
}

TCountFile ReadCounts(const std::string& path)
{
    const TRegularFile file = OpenRegularFile(path);
    TCountFile result;
    TIntArray counts;
    // The counts the file's size promises are read straight into place; bytes past them are
    // spare, or come from a file that grew while it was read.
    try {
        counts.resize(file.Size / 4);
    } catch (const std::bad_alloc&) {
        throw EFileError(OutOfMemoryText(path));
    }
    const std::size_t promised = 4 * counts.size();
    const std::size_t got = ReadUpTo(file, reinterpret_cast<char*>(counts.data()), promised);
    std::string more;
    if (got == promised) {
        char rest[4096];
        for (std::size_t size = 1; size != 0; more.append(rest, size)) {
            size = ReadUpTo(file, rest, sizeof rest);
        }
    }
    result.FileBytes = got + more.size();
    counts.resize(got / 4);
    if constexpr (std::endian::native != std::endian::little) {
        for (std::int32_t& count : counts) {
            count = LittleEndianInt32(reinterpret_cast<const char*>(&count));
        }
    }
    for (std::size_t k = 0; k + 4 <= more.size(); k += 4) {
        counts.push_back(LittleEndianInt32(more.data() + k));
    }
    result.Counts = TCountArray(std::move(counts));
    result.Total = Total(result.Counts);
    return result;
}

void FitCounts(TCountFile& counts, std::size_t wordCount)
{
    counts.Fits =
        static_cast<std::uint64_t>(counts.FileBytes) / 4 == static_cast<std::uint64_t>(wordCount);
    if (!counts.Fits) {
        counts.Counts = TCountArray();
        counts.Total = 0.0;
    }
}

void KeepCounts(TCountFile& counts, const std::vector<std::uint32_t>& places)
{
    TIntArray kept(places.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        kept[i] = counts.Counts[places[i]];
    }
    counts.Counts = TCountArray(std::move(kept));
}

TCountFile ReadCountFile(const std::string& path, std::size_t wordCount)
{
    TCountFile counts = ReadCounts(path);
    FitCounts(counts, wordCount);
    return counts;
}
