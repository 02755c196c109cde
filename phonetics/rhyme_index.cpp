// The rhyme index of the loaded dictionaries: the build thread that loads each row's index from
// the cache or builds and saves it, and the rhyme and headword tests the searches take from it.

#include "phonetics/rhyme_index.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <future>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

#include "phonetics/key_worker.h"
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
    // Signalled when Finished is set, so that a waiting front end goes on at once.
    std::mutex FinishLock;
    std::condition_variable FinishSignal;
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
        // The programs' part of the identity sets espeak-ng up, which takes longer than reading
        // a cached index: it is worked out on a thread of its own meanwhile.
        std::shared_future<std::string> tools;
        try {
            for (std::size_t row = 0; row < Paths.size() && !CancelFlag.load(); ++row) {
                // A row no search walks (one whose words were not loaded, say) keeps an empty
                // index, and its cache, made from all its words, stays as it is.
                if (!Indexed(row)) {
                    continue;
                }
                if (!CacheFolder.empty() && !tools.valid()) {
                    tools = std::async(std::launch::async, RhymeToolsVersion).share();
                }
                const TWordList& words = DictWords[row];
                // A pair that cannot be read again for its hash is indexed in memory only.
                const std::string content = CacheFolder.empty()
                                                ? std::string()
                                                : RhymeCacheContent(Paths[row], CacheFolder);
                const std::string cachePath = RhymeCachePath(CacheFolder, content);
                const auto identity = [&] { return content + "\n" + tools.get(); };
                std::optional<TDictRhymes> index;
                if (!content.empty()) {
                    index = LoadDictRhymes(cachePath, identity, words.size());
                }
                if (!index) {
                    const std::string fullIdentity = content.empty() ? std::string() : identity();
                    const std::size_t before = Done.load();
                    index = BuildDictRhymes(words, CancelFlag, Done);
                    if (!index) {
                        return;
                    }
                    Done.store(before + 2 * words.size());
                    try {
                        if (!fullIdentity.empty()) {
                            SaveDictRhymes(*index, cachePath, fullIdentity);
                        }
                    } catch (const EFileError& e) {
                        const std::lock_guard<std::mutex> lock(WarningLock);
                        Warnings.push_back(std::string(e.what()) +
                                           ". The rhyme index is kept in memory only");
                    }
                } else {
                    Done.fetch_add(2 * words.size());
                }
                Dictionaries[row] = std::move(*index);
            }
        } catch (...) {
            Failure = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> lock(FinishLock);
            Finished.store(true);
        }
        FinishSignal.notify_all();
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
        std::unique_lock<std::mutex> lock(m_build->FinishLock);
        m_build->FinishSignal.wait_for(lock, std::chrono::milliseconds(100),
                                       [this] { return m_build->Finished.load(); });
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

std::function<bool(std::size_t row, std::size_t index)> ClassTest(const TRhymeIndex& index,
                                                                  TClassFilter filter)
{
    return [&index, filter](std::size_t row, std::size_t j) {
        const std::vector<TDictRhymes>& rows = index.Dictionaries();
        return row >= rows.size() || j >= rows[row].size() || filter.Keeps(rows[row].Classes(j));
    };
}

std::function<bool(std::size_t row, std::size_t index)> StressPlaceTest(const TRhymeIndex& index,
                                                                        TCountRange places)
{
    return [&index, places](std::size_t row, std::size_t j) {
        const std::vector<TDictRhymes>& rows = index.Dictionaries();
        if (row >= rows.size() || j >= rows[row].size()) {
            return false;
        }
        const TDictRhymes& dict = rows[row];
        for (const std::uint32_t id : {dict.KeyIds[j], dict.SecondKeyId(j)}) {
            if (id != 0 && places.Contains(static_cast<std::size_t>(StressPlaceOf(dict.Key(id))))) {
                return true;
            }
        }
        return false;
    };
}

std::string StressedSpelling(const TRhymeIndex& index, std::size_t row, std::size_t j,
                             bool secondReading)
{
    std::string word(DictWords[row][j]);
    const std::vector<TDictRhymes>& rows = index.Dictionaries();
    if (row >= rows.size() || j >= rows[row].size()) {
        return word;
    }
    const TDictRhymes& dict = rows[row];
    const std::uint32_t second = secondReading ? dict.SecondKeyId(j) : 0;
    const std::uint32_t id = second != 0 ? second : dict.KeyIds[j];
    if (id == 0) {
        return word;
    }
    const auto place = static_cast<std::size_t>(StressPlaceOf(dict.Key(id)));
    const std::size_t vowels = SyllableCount(word);
    if (place == 0 || place > vowels) {
        return word;
    }
    // The vowel letter place - 1 vowels before the last.
    std::size_t seen = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (IsVowel(word[i]) && ++seen == vowels - place + 1) {
            word.insert(i + 1, 1, '\'');
            break;
        }
    }
    return word;
}

std::string_view TierName(TRhymeTier tier)
{
    switch (tier) {
        case TRhymeTier::Rich:
            return "rich";
        case TRhymeTier::Exact:
            return "exact";
        case TRhymeTier::Near:
            return "near";
    }
    return "near";
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
            for (const std::uint32_t id : {dict.KeyIds[j], dict.SecondKeyId(j)}) {
                if (id != 0) {
                    keys.emplace_back(dict.Key(id));
                }
            }
            return keys;
        }
    }
    return std::nullopt;
}

