// The rhyme index of the loaded dictionaries: the build thread that loads each row's index from
// the cache or builds and saves it, and the rhyme and headword tests the searches take from it.

#include "phonetics/rhyme_index.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <iterator>
#include <mutex>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

#include "phonetics/phonemes.h"
#include "phonetics/rhyme_build.h"
#include "phonetics/rhyme_key.h"
#include "phonetics/yo_readings.h"
#include "wordstore/file_io.h"
#include "wordstore/letters.h"
#include "wordstore/word_store.h"

// The state shared with the build thread.
namespace {

// Whether row is indexed: the searches walk only rows with a total.
bool Indexed(std::size_t row)
{
    return DictTotals[row] != 0.0;
}

}  // namespace

// The nice value of a build in the background: the lowest priority.
constexpr int kBackgroundNice = 19;

struct TRhymeIndex::TBuild
{
    std::vector<std::string> Paths;
    std::string CacheFolder;
    std::vector<TDictRhymes> Dictionaries;
    std::atomic<bool> CancelFlag{false};
    std::atomic<bool> Finished{false};
    std::atomic<std::size_t> Done{0};
    std::size_t Total = 0;
    std::exception_ptr Failure;
    std::mutex WarningLock;
    std::vector<std::string> Warnings;
    std::thread Thread;

    void Run()
    {
        if (CacheFolder.empty()) {
            const std::lock_guard<std::mutex> lock(WarningLock);
            Warnings.push_back(
                "Cannot find the user's cache folder: neither XDG_CACHE_HOME nor HOME is an "
                "absolute path. The rhyme index is kept in memory only");
        }
        try {
            for (std::size_t row = 0; row < Paths.size() && !CancelFlag.load(); ++row) {
                // A row no search walks (one whose words were not loaded, say) keeps an empty
                // index, and its cache, made from all its words, stays as it is.
                if (!Indexed(row)) {
                    continue;
                }
                const TWordList& words = DictWords[row];
                // A pair that cannot be read again for its hash is indexed in memory only.
                const std::string identity =
                    CacheFolder.empty() ? std::string() : RhymeCacheIdentity(Paths[row]);
                const std::string cachePath = RhymeCachePath(CacheFolder, identity);
                std::optional<TDictRhymes> index;
                if (!identity.empty()) {
                    index = LoadDictRhymes(cachePath, identity, words.size());
                }
                if (!index) {
                    const std::size_t before = Done.load();
                    index = BuildDictRhymes(words, CancelFlag, Done);
                    if (!index) {
                        return;
                    }
                    Done.store(before + 2 * words.size());
                    try {
                        if (!identity.empty()) {
                            SaveDictRhymes(*index, cachePath, identity);
                        }
                    } catch (const EFileError& e) {
                        const std::lock_guard<std::mutex> lock(WarningLock);
                        Warnings.push_back(std::string(e.what()) +
                                           ". The rhyme index is kept in memory only");
                    }
                } else {
                    Done.fetch_add(2 * words.size());
                }
                index->MakeKeyLists();
                Dictionaries[row] = std::move(*index);
            }
        } catch (...) {
            Failure = std::current_exception();
        }
        Finished.store(true);
    }
};

TRhymeIndex::TRhymeIndex() = default;

TRhymeIndex::~TRhymeIndex()
{
    Cancel();
}

void TRhymeIndex::Start(std::vector<std::string> paths, std::string cacheFolder,
                        TBuildPriority priority)
{
    Cancel();
    m_build = std::make_unique<TBuild>();
    m_build->Paths = std::move(paths);
    m_build->CacheFolder = std::move(cacheFolder);
    m_build->Dictionaries.resize(m_build->Paths.size());
    for (std::size_t row = 0; row < m_build->Paths.size() && row < DictWords.size(); ++row) {
        if (Indexed(row)) {
            m_build->Total += 2 * DictWords[row].size();
        }
    }
    m_build->Paths.resize(std::min(m_build->Paths.size(), DictWords.size()));
    m_build->Thread = std::thread([build = m_build.get(), priority] {
        if (priority == TBuildPriority::Background) {
            // The nice value is the thread's own on Linux; the threads and the helper process
            // the build starts take it from this one. A thread left at its priority still builds.
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
        }
        build->Run();
    });
}

void TRhymeIndex::Cancel()
{
    if (!m_build) {
        return;
    }
    m_build->CancelFlag.store(true);
    if (m_build->Thread.joinable()) {
        m_build->Thread.join();
    }
    m_build.reset();
}

bool TRhymeIndex::Ready() const
{
    return m_build && m_build->Finished.load() && !m_build->Failure && !m_build->CancelFlag.load();
}

double TRhymeIndex::Progress() const
{
    if (!m_build) {
        return 0.0;
    }
    if (m_build->Finished.load() || m_build->Total == 0) {
        return m_build->Finished.load() ? 1.0 : 0.0;
    }
    return std::min(
        1.0, static_cast<double>(m_build->Done.load()) / static_cast<double>(m_build->Total));
}

