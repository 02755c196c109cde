#pragma once
// The rhyme index of the loaded dictionaries, loaded from its cache or built on a thread of its
// own while a front end goes on, and the rhyme search and headword test that read it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "phonetics/dict_rhymes.h"
#include "phonetics/headwords.h"
#include "phonetics/rhyme_cache.h"
#include "search/search_run.h"
#include "search/word_filter.h"
#include "wordstore/word_store.h"

// How a rhyme index build shares the machine: as any work, for a front end that waits for it, or
// after all other work, for one that builds it beside what its user does.
enum class TBuildPriority {
    Normal,
    Background,
};

// The rhyme index of the word store's dictionaries, built or loaded on a thread of its own.
//
// Threading: Start(), Cancel(), Wait(), Ready(), Progress(), Dictionaries() and TakeWarnings()
// are called from one thread, the front end's. The build thread reads DictWords: the word store
// must not change from Start() until Ready() holds or Cancel() returned. Dictionaries() may be
// read once Ready() holds (or Wait() returned true), until the next Start() or Cancel().
class TRhymeIndex
{
public:
    TRhymeIndex();
    // Cancels a build under way and waits for its thread.
    ~TRhymeIndex();
    TRhymeIndex(const TRhymeIndex&) = delete;
    TRhymeIndex& operator=(const TRhymeIndex&) = delete;

    // Starts indexing the word store's rows 0 .. paths.size() - 1, row i's word list being the
    // file paths[i]: each is loaded from the cache in cacheFolder when a fitting one is there,
    // else built and written there. A cache that cannot be written is a warning; the index is
    // then kept in memory only, as it is, with a warning, when cacheFolder is empty. A row with no
    // total, which no search walks (its words were not loaded, say), gets an empty index and its
    // cache is left alone. Cancels an earlier build first. A build in the background runs at the
    // lowest priority, its helper process too, so that it takes only the time the machine does not
    // want for other work, such as the searches of the window that started it.
    // A row whose word list's path is in opened, with an index of its number of words, takes that
    // index as it is (see TRhymePlaces).
    void Start(std::vector<std::string> paths, std::string cacheFolder = RhymeCacheFolder(),
               TBuildPriority priority = TBuildPriority::Normal,
               std::map<std::string, TDictRhymes> opened = {});
    // Stops a build under way and waits for its thread; Ready() is false afterwards.
    void Cancel();
    // Whether the index of every row is there.
    bool Ready() const;
    // The part of the work done, 0 to 1.
    double Progress() const;
    // Waits until the index is ready, calling progress(Progress()) on this thread at the start
    // and about every 100 ms; progress returning false cancels the build. Returns whether the
    // index is ready. Rethrows what stopped the build (EPhoneticsError). Returns false at once
    // when nothing was started.
    bool Wait(const std::function<bool(double fraction)>& progress = {});
    // The rows' indexes, row i at i, with their key lists made.
    const std::vector<TDictRhymes>& Dictionaries() const;
    // The warnings gathered since the last call, Windows-1251 (a cache that could not be
    // written).
    std::vector<std::string> TakeWarnings();

private:
    struct TBuild;
    std::unique_ptr<TBuild> m_build;
};

// The filter's Keep test for the headwords of index's rows; index must be ready and outlive it.
std::function<bool(std::size_t row, std::size_t index)> HeadwordTest(const TRhymeIndex& index);

// The filter's Keep test for the words of index's rows whose classes filter keeps; index must be
// ready and outlive it.
std::function<bool(std::size_t row, std::size_t index)> ClassTest(const TRhymeIndex& index,
                                                                  TClassFilter filter);

// The filter's Keep test for the words of index's rows whose stressed syllable, counted from the
// end (StressPlaceOf), lies in places, by either reading of a homograph; a word without a rhyme
// key has no place and is not kept. index must be ready and outlive it.
std::function<bool(std::size_t row, std::size_t index)> StressPlaceTest(const TRhymeIndex& index,
                                                                        TCountRange places);

// Word j of row as a user types it stressed: a "'" after its stressed vowel (окно'), by its
// first reading, or with secondReading by its second when it has one; the word as it is when it
// has no key or its key does not tell which of its vowels is stressed. index must be ready.
std::string StressedSpelling(const TRhymeIndex& index, std::size_t row, std::size_t j,
                             bool secondReading = false);

// How a word listed by a rhyme search rhymes with the searched word, best first.
enum class TRhymeTier : std::uint8_t {
    Rich,   // the same index key: alike from the sound before the rhyme key on
    Exact,  // the same rhyme key
    Near,   // a near rhyme (NearRhyme) only
};

