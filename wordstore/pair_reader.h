#pragma once
// Reading a dictionary pair as loading takes it: the word list split into words, then the count
// file measured against the words and summed. The loader and the folder check both read here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "wordstore/word_store.h"

// A word list file's words.
struct TWordListFile
{
    TWordList Words;
    std::size_t WordCount = 0;  // the list's words: Words.size() unless some were left out
    // Each word's number in the list when only those a filter passes were kept.
    std::optional<std::vector<std::uint32_t>> Places;
    std::size_t FileBytes = 0;
    std::optional<std::size_t> NulOffset;  // where a NUL byte ends the words, when one does
};

// Where the only words wanted of a word list lie (TLoadView::KeptPlaces), asked once its bytes
// are read.
using TPlacesWanted = std::function<std::optional<TKeptPlaces>(const TWordFinder& words)>;

// Reads the word list at path and splits it by the loader's line rules; with mapped, its bytes
// are mapped rather than copied (see MapWholeFile). With a filter kept that tests any byte, only
// the words it passes are kept, read a piece at a time (see ReadPassing); else, with places that
// give some, only the words at them (see SplitAtPlaces). Throws EFileError as ReadWholeFile does,
// and, as RefuseLargeWordList, for a file of 4 GiB or more before reading it; std::bad_alloc when
// the words do not fit in memory.
TWordListFile ReadWordListFile(const std::string& path, bool mapped = false,
                               const TTailFilter& kept = {}, const TPlacesWanted& places = {});

// The piece of a word list read at a time when only the words a filter passes are kept.
constexpr std::size_t kPassingPiece = 256 * 1024;

// The words of the word list file that pass tail, found by TPassingWords, read
// a piece of about piece bytes at a time into the same memory: the words that pass are copied out
// anyway, and a page touched for the first time costs more than its bytes' copy. Sets fileBytes
// to the bytes read: all, or those up to the piece that holds a NUL that ends the words. Throws
// EFileError as ReadUpTo does.
TKeptWords ReadPassing(const TRegularFile& file, const TTailFilter& tail, std::size_t& fileBytes,
                       std::size_t piece = kPassingPiece);

// Throws EFileError "Cannot read file "<path>". File too large" when a word list of bytes is too
// large to be split: 4 GiB or more.
void RefuseLargeWordList(const std::string& path, std::uint64_t bytes);

// Whether a count file of countFileBytes may fit a word list of wordListBytes, before either is
// read: it holds no more whole counts than the list has bytes, as every word takes one at least.
bool CountFileMayFit(std::uint64_t countFileBytes, std::uint64_t wordListBytes);

// A count file read for a word list.
struct TCountFile
{
    std::size_t FileBytes = 0;
    // Whether the file's whole counts are exactly one per word; only then are Counts and Total
    // filled. Up to three spare bytes after the last count are allowed.
    bool Fits = false;
    TCountArray Counts;  // little-endian 32-bit signed, one per word
    double Total = 0.0;  // the sum, in file order, of each count divided by 1 000 000
};

// Reads the count file at path for a word list of wordCount words: ReadCounts, then FitCounts.
TCountFile ReadCountFile(const std::string& path, std::size_t wordCount);

// Reads every whole count of the count file at path and sums them, before the words are known;
// Fits stays false. Throws EFileError as ReadWholeFile does.
TCountFile ReadCounts(const std::string& path);

// Sets counts.Fits for a word list of wordCount words; when they do not fit, empties Counts and
// sets Total to 0.
void FitCounts(TCountFile& counts, std::size_t wordCount);

// Keeps of counts, which fit their word list, only those of the words at places (rising), in
// that order; the total stays the whole list's.
void KeepCounts(TCountFile& counts, const std::vector<std::uint32_t>& places);

// The number of words in the word list at path, read and split as ReadWordListFile does it but
// without keeping the words. Throws as ReadWordListFile does.
std::size_t CountWordListWords(const std::string& path);

// The bytes of the count file at path, read to its end as ReadCounts reads it but without keeping
// the counts. Throws as ReadCounts does.
std::size_t CountFileBytes(const std::string& path);
