#pragma once
// The rhyme index of the loaded dictionaries (each word's rhyme key and headword flag), its cache
// under the user's cache folder, the background build a front end starts, and the rhyme search.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "phonetics/key_worker.h"
#include "search/search_run.h"
#include "search/word_filter.h"

class TWordList;

// The index of one dictionary, word j of its word list at place j.
struct TDictRhymes
{
    // Key id -> key: id 0 is "no key", the others in byte order of the keys.
    std::vector<std::string> Keys{std::string()};
    std::vector<std::uint32_t> KeyIds;  // each word's key id
    std::vector<std::uint8_t> Flags;    // each word's kHeadword and kSecondKey bits
    // (word, key id) for the homographs' second keys, by word.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> SecondKeys;

    static constexpr std::uint8_t kHeadword = 1;
    static constexpr std::uint8_t kSecondKey = 2;

    std::size_t size() const { return KeyIds.size(); }
    bool IsHeadword(std::size_t j) const { return (Flags[j] & kHeadword) != 0; }
    // The id of key, or 0 when no word has it.
    std::uint32_t KeyId(std::string_view key) const;

    // Lists the words by key id, first and second keys alike, for WordsWithKey().
    void MakeKeyLists();
    // The words whose first or second key is id, each once, in rising order; none for id 0 and
    // before MakeKeyLists().
    std::span<const std::uint32_t> WordsWithKey(std::uint32_t id) const;

    // The lists MakeKeyLists() makes: the words of key id are ListWords[ListStart[id]] up to
    // ListWords[ListStart[id + 1]].
    std::vector<std::uint32_t> ListStart;
    std::vector<std::uint32_t> ListWords;
};

// How BuildDictRhymes shares out the phonemising.
struct TRhymeBuildWorkers
{
    // The helper program (slovosito-rhyme-keys) that phonemises the words in processes of its
    // own: a word that crashes espeak-ng then costs that word's key, not the program, and two of
    // them run on two cores (espeak-ng's state is one per process). "" when the program is not
    // there: this process then phonemises alone, on one thread, and relies on
    // IsPhonemisableWord to keep what espeak-ng cannot take away from it.
    std::string HelperPath = RhymeKeyHelperPath();
    // The fewest words for which a second helper is started: for fewer its start costs more than
    // it saves.
    std::size_t SecondHelperFrom = 20000;
    // The longest a helper may work on one batch of words: one that takes longer is taken for
    // hung and ended, and the batch goes on as after a crash.
    std::chrono::milliseconds BatchDeadline{20000};
    // When given, set to the number of words the helpers phonemised.
    std::size_t* HelperWords = nullptr;
};

// Indexes words: their rhyme keys through espeak-ng, batch by batch, in the workers' helper
// processes (one, or two for SecondHelperFrom words and more on a machine of two cores or more),
// each taking the next batch when it is through with one, while a second thread asks Hunspell for
// the headwords. A batch that a helper fails on (it crashes, hangs past the deadline or answers
// out of form) is never phonemised here: it is split in halves, each sent to a fresh helper, down
// to the words that make it fail, which get no key. The index is otherwise the same, byte for
// byte, as one thread alone makes. done counts the words of either half as they are finished
// (2 * words.size() in all). Returns nothing once cancel is set. The key lists are not made.
// Throws EPhoneticsError when espeak-ng cannot be set up, when the helper cannot be started, and
// when helpers fail on batch after batch, as a helper that does not work at all does.
std::optional<TDictRhymes> BuildDictRhymes(const TWordList& words, const std::atomic<bool>& cancel,
                                           std::atomic<std::size_t>& done,
                                           const TRhymeBuildWorkers& workers = {});

// The folder of the index cache: slovosito in the user's cache folder (XdgBaseFolder), such as
// ~/.cache/slovosito; empty when the user has none.
std::string RhymeCacheFolder();

// The cache file in folder for the dictionary whose word list is path.
std::string RhymeCachePath(const std::string& folder, const std::string& path);

// What a cached index must have been made from for the word list at path: its absolute path, the
// size and modification time of it and of its count file, and the espeak-ng and Hunspell data.
std::string RhymeCacheIdentity(const std::string& path);

// Writes index to cachePath through a temporary file renamed over it, making the folder when it
// is missing; a header holds a magic, the format's version, the word count, identity and a
// checksum. Throws EFileError (Windows-1251) when the folder or the file cannot be written.
void SaveDictRhymes(const TDictRhymes& index, const std::string& cachePath,
                    const std::string& identity);

// Reads the index at cachePath back when its header fits identity and wordCount and its checksum
// holds; nothing when the file is missing, damaged, stale or of another format.
std::optional<TDictRhymes> LoadDictRhymes(const std::string& cachePath, const std::string& identity,
                                          std::size_t wordCount);

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
    void Start(std::vector<std::string> paths, std::string cacheFolder = RhymeCacheFolder(),
               TBuildPriority priority = TBuildPriority::Normal);
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

// The word test of the rhyme search for word (Windows-1251, as typed: a "'" or acute accent after
// a vowel picks the stress): the words whose rhyme key is one of the word's, the word itself
// aside. index must be ready. A word without a rhyme key takes no word. Throws EPhoneticsError.
TWordTest RhymeTest(const std::string& word, const TRhymeIndex& index);
