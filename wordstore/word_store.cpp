// The word store and its loading from the dictionary folder.

#include "wordstore/word_store.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <limits>
#include <new>
#include <optional>
#include <system_error>

#include <sys/stat.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "wordstore/encoding.h"
#include "wordstore/file_io.h"
#include "wordstore/folder_lock.h"
#include "wordstore/line_scan.h"
#include "wordstore/pair_leftovers.h"
#include "wordstore/pair_reader.h"
#include "wordstore/path_utils.h"

std::vector<TWordList> DictWords;
std::vector<TCountArray> DictCounts;
std::vector<double> DictTotals;
std::vector<std::optional<TKeptPlaces>> DictKept;

std::size_t ListWordCount(std::size_t row)
{
    return DictKept[row] ? DictKept[row]->WordCount : DictWords[row].size();
}

std::optional<std::size_t> StoredIndex(std::size_t row, std::size_t place)
{
    const std::optional<TKeptPlaces>& kept = DictKept[row];
    if (!kept) {
        return place < DictWords[row].size() ? std::optional<std::size_t>(place) : std::nullopt;
    }
    const auto at = std::lower_bound(kept->Places.begin(), kept->Places.end(), place);
    if (at == kept->Places.end() || *at != place) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(at - kept->Places.begin());
}