bool TRhymeIndex::Wait(const std::function<bool(double fraction)>& progress)
{
    if (!m_build) {
        return false;
    }
    while (!m_build->Finished.load()) {
        if (progress && !progress(Progress())) {
            Cancel();
            return false;
        }
        for (int i = 0; i < 10 && !m_build->Finished.load(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (m_build->Thread.joinable()) {
        m_build->Thread.join();
    }
    if (m_build->Failure) {
        const std::exception_ptr failure = m_build->Failure;
        m_build.reset();
        std::rethrow_exception(failure);
    }
    return Ready();
}

const std::vector<TDictRhymes>& TRhymeIndex::Dictionaries() const
{
    static const std::vector<TDictRhymes> kNone;
    return m_build ? m_build->Dictionaries : kNone;
}

std::vector<std::string> TRhymeIndex::TakeWarnings()
{
    if (!m_build) {
        return {};
    }
    const std::lock_guard<std::mutex> lock(m_build->WarningLock);
    return std::exchange(m_build->Warnings, {});
}

std::function<bool(std::size_t row, std::size_t index)> HeadwordTest(const TRhymeIndex& index)
{
    return [&index](std::size_t row, std::size_t j) {
        const std::vector<TDictRhymes>& rows = index.Dictionaries();
        return row >= rows.size() || j >= rows[row].size() || rows[row].IsHeadword(j);
    };
}

namespace {

// The keys index gave word in the first row that holds it, or nothing when none does.
std::optional<std::vector<std::string>> IndexedKeys(const std::string& word,
                                                    const TRhymeIndex& index)
{
    const std::vector<TDictRhymes>& rows = index.Dictionaries();
    for (std::size_t row = 0; row < rows.size() && row < DictWords.size(); ++row) {
        const TDictRhymes& dict = rows[row];
        const TWordList& words = DictWords[row];
        for (std::size_t j = 0; j < dict.size() && j < words.size(); ++j) {
            if (words[j] != word) {
                continue;
            }
            std::vector<std::string> keys;
            if (dict.KeyIds[j] != 0) {
                keys.push_back(dict.Keys[dict.KeyIds[j]]);
            }
            const auto second = std::lower_bound(
                dict.SecondKeys.begin(), dict.SecondKeys.end(),
                std::pair<std::uint32_t, std::uint32_t>(static_cast<std::uint32_t>(j), 0));
            if (second != dict.SecondKeys.end() && second->first == j && second->second != 0) {
                keys.push_back(dict.Keys[second->second]);
            }
            return keys;
        }
    }
    return std::nullopt;
}

}  // namespace

TWordTest RhymeTest(const std::string& word, const TRhymeIndex& index)
{
    const TStressedWord typed = ReadStressedWord(LowerKeepingYo(TrimBlanks(word)));
    // A word written with е is read as the index read it: from the index when a row holds it,
    // else through Hunspell's data. A typed stress keeps to the spelling unless ё is its only
    // reading.
    const bool withYe = typed.Word.find(static_cast<char>(kSmallYe)) != std::string::npos;
    std::optional<std::vector<std::string>> indexed;
    if (withYe && typed.StressedVowel < 0) {
        indexed = IndexedKeys(typed.Word, index);
    }
    std::vector<std::string> keys;
    if (indexed) {
        keys = std::move(*indexed);
    } else if (!withYe) {
        keys = RhymeKeysOf(typed.Word, typed.StressedVowel);
    } else if (typed.StressedVowel < 0) {
        keys = ReadingKeysOf(InstalledYoReadings().ToPhonemise(typed.Word));
    } else {
        const TYoReading* reading = InstalledYoReadings().Find(typed.Word);
        keys = RhymeKeysOf(reading != nullptr && !reading->AlsoYe ? reading->Yo : typed.Word,
                           typed.StressedVowel);
    }
    const std::vector<TDictRhymes>& rows = index.Dictionaries();
    // Each row numbers its keys apart. Only the words of the key lists are walked, in file order.
    std::vector<std::vector<std::uint32_t>> places(rows.size());
    for (std::size_t row = 0; row < rows.size() && row < DictWords.size(); ++row) {
        const TDictRhymes& dict = rows[row];
        const std::span<const std::uint32_t> first =
            dict.WordsWithKey(keys.empty() ? 0 : dict.KeyId(keys[0]));
        const std::span<const std::uint32_t> second =
            dict.WordsWithKey(keys.size() < 2 ? 0 : dict.KeyId(keys[1]));
        std::vector<std::uint32_t>& listed = places[row];
        std::merge(first.begin(), first.end(), second.begin(), second.end(),
                   std::back_inserter(listed));
        listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
        std::erase_if(listed, [&](std::uint32_t j) { return DictWords[row][j] == typed.Word; });
    }
    return PlacesTest(std::move(places));
}
