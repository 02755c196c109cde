// Reading a dictionary pair: words from the word list, counts and their total from the count file.

#include "wordstore/pair_reader.h"

#include <cstdint>
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
    const TFileBytes file = ReadWholeFile(path);
    TCountFile result;
    result.FileBytes = file.Size;
    if (static_cast<std::uint64_t>(file.Size) / 4 != static_cast<std::uint64_t>(wordCount)) {
        return result;
    }
    result.Fits = true;
    result.Counts.resize(wordCount);
    for (std::size_t k = 0; k < wordCount; ++k) {
        result.Counts[k] = LittleEndianInt32(file.Bytes.get() + 4 * k);
        result.Total += result.Counts[k] / 1000000.0;
    }
    return result;
}