namespace {

namespace fs = std::filesystem;

// A pair whose word list is this large or larger is read even where mapping is wanted: a listing
// that reaches its words all over runs faster on the huge pages a copy gets (see large_array.h)
// than on the page cache's small ones.
constexpr std::size_t kLargestMappedList = 32 * 1024 * 1024;

// Below this, a thread costs more than reading the counts alongside the words saves.
constexpr std::size_t kCountBytesForSecondCore = 1024 * 1024;

// The size of the regular file at path; none when it is missing or something else.
std::optional<std::size_t> RegularFileSize(const std::string& path)
{
    struct stat info
    {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(info.st_size);
}

}  // namespace

namespace {

// A word list of this size or more is split on both cores, half each.
constexpr std::size_t kBytesForSecondCore = 2 * 1024 * 1024;
// How far past the middle a word may run for the halves to be cut there.
constexpr std::size_t kMaxCutLook = 64 * 1024;

using TStarts = std::vector<std::uint32_t, TLargeBufferAllocator<std::uint32_t>>;
using TBreaks = std::vector<std::uint8_t, TLargeBufferAllocator<std::uint8_t>>;

// The words of one stretch of a word list.
struct TWordPart
{
    TStarts Starts;     // one per word
    TBreaks Breaks;     // one per word
    TBreaks LastBytes;  // one per word
    std::size_t BreakBytes = 0;
    std::size_t End = 0;  // as ScanLines returns it
};

// The words of bytes[begin, end) as ScanLines finds them, in arrays that hold room for about
// expectedBytes of words.
TWordPart SplitPart(const char* bytes, std::size_t begin, std::size_t end,
                    std::size_t expectedBytes)
{
    TWordPart part;
    // Most lists hold words of more than six letters; a list of shorter ones grows once or twice.
    // The arrays are sized ahead and written through pointers, so that the loop keeps them in
    // registers; the unused tail is never touched, so it costs no memory.
    std::size_t capacity = expectedBytes / 8 + 64;
    part.Starts.resize(capacity);
    part.Breaks.resize(capacity);
    part.LastBytes.resize(capacity);
    std::uint32_t* starts = part.Starts.data();
    std::uint8_t* breaks = part.Breaks.data();
    std::uint8_t* lastBytes = part.LastBytes.data();
    std::size_t words = 0;
    std::size_t breakTotal = 0;
    // A word's last byte is known once the next word starts, while its bytes are still at hand.
    const auto setLastByte = [&](std::size_t word, std::size_t wordEnd) {
        lastBytes[word] =
            wordEnd > starts[word] ? static_cast<std::uint8_t>(bytes[wordEnd - 1]) : 0;
    };
    part.End = ScanLines(bytes, begin, end, [&](std::size_t start, std::size_t breakBytes) {
        if (words == capacity) {
            capacity *= 2;
            part.Starts.resize(capacity);
            part.Breaks.resize(capacity);
            part.LastBytes.resize(capacity);
            starts = part.Starts.data();
            breaks = part.Breaks.data();
            lastBytes = part.LastBytes.data();
        }
        if (words > 0) {
            setLastByte(words - 1, start - breaks[words - 1]);
        }
        starts[words] = static_cast<std::uint32_t>(start);
        breaks[words] = static_cast<std::uint8_t>(breakBytes);
        breakTotal += breakBytes;
        ++words;
    });
    if (words > 0) {
        // The last word's break ends where the words end.
        setLastByte(words - 1, part.End - breaks[words - 1]);
    }
    part.Starts.resize(words);
    part.Breaks.resize(words);
    part.LastBytes.resize(words);
    part.BreakBytes = breakTotal;
    return part;
}

}  // namespace

TWordList TWordList::Split(TLargeBlock bytes, std::size_t size, std::size_t& end)
{
    if (size >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("word list over 4 GiB");
    }
    char* const buffer = bytes.get();
    buffer[size] = '\0';
    // A large list is cut at the first word that starts past its middle; the second half is
    // split on the other core, and dropped when a NUL ends the words in the first.
    const std::size_t cut =
        size >= kBytesForSecondCore ? WordStartAfter(buffer, size / 2, size, kMaxCutLook) : size;
    std::future<TWordPart> later;
    if (cut < size) {
        try {
            later = std::async(std::launch::async, [buffer, cut, size] {
                return SplitPart(buffer, cut, size, size - cut);
            });
        } catch (const std::system_error&) {
            // No thread to be had: one core splits it all.
        }
    }
    const std::size_t firstEnd = later.valid() ? cut : size;
    TWordPart first = SplitPart(buffer, 0, firstEnd, size);
    if (later.valid()) {
        TWordPart second = later.get();
        if (first.End == cut) {
            const std::size_t words = first.Starts.size();
            first.Starts.resize(words + second.Starts.size());
            first.Breaks.resize(words + second.Breaks.size());
            first.LastBytes.resize(words + second.LastBytes.size());
            std::copy(second.Starts.begin(), second.Starts.end(), first.Starts.begin() + words);
            std::copy(second.Breaks.begin(), second.Breaks.end(), first.Breaks.begin() + words);
            std::copy(second.LastBytes.begin(), second.LastBytes.end(),
                      first.LastBytes.begin() + words);
            first.BreakBytes += second.BreakBytes;
            first.End = second.End;
        }
    }
    TWordList list;
    end = first.End;
    list.m_starts = std::move(first.Starts);
    list.m_breaks = std::move(first.Breaks);
    list.m_lastBytes = std::move(first.LastBytes);
    list.m_starts.push_back(static_cast<std::uint32_t>(end));
    list.m_wordBytes = end - first.BreakBytes;
    list.m_block = std::move(bytes);
    return list;
}

namespace {

// The words of joined, each followed by an LF, in a block of their own.
TWordList SplitJoined(const std::string& joined)
{
    TLargeBlock block = MakeLargeBlock(joined.size() + 1);
    std::copy(joined.begin(), joined.end(), block.get());
    std::size_t end = 0;
    return TWordList::Split(std::move(block), joined.size(), end);
}

}  // namespace

TKeptWords SplitAtPlaces(const char* bytes, std::size_t size, const TKeptPlaces& wanted)
{
    if (size >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("word list over 4 GiB");
    }
    const std::vector<std::uint32_t>& places = wanted.Places;
    if (std::adjacent_find(places.begin(), places.end(), std::greater_equal<>()) != places.end()) {
        throw std::invalid_argument("word places that do not rise");
    }
    TKeptWords kept;
    kept.AllWords = wanted.WordCount;
    kept.End = size;
    // The words at the places, joined by line breaks: split again, they are the same words.
    std::string joined;
    constexpr std::size_t kEvery = TKeptPlaces::kWordsPerStart;
    std::vector<std::uint32_t> within;  // the places after one start, counted from its word
    for (std::size_t at = 0; at < places.size();) {
        const std::size_t group = places[at] / kEvery;
        within.clear();
        for (; at < places.size() && places[at] / kEvery == group; ++at) {
            if (places[at] < wanted.WordCount) {
                within.push_back(static_cast<std::uint32_t>(places[at] - group * kEvery));
            }
        }
        if (within.empty() || group >= wanted.Starts.size() || wanted.Starts[group] >= size) {
            continue;
        }
        ScanPlaces(bytes, wanted.Starts[group], size, within.data(), within.size(),
                   [&](std::size_t place, std::size_t start, std::size_t wordSize, std::size_t) {
                       kept.Places.push_back(static_cast<std::uint32_t>(group * kEvery + place));
                       joined.append(bytes + start, wordSize);
                       joined += '\n';
                   });
    }
    kept.Words = SplitJoined(joined);
    return kept;
}

std::optional<std::size_t> TWordFinder::PlaceOf(std::string_view word) const
{
    if (word.empty() ||
        word.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return std::nullopt;
    }
    const auto endsLine = [this](std::size_t at) {
        return at == m_size || m_bytes[at] == '\r' || m_bytes[at] == '\n' || m_bytes[at] == '\0';
    };
    for (std::size_t from = 0; from + word.size() <= m_size;) {
        const void* hit = memmem(m_bytes + from, m_size - from, word.data(), word.size());
        if (hit == nullptr) {
            return std::nullopt;
        }
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - m_bytes);
        from = at + 1;
        if ((at > 0 && m_bytes[at - 1] != '\r' && m_bytes[at - 1] != '\n') ||
            !endsLine(at + word.size())) {
            continue;
        }
        // Past the first NUL nothing is a word.
        if (std::memchr(m_bytes, '\0', at) != nullptr) {
            return std::nullopt;
        }
        // The bytes before a word's start end with its break: they hold as many words as breaks.
        TWordCounter before;
        before.Add(m_bytes, at);
        return before.Words();
    }
    return std::nullopt;
}