// The index keys of the typed word (Windows-1251): from the index when a row holds it, else read
// as the index reads words (a word written with е through Hunspell's data). A typed stress
// keeps to the spelling unless ё is its only reading.
std::vector<std::string> TypedWordKeys(const TStressedWord& typed, const TRhymeIndex& index)
{
    const bool withYe = typed.Word.find(static_cast<char>(kSmallYe)) != std::string::npos;
    if (!withYe) {
        // The index read a word of a row as this reads it, so its keys are taken from there,
        // without espeak-ng; a word with a reading's mark got none there.
        const bool marked =
            typed.Word.find_first_of({kReadingSeparator, kYoReadingMark}) != std::string::npos;
        if (typed.StressedVowel < 0 && !marked) {
            if (std::optional<std::vector<std::string>> indexed = IndexedKeys(typed.Word, index)) {
                return std::move(*indexed);
            }
        }
        return RhymeKeysOf(typed.Word, typed.StressedVowel);
    }
    if (typed.StressedVowel < 0) {
        if (std::optional<std::vector<std::string>> indexed = IndexedKeys(typed.Word, index)) {
            return std::move(*indexed);
        }
        return ReadingKeysOf(InstalledYoReadings().ToPhonemise(typed.Word));
    }
    const TYoReading* reading = InstalledYoReadings().Find(typed.Word);
    return RhymeKeysOf(reading != nullptr && !reading->AlsoYe ? reading->Yo : typed.Word,
                       typed.StressedVowel);
}

// The group (TRhymeSearch::GroupOf) of each key id of dict that rhymes with one of keys (index
// keys, the typed word's readings); ids of no group are left out.
std::vector<std::pair<std::uint32_t, std::uint8_t>> RhymingKeyIds(
    const TDictRhymes& dict, const std::vector<std::string>& keys, bool nearToo)
{
    std::vector<std::pair<std::uint32_t, std::uint8_t>> ids;
    for (std::size_t reading = 0; reading < keys.size(); ++reading) {
        const std::string& key = keys[reading];
        const std::string_view rhyme = RhymePart(key);
        const auto [first, last] = dict.KeyIdsStartingWith(std::string(rhyme) + kOnsetMark);
        const auto rich = static_cast<std::uint8_t>(2 * std::min<std::size_t>(reading, 1));
        for (std::uint32_t id = first; id < last; ++id) {
            ids.emplace_back(id, dict.Key(id) == key ? rich : rich + 1);
        }
        if (!nearToo) {
            continue;
        }
        // The keys lie in byte order, so those of one rhyme key are neighbours and share a test.
        std::string_view tested;
        bool near = false;
        for (std::uint32_t id = 1; id < dict.KeyCount(); ++id) {
            const std::string_view other = RhymePart(dict.Key(id));
            if (other != tested) {
                tested = other;
                near = other != rhyme && NearRhyme(rhyme, other);
            }
            if (near) {
                ids.emplace_back(id, TRhymeSearch::kNearGroup);
            }
        }
    }
    return ids;
}

}  // namespace

TRhymeSearch::TRhymeSearch(const std::string& word, const TRhymeIndex& index, bool nearToo)
{
    const TStressedWord typed = ReadStressedWord(LowerKeepingYo(TrimBlanks(word)));
    const std::vector<std::string> keys = TypedWordKeys(typed, index);
    m_hasKey = !keys.empty();
    const std::vector<TDictRhymes>& rows = index.Dictionaries();
    // Each row numbers its keys apart. Only the words of the keys' lists are walked.
    m_found.resize(rows.size());
    for (std::size_t row = 0; row < rows.size() && row < DictWords.size(); ++row) {
        const TDictRhymes& dict = rows[row];
        std::vector<std::pair<std::uint32_t, std::uint8_t>>& found = m_found[row];
        for (const auto& [id, group] : RhymingKeyIds(dict, keys, nearToo)) {
            for (const std::uint32_t j : dict.WordsWithKey(id)) {
                // The group, and whether the word rhymes by its second reading.
                found.emplace_back(j, 2 * group + (dict.KeyIds[j] != id ? 1 : 0));
            }
        }
        // Each word once, in its first group.
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; }),
                    found.end());
        std::erase_if(found,
                      [&](const auto& hit) { return DictWords[row][hit.first] == typed.Word; });
    }
}

TWordTest TRhymeSearch::Test() const
{
    std::vector<std::vector<std::uint32_t>> places(m_found.size());
    for (std::size_t row = 0; row < m_found.size(); ++row) {
        for (const auto& hit : m_found[row]) {
            places[row].push_back(hit.first);
        }
    }
    return PlacesTest(std::move(places));
}

std::optional<std::uint8_t> TRhymeSearch::Found(std::size_t row, std::size_t j) const
{
    if (row >= m_found.size()) {
        return std::nullopt;
    }
    const auto& found = m_found[row];
    const auto hit = std::lower_bound(
        found.begin(), found.end(), static_cast<std::uint32_t>(j),
        [](const auto& entry, std::uint32_t place) { return entry.first < place; });
    if (hit == found.end() || hit->first != j) {
        return std::nullopt;
    }
    return hit->second;
}

std::size_t TRhymeSearch::GroupOf(std::size_t row, std::size_t j) const
{
    const std::optional<std::uint8_t> found = Found(row, j);
    return found ? *found / 2 : kNearGroup;
}

bool TRhymeSearch::BySecondReading(std::size_t row, std::size_t j) const
{
    const std::optional<std::uint8_t> found = Found(row, j);
    return found && *found % 2 == 1;
}

TRhymeTier TRhymeSearch::TierOf(std::size_t row, std::size_t j) const
{
    const std::size_t group = GroupOf(row, j);
    return group == kNearGroup ? TRhymeTier::Near
           : group % 2 == 0    ? TRhymeTier::Rich
                               : TRhymeTier::Exact;
}

TWordTest RhymeTest(const std::string& word, const TRhymeIndex& index)
{
    return TRhymeSearch(word, index).Test();
}
