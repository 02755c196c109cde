#pragma once
// The word store: every loaded dictionary's words, counts and total, read from the dictionary
// folder once at start-up, and the loading itself.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "wordstore/file_io.h"
#include "wordstore/large_array.h"
#include "wordstore/tail_filter.h"

// The words of one dictionary in file order, kept in the word list's bytes as read, with the
// offset where each word starts and the length of the line break after it.
class TWordList
{
public:
    TWordList() = default;

    std::size_t size() const { return m_breaks.size(); }
    bool empty() const { return size() == 0; }

    // Word j's bytes, without its line break; valid while the list lives.
    std::string_view operator[](std::size_t j) const
    {
        return {m_block.get() + m_starts[j], m_starts[j + 1] - m_starts[j] - m_breaks[j]};
    }

    // Splits a word list file's bytes into words by the loader's line rules (see line_scan.h),
    // on both cores for a large list. Takes ownership of bytes, which must hold size + 1 bytes
    // with a NUL at bytes[size]; the words stay where they are. Sets end to the offset of the first
    // NUL, which ends the words: size when the file holds none. Throws std::length_error for a file
    // over 4 GiB.
    static TWordList Split(TLargeBlock bytes, std::size_t size, std::size_t& end);

    // Which of the count <= 64 words from first on end in a byte that agrees with value on the bits
    // of mask, where an empty word ends in 0: bit i for word first + i. Each word's last byte is
    // kept apart, so that a walk that turns most words away by their end reads a byte a word.
    std::uint64_t LastByteMatch(std::size_t first, std::size_t count, std::uint8_t mask,
                                std::uint8_t value) const;

    // The bytes of the words, without line breaks.
    std::size_t BlockBytes() const { return m_wordBytes; }
    // Where word j starts in the bytes the list was split from: for a list split whole from a
    // file's bytes, its offset in the file.
    std::size_t Start(std::size_t j) const { return m_starts[j]; }

private:
    TLargeBlock m_block;
    // Word j is m_block[m_starts[j], m_starts[j + 1] - m_breaks[j]); the last start is the
    // offset after the last word's break.
    std::vector<std::uint32_t, TLargeBufferAllocator<std::uint32_t>> m_starts;
    std::vector<std::uint8_t, TLargeBufferAllocator<std::uint8_t>> m_breaks;
    // Word j's last byte, or 0 when it is empty.
    std::vector<std::uint8_t, TLargeBufferAllocator<std::uint8_t>> m_lastBytes;
    std::size_t m_wordBytes = 0;
};

// Some words of a word list, for a store that one search reads.
struct TKeptWords
{
    TWordList Words;                    // the words that pass, in file order, in bytes of their own
    std::vector<std::uint32_t> Places;  // each one's number among all the list's words
    std::size_t AllWords = 0;           // how many words the list holds, as Split finds them
    std::size_t End = 0;                // as Split sets it
};

// The words of a word list that pass a tail filter, found by Split's line rules without
// splitting the others, from its bytes given a piece at a time, so that a file can be read into
// the same memory piece after piece: each piece starts where a word does, and all but the last
// end with a line break (see PieceEnd). The pieces are not kept; the list must be under 4 GiB
// (see RefuseLargeWordList).
class TPassingWords
{
public:
    explicit TPassingWords(const TTailFilter& tail)
        : m_tail(tail)
    {}

    // Takes the next piece, bytes[0, size); false once a NUL has ended the words, when no more
    // pieces are wanted.
    bool Add(const char* bytes, std::size_t size);
    // The words that passed; End is where the NUL stood, or the bytes taken.
    TKeptWords Take();

private:
    TTailFilter m_tail;
    TKeptWords m_kept;
    std::string m_joined;  // the words that passed, each followed by an LF
    std::size_t m_offset = 0;
    bool m_ended = false;
};

// Where a piece of bytes[0, size) may end for the next to start with a word: after the last LF,
// else after the last CR that is not the last byte; 0 when there is neither.
std::size_t PieceEnd(const char* bytes, std::size_t size);

// Some words of a word list by their places, and the number of all its words.
struct TKeptPlaces
{
    // How many words of the list each of Starts stands for.
    static constexpr std::size_t kWordsPerStart = 64;