std::uint64_t TWordList::LastByteMatch(std::size_t first, std::size_t count, std::uint8_t mask,
                                       std::uint8_t value) const
{
    const std::uint8_t* lastBytes = m_lastBytes.data() + first;
    std::uint64_t bits = 0;
#if defined(__SSE2__)
    if (count == 64) {
        const __m128i maskBytes = _mm_set1_epi8(static_cast<char>(mask));
        const __m128i valueBytes = _mm_set1_epi8(static_cast<char>(value));
        for (int part = 0; part < 4; ++part) {
            const __m128i chunk =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(lastBytes + 16 * part));
            const __m128i equal = _mm_cmpeq_epi8(_mm_and_si128(chunk, maskBytes), valueBytes);
            bits |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(equal)))
                    << (16 * part);
        }
        return bits;
    }
#endif
    for (std::size_t i = 0; i < count; ++i) {
        bits |= static_cast<std::uint64_t>((lastBytes[i] & mask) == value) << i;
    }
    return bits;
}

bool TPassingWords::Add(const char* bytes, std::size_t size)
{
    if (m_ended) {
        return false;
    }
    // The words that pass, joined by line breaks: split again, they are the same words.
    const std::size_t before = m_kept.AllWords;
    const TLineCount count =
        ScanTails(bytes, 0, size, m_tail.Mask, m_tail.Value,
                  [&](std::size_t index, std::size_t start, std::size_t wordSize) {
                      const std::string_view word(bytes + start, wordSize);
                      if (m_tail.Passes(word)) {
                          m_kept.Places.push_back(static_cast<std::uint32_t>(before + index));
                          m_joined.append(word);
                          m_joined += '\n';
                      }
                  });
    m_kept.AllWords += count.Words;
    m_kept.End = m_offset + count.End;
    m_offset += size;
    m_ended = count.End < size;
    return !m_ended;
}