// The name of a tier in tables: "rich", "exact" or "near".
std::string_view TierName(TRhymeTier tier);

// The rhyme search for one word over a ready index.
class TRhymeSearch
{
public:
    // Finds the rhymes of word (Windows-1251, as typed: a "'" or acute accent after a vowel picks
    // the stress): the words whose rhyme key is one of the word's, and with nearToo the near
    // rhymes too, the word itself aside. index must be ready and stay so while the search is
    // used. A word without a rhyme key finds no word. keys, when given, are the word's keys as
    // TRhymePlaces found them. Throws EPhoneticsError.
    TRhymeSearch(const std::string& word, const TRhymeIndex& index, bool nearToo = false,
                 const std::optional<std::vector<std::string>>& keys = std::nullopt);

    // Whether the word has a rhyme key.
    bool HasKey() const { return m_hasKey; }
    // The word test of the search: the words it found.
    TWordTest Test() const;
    // The tier of word j of row, one of those Test() takes; Near for any other.
    TRhymeTier TierOf(std::size_t row, std::size_t j) const;

    // The groups a listing shows one after the other, each in the order asked for: the rich and
    // then the exact rhymes of the word's first reading (0 and 1), those of its second reading,
    // when it has two (2 and 3: глаза' first, then гла'за), and the near rhymes (kNearGroup).
    static constexpr std::size_t kGroups = 5;
    static constexpr std::uint8_t kNearGroup = 4;
    // The group of word j of row, one of those Test() takes; kNearGroup for any other.
    std::size_t GroupOf(std::size_t row, std::size_t j) const;
    // Whether word j of row was found by its second reading only (до'лжно, должно' for окно).
    bool BySecondReading(std::size_t row, std::size_t j) const;

private:
    // What m_found holds for word j of row; nothing when the search did not find it.
    std::optional<std::uint8_t> Found(std::size_t row, std::size_t j) const;

    bool m_hasKey = false;
    // Each row's words found, by their number in the store, rising, with twice their group, plus
    // one when they rhyme by their second reading.
    std::vector<std::vector<std::pair<std::uint32_t, std::uint8_t>>> m_found;
};

// The word test of the rhyme search for word without near rhymes (TRhymeSearch).
TWordTest RhymeTest(const std::string& word, const TRhymeIndex& index);

// The indexes of a program that searches once and ends, opened from the cache as the word lists
// are read, before their words are split: a search that knows from them which words it can find
// loads only those, as no index is then made from the words. They go to the TRhymeIndex that the
// search reads (TRhymeIndex::Start).
class TCachedIndexes
{
public:
    explicit TCachedIndexes(std::string cacheFolder = RhymeCacheFolder());

    // The index of the pair of the word list at path from the cache, opened once and kept; none
    // when the cache holds none that fits (or has no folder).
    const TDictRhymes* Open(const std::string& path);
    // The indexes opened, by their word list's path.
    std::map<std::string, TDictRhymes> Take() { return std::exchange(m_opened, {}); }

private:
    std::string m_cacheFolder;
    std::string m_tools;  // RhymeToolsVersion(), once asked
    std::map<std::string, TDictRhymes> m_opened;
};

// The rhyme search of a program that searches once and ends, begun before the words are split:
// each wanted dictionary's cached index is opened as its word list is read, and the places of
// the typed word's rhymes taken from it, so that only those words are loaded
// (TLoadView::KeptPlaces).
class TRhymePlaces
{
public:
    // For the rhymes of word as TRhymeSearch(word, ..., nearToo) finds them, with the indexes
    // opened in indexes, which must outlive it.
    TRhymePlaces(const std::string& word, bool nearToo, TCachedIndexes& indexes);

    // The places in the word list at path of the words the search can find, looking words up with
    // words. Nothing when the index cannot tell them before every word is read: the pair has no
    // cached index that fits, or the typed word's keys are not known yet. They are known from the
    // first dictionary that holds the word unstressed, as TRhymeSearch takes them.
    std::optional<TKeptPlaces> PlacesIn(const std::string& path, const TWordFinder& words);
    // The typed word's keys, once a dictionary's index gave them, for TRhymeSearch.
    const std::optional<std::vector<std::string>>& Keys() const { return m_keys; }

private:
    std::string m_word;  // as typed, lower case, unstressed; empty when its keys are not read
                         // from an index
    bool m_nearToo = false;
    TCachedIndexes& m_indexes;
    bool m_stopped = false;
    std::optional<std::vector<std::string>> m_keys;
};
