// Reading a dictionary pair: words from the word list, counts and their total from the count file.

#include "wordstore/pair_reader.h"

#include <bit>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>

#include "wordstore/encoding.h"
#include "wordstore/file_io.h"

namespace {

std::int32_t LittleEndianInt32(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
        static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

}  // namespace

TWordListFile ReadWordListFile(const std::string& path)
{
    TFileBytes file = ReadWholeFile(path);
    TWordListFile result;
    result.FileBytes = file.Size;
    std::size_t end = 0;
    try {
        result.Words = TWordList::Split(std::move(file.Bytes), file.Size, end);
    } catch (const std::length_error&) {
        throw EFileError("Cannot read file " + QuotedPath(path) + ". File too large");
    }
    if (end < result.FileBytes) {
        result.NulOffset = end;
    }
    return result;
}

TCountFile ReadCountFile(const std::string& path, std::size_t wordCount)
{
    const TRegularFile file = OpenRegularFile(path);
    TCountFile result;
    // A count file of the right size is read straight into the counts; the size it has when
    // read to its end decides, as the file may change after it was measured.
    const bool looksRight = file.Size / 4 == wordCount;
    if (looksRight) {
        try {
            result.Counts.resize(wordCount);
        } catch (const std::bad_alloc&) {
            throw EFileError(OutOfMemoryText(path));
        }
    }
    const std::size_t countBytes = looksRight ? 4 * wordCount : 0;
    result.FileBytes = ReadUpTo(file, reinterpret_cast<char*>(result.Counts.data()), countBytes);
    if (result.FileBytes == countBytes) {
        char rest[4096];
        for (std::size_t got = 1; got != 0; result.FileBytes += got) {
            got = ReadUpTo(file, rest, sizeof rest);
        }
    }
    if (static_cast<std::uint64_t>(result.FileBytes) / 4 != static_cast<std::uint64_t>(wordCount)) {
        result.Counts.clear();
        return result;
    }
    result.Fits = true;
    if constexpr (std::endian::native != std::endian::little) {
        for (std::int32_t& count : result.Counts) {
            count = LittleEndianInt32(reinterpret_cast<const char*>(&count));
        }
    }
    for (const std::int32_t count : result.Counts) {
        result.Total += count / 1000000.0;
    }
    return result;
}