TKeptWords TPassingWords::Take()
{
    m_kept.Words = SplitJoined(m_joined);
    return std::move(m_kept);
}

std::size_t PieceEnd(const char* bytes, std::size_t size)
{
    if (const void* lf = memrchr(bytes, '\n', size)) {
        return static_cast<std::size_t>(static_cast<const char*>(lf) - bytes) + 1;
    }
    // A CR with a byte after it, which is no LF, ends a line whatever follows.
    if (const void* cr = size > 1 ? memrchr(bytes, '\r', size - 1) : nullptr) {
        return static_cast<std::size_t>(static_cast<const char*>(cr) - bytes) + 1;
    }
    return 0;
}

void ClearWordStore()
{
    DictWords.clear();
    DictCounts.clear();
    DictTotals.clear();
    DictKept.clear();
}

std::string DictionaryName(const std::string& stem)
{
    return ToCp1251Lossy(SpellName(stem));
}

std::string DictionaryRowText(const std::string& name, std::size_t wordCount)
{
    return name + " (" + std::to_string(wordCount) + ToCp1251(" слов)");
}

std::string DamagedWarningText(const std::string& name)
{
    return ToCp1251("Внимание! Словарь \"") + name +
           ToCp1251("\" был изменён вручную или повреждён и не может более использоваться.");
}

namespace {

// LoadDictionary for a dictionary whose words are not wanted: the same reads, reports and row,
// over an empty slot.
void LoadDictionaryRowOnly(const std::string& path, const std::string& countPath,
                           const std::string& stem, const std::string& name, TLoadView& view)
{
    std::size_t wordCount = 0;
    TCountFile counts;
    try {
        wordCount = CountWordListWords(path);
        counts.FileBytes = CountFileBytes(countPath);
    } catch (const ENotRegularFile&) {
        return;
    }
    FitCounts(counts, wordCount);
    if (!counts.Fits) {
        view.WarnDamaged(DamagedWarningText(name));
        return;
    }
    DictWords.emplace_back();
    DictCounts.emplace_back();
    DictTotals.push_back(0.0);
    DictKept.emplace_back();
    view.AddDictionaryRow({stem, path, countPath, DictionaryRowText(name, wordCount)});
}

}  // namespace