    std::vector<std::uint32_t> Places;  // rising
    std::size_t WordCount = 0;
    // Where every kWordsPerStart-th word starts in the word list file, when known.
    std::vector<std::uint32_t> Starts;
};

// The words of a word list file's bytes[0, size) at wanted.Places, found by Split's line rules
// from the nearest of wanted.Starts before each, without reading the rest of the list; AllWords
// is wanted.WordCount, and End is size. A place past the last word, or one whose start is not
// known or lies past the end, is left out. Throws std::length_error for a file over 4 GiB,
// std::invalid_argument when the places do not rise.
TKeptWords SplitAtPlaces(const char* bytes, std::size_t size, const TKeptPlaces& wanted);

// Looks words up in a word list file's bytes before they are split.
class TWordFinder
{
public:
    // bytes[0, size) as read; bytes[size] is not read.
    TWordFinder(const char* bytes, std::size_t size)
        : m_bytes(bytes)
        , m_size(size)
    {}

    // The place of the first word that is word, as Split numbers the words; nothing when none
    // is, or word holds a line break or a NUL.
    std::optional<std::size_t> PlaceOf(std::string_view word) const;

private:
    const char* m_bytes;
    std::size_t m_size;
};

using TIntArray = std::vector<std::int32_t, TLargeAllocator<std::int32_t>>;

// A dictionary's counts, read into an array of their own (32-bit signed, in the machine's order).
class TCountArray
{
public:
    using value_type = std::int32_t;
    using const_iterator = const std::int32_t*;
    using iterator = const_iterator;

    TCountArray() = default;
    TCountArray(TIntArray counts)
        : m_read(std::move(counts))
        , m_counts(m_read.data())
        , m_size(m_read.size())
    {}

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const std::int32_t& operator[](std::size_t j) const { return m_counts[j]; }
    // Throws std::out_of_range for j past the end.
    const std::int32_t& at(std::size_t j) const
    {
        if (j >= m_size) {
            throw std::out_of_range("count " + std::to_string(j) + " of " + std::to_string(m_size));
        }
        return m_counts[j];
    }
    const std::int32_t* begin() const { return m_counts; }
    const std::int32_t* end() const { return m_counts + m_size; }

private:
    TIntArray m_read;
    const std::int32_t* m_counts = nullptr;
    std::size_t m_size = 0;
};

// Slot i belongs to row i of the dictionary list; the four always have the same length.
extern std::vector<TWordList> DictWords;
extern std::vector<TCountArray> DictCounts;
// The sum, in file order, of each count divided by 1 000 000.
extern std::vector<double> DictTotals;
// For a slot that holds only some of its word list's words (see TLoadView::KeptWords and
// KeptPlaces), the place of each stored word in the list and the number of the list's words;
// nothing for a slot that holds every word at its place.
extern std::vector<std::optional<TKeptPlaces>> DictKept;

// The place in row's word list of its stored word j: what an index of the pair knows it by.
inline std::size_t ListPlace(std::size_t row, std::size_t j)
{
    const std::optional<TKeptPlaces>& kept = DictKept[row];
    return kept ? kept->Places[j] : j;
}

// The number of words in row's word list, stored or not.
std::size_t ListWordCount(std::size_t row);

// The stored word of row at place in its word list; nothing when the slot does not hold it.
std::optional<std::size_t> StoredIndex(std::size_t row, std::size_t place);

// A dictionary that loading accepted, as it reports it.
struct TDictionaryRow
{
    // The word list's file name without the extension, in the file system's bytes (usually UTF-8).
    std::string Stem;
    // The files as they were read: the word list by its own name, whatever the letter case of its
    // ".txt", and the count file, the pending one when an interrupted writing left it ready.
    std::string WordListPath;
    std::string CountFilePath;
    // The dictionary list's row, Windows-1251: "name (N слов)", where name is DictionaryName(Stem).
    std::string RowText;
};