void LoadDictionary(const std::string& path, TLoadView& view)
{
    const std::string countPath = CountFilePathFor(path);
    const std::optional<std::size_t> countBytes = RegularFileSize(countPath);
    const std::optional<std::size_t> wordBytes = RegularFileSize(path);
    if (!wordBytes || !countBytes) {
        return;
    }
    const std::string stem = StripExtension(FileNameOnly(path));
    const std::string name = DictionaryName(stem);
    // Gigabytes may be read for nothing otherwise; the word list's own error comes first, as
    // when the files are read.
    if (!CountFileMayFit(*countBytes, *wordBytes)) {
        RefuseLargeWordList(path, *wordBytes);
        view.WarnDamaged(DamagedWarningText(name));
        return;
    }

    if (!view.WantsWords(stem)) {
        LoadDictionaryRowOnly(path, countPath, stem, name, view);
        return;
    }
    TWordListFile words;
    TCountFile counts;
    try {
        // A large count file is read and summed on the other core while this one splits the
        // words. An error of the word list wins, as when the files are read one after the other:
        // the count file's error, if any, goes with the future.
        const bool mapped = view.MapsFiles() && *wordBytes < kLargestMappedList;
        // Counts are read, never mapped: all are summed, and a mapped page touched for the first
        // time costs more than the copy of its bytes.
        const auto readCounts = [&countPath] { return ReadCounts(countPath); };
        std::future<TCountFile> later;
        if (*countBytes >= kCountBytesForSecondCore) {
            try {
                later = std::async(std::launch::async, readCounts);
            } catch (const std::system_error&) {
                // No thread to be had: the counts are read after the words.
            }
        }
        words = ReadWordListFile(
            path, mapped, view.KeptWords(path),
            [&](const TWordFinder& finder) { return view.KeptPlaces(path, finder); });
        counts = later.valid() ? later.get() : readCounts();
    } catch (const ENotRegularFile&) {
        // Replaced by something else since the look above: skipped, as it would have been.
        return;
    }
    FitCounts(counts, words.WordCount);
    if (!counts.Fits) {
        view.WarnDamaged(DamagedWarningText(name));
        return;
    }
    std::optional<TKeptPlaces> kept;
    if (words.Places) {
        KeepCounts(counts, *words.Places);
        kept = TKeptPlaces{
            .Places = std::move(*words.Places), .WordCount = words.WordCount, .Starts = {}};
    }

    DictWords.push_back(std::move(words.Words));
    DictCounts.push_back(std::move(counts.Counts));
    DictTotals.push_back(counts.Total);
    DictKept.push_back(std::move(kept));
    view.AddDictionaryRow({stem, path, countPath, DictionaryRowText(name, words.WordCount)});
}

bool IsCandidateName(const std::string& name)
{
    if (name.size() < 4) {
        return false;
    }
    const char* ext = name.c_str() + name.size() - 4;
    return ext[0] == '.' && (ext[1] | 0x20) == 't' && (ext[2] | 0x20) == 'x' &&
           (ext[3] | 0x20) == 't';
}

std::vector<std::string> DictionaryCandidates(const std::string& folder)
{
    std::error_code error;
    std::vector<std::string> names;
    fs::directory_iterator it(folder, error);
    if (error == std::errc::no_such_file_or_directory) {
        return names;
    }
    const char* failed = "Cannot open folder ";
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (IsCandidateName(name)) {
            names.push_back(std::move(name));
        }
        failed = "Cannot read folder ";
    }
    // A folder listed but not entered (read without search rights) names files that cannot be
    // looked at: every one would be passed by as missing.
    struct stat info
    {};
    if (!error && stat(JoinPath(folder, ".").c_str(), &info) != 0) {
        failed = "Cannot open folder ";
        error.assign(errno, std::generic_category());
    }
    if (error) {
        // A folder that is there but hides its dictionaries is not an empty one.
        throw EFileError(failed + QuotedPath(folder) + ". " + SystemReason(error.value()));
    }
    // The file system lists in no particular order; byte order makes row 0 the same every run.
    std::sort(names.begin(), names.end());
    return names;
}

void ScanDictionaryFolder(const std::string& folder, TLoadView& view)
{
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        // A folder that cannot be made simply holds no dictionaries.
        fs::create_directories(folder, error);
    }
    // The shared side keeps writers from replacing a pair while it is read. A folder that cannot
    // be opened, or a program that holds it longer than any writer would, does not stop loading.
    TFolderLock lock;
    if (lock.Open(folder)) {
        lock.Lock(TLockMode::Shared, kReaderLockWait);
    }
    std::vector<std::string> candidates;
    try {
        candidates = DictionaryCandidates(folder);
    } catch (const EFileError& e) {
        view.ReportFolderError(e.what());
        return;
    }
    for (const std::string& name : candidates) {
        const std::string path = JoinPath(folder, name);
        try {
            LoadDictionary(path, view);
        } catch (const EFileError& e) {
            view.ReportLoadError(e.what());
        } catch (const std::bad_alloc&) {
            view.ReportLoadError(OutOfMemoryText(path));
        }
    }
}