// What loading reports to the front end.
class TLoadView
{
public:
    virtual ~TLoadView() = default;
    // A dictionary was accepted as the next slot. A front end that needs its files takes their
    // paths from row rather than making them from the stem.
    virtual void AddDictionaryRow(const TDictionaryRow& row) = 0;
    // A pair whose count file does not fit its word list; message is the whole warning.
    virtual void WarnDamaged(const std::string& message) = 0;
    // A file of a pair that exists but could not be read; loading goes on with the next file.
    virtual void ReportLoadError(const std::string& message) = 0;
    // Whether the words and counts of the dictionary stem (as TDictionaryRow has it) are
    // wanted; asked before it is read. One that is not is read, measured, listed and warned
    // about as any other, but its slot stays empty with a total of 0, which no search runs over:
    // a front end that searches only some dictionaries does not build the others. Yes by default.
    virtual bool WantsWords(const std::string& /*stem*/) const { return true; }
    // Whether the wanted dictionaries' word lists are mapped rather than copied into memory of
    // the store's own (see MapWholeFile), up to a size past which copies list faster: cheaper for
    // a program that searches once and ends, but the files must keep their size while the store
    // holds them. No by default.
    virtual bool MapsFiles() const { return false; }
    // The only words the front end will look for in the wanted word list at path: it runs one
    // search, which turns away every word this filter does not pass. The slot may then hold only
    // the words that pass, with their counts (see ReadPassing and DictKept); its total and its
    // row stay those of the whole list, so the search finds and shows the same. Every word by
    // default.
    virtual TTailFilter KeptWords(const std::string& /*path*/) { return {}; }
    // The places of the only words the front end will look for in the wanted word list at path,
    // when it can tell them from an index of the pair before the words are split, looking words
    // up with words; asked only when KeptWords(path) passes every word. The slot then holds only
    // those words, with their counts (see SplitAtPlaces and DictKept); its total and its row stay
    // those of the whole list, which the index says holds WordCount words. Without Starts, the
    // slot holds every word. Nothing by default.
    virtual std::optional<TKeptPlaces> KeptPlaces(const std::string& /*path*/,
                                                  const TWordFinder& /*words*/)
    {
        return std::nullopt;
    }
    // The dictionary folder is there but cannot be listed, so nothing is loaded; message is the
    // whole error, as DictionaryCandidates throws it. Reported as a load error unless overridden.
    virtual void ReportFolderError(const std::string& message) { ReportLoadError(message); }
};

// Empties the store.
void ClearWordStore();

// Whether a folder's entry named name is a candidate: the name ends in ".txt" in any letter case.
bool IsCandidateName(const std::string& name);

// The names of folder's candidates: every entry whose name ends in ".txt" in any letter case, in
// byte order of the names. Empty when the folder is missing. Throws EFileError when it is there
// but cannot be listed or entered: "Cannot open folder "<folder>". <reason>" (or "Cannot read
// folder ..." when listing fails part way).
std::vector<std::string> DictionaryCandidates(const std::string& folder);

// Creates folder (with missing parents) when it does not exist, then loads every candidate whose
// name ends in ".txt" (any letter case), in byte order of the names, holding the shared side of
// the folder's lock (see folder_lock.h) when it comes within kReaderLockWait; nothing is made in
// the folder. Entries that are not regular files are skipped
// silently. A file that cannot be read is reported and skipped; a folder that cannot be listed or
// entered is reported with ReportFolderError.
void ScanDictionaryFolder(const std::string& folder, TLoadView& view);

// Loads the pair path + path ".cnt" into a new slot and appends its row; the count file is the
// pending one when an interrupted writing left it ready (see pair_leftovers.h). Does nothing when
// either file is missing (or is not a regular file, also when found so only once opened); warns
// when the count file does not fit the words, before either file is read when their sizes tell
// (see CountFileMayFit). Throws EFileError when a file exists but cannot be opened or read, or
// is too large (see RefuseLargeWordList).
void LoadDictionary(const std::string& path, TLoadView& view);

// The name of the dictionary whose word list is stem + ".txt" (stem in the file system's bytes),
// as its row and messages give it, Windows-1251: SpellName(stem), with "?" for each character
// that Windows-1251 lacks. One line, and different for names that differ in anything else.
std::string DictionaryName(const std::string& stem);

// The dictionary list row for name with wordCount words: "name (N слов)", Windows-1251.
std::string DictionaryRowText(const std::string& name, std::size_t wordCount);

// The warning for a damaged pair, Windows-1251.
std::string DamagedWarningText(const std::string& name);
