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
    std::map<std::string, TDictRhymes> Opened;
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
                const TWordList& words = DictWords[row];
                if (const auto opened = Opened.find(Paths[row]);
                    opened != Opened.end() && opened->second.size() == ListWordCount(row)) {
                    Dictionaries[row] = std::move(opened->second);
                    Opened.erase(opened);
                    Done.fetch_add(2 * ListWordCount(row));
                    continue;
                }
                // The index of a list is made from all its words, and never from some: a slot
                // that holds some was loaded for the index opened for it.
                if (DictKept[row]) {
                    throw EPhoneticsError("Cannot read the rhyme index of " + Paths[row] +
                                          ". It does not fit its words");
                }
                if (!CacheFolder.empty() && !tools.valid()) {
                    tools = std::async(std::launch::async, RhymeToolsVersion).share();
                }
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
                    std::vector<std::uint32_t> starts;
                    for (std::size_t j = 0; j < words.size(); j += TDictRhymes::kWordsPerStart) {
                        starts.push_back(static_cast<std::uint32_t>(words.Start(j)));
                    }
                    index->WordStarts = std::move(starts);
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
                        TBuildPriority priority, std::map<std::string, TDictRhymes> opened)
{
    Cancel();
    m_build = std::make_unique<TBuild>();
    m_build->Paths = std::move(paths);
    m_build->CacheFolder = std::move(cacheFolder);
    m_build->Opened = std::move(opened);
    m_build->Dictionaries.resize(m_build->Paths.size());
    for (std::size_t row = 0; row < m_build->Paths.size() && row < DictWords.size(); ++row) {
        if (Indexed(row)) {
            m_build->Total += 2 * ListWordCount(row);
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
        if (row >= rows.size()) {
            return true;
        }
        const std::size_t place = ListPlace(row, j);
        return place >= rows[row].size() || rows[row].IsHeadword(place);
    };
}

std::function<bool(std::size_t row, std::size_t index)> ClassTest(const TRhymeIndex& index,
                                                                  TClassFilter filter)
{
    return [&index, filter](std::size_t row, std::size_t j) {
        const std::vector<TDictRhymes>& rows = index.Dictionaries();
        if (row >= rows.size()) {
            return true;
        }
        const std::size_t place = ListPlace(row, j);
        return place >= rows[row].size() || filter.Keeps(rows[row].Classes(place));
    };
}

std::function<bool(std::size_t row, std::size_t index)> StressPlaceTest(const TRhymeIndex& index,
                                                                        TCountRange places)
{
    return [&index, places](std::size_t row, std::size_t j) {
        const std::vector<TDictRhymes>& rows = index.Dictionaries();
        if (row >= rows.size()) {
            return false;
        }
        const TDictRhymes& dict = rows[row];
        const std::size_t place = ListPlace(row, j);
        if (place >= dict.size()) {
            return false;
        }
        for (const std::uint32_t id : {dict.KeyIds[place], dict.SecondKeyId(place)}) {
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
    const std::size_t listed = ListPlace(row, j);
    if (row >= rows.size() || listed >= rows[row].size()) {
        return word;
    }
    const TDictRhymes& dict = rows[row];
    const std::uint32_t second = secondReading ? dict.SecondKeyId(listed) : 0;
    const std::uint32_t id = second != 0 ? second : dict.KeyIds[listed];
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

// The keys dict gave its word j.
std::vector<std::string> KeysOfWord(const TDictRhymes& dict, std::size_t j)
{
    std::vector<std::string> keys;
    for (const std::uint32_t id : {dict.KeyIds[j], dict.SecondKeyId(j)}) {
        if (id != 0) {
            keys.emplace_back(dict.Key(id));
        }
    }
    return keys;
}

// The keys index gave word in the first row that holds it, or nothing when none does.
std::optional<std::vector<std::string>> IndexedKeys(const std::string& word,
                                                    const TRhymeIndex& index)
{
    const std::vector<TDictRhymes>& rows = index.Dictionaries();
    for (std::size_t row = 0; row < rows.size() && row < DictWords.size(); ++row) {
        const TDictRhymes& dict = rows[row];
        const TWordList& words = DictWords[row];
        for (std::size_t j = 0; j < words.size(); ++j) {
            if (words[j] == word && ListPlace(row, j) < dict.size()) {
                return KeysOfWord(dict, ListPlace(row, j));
            }
        }
    }
    return std::nullopt;
}

// Whether the typed word's keys are those the index gave it, when a row holds it: the index
// read a word of a row as the typed word is read, unless a stress is typed or, for a word
// without е, it holds a reading's mark, which no word of a row got there.
bool KeysFromIndex(const TStressedWord& typed)
{
    const bool withYe = typed.Word.find(static_cast<char>(kSmallYe)) != std::string::npos;
    const bool marked =
        typed.Word.find_first_of({kReadingSeparator, kYoReadingMark}) != std::string::npos;
    return typed.StressedVowel < 0 && (withYe || !marked);
}

// The index keys of the typed word (Windows-1251): from the index when a row holds it, else read
// as the index reads words (a word written with е through Hunspell's data). A typed stress
// keeps to the spelling unless ё is its only reading.
std::vector<std::string> TypedWordKeys(const TStressedWord& typed, const TRhymeIndex& index)
{
    // Taken from the index when a row holds the word, without espeak-ng.
    if (KeysFromIndex(typed)) {
        if (std::optional<std::vector<std::string>> indexed = IndexedKeys(typed.Word, index)) {
            return std::move(*indexed);
        }
    }
    const bool withYe = typed.Word.find(static_cast<char>(kSmallYe)) != std::string::npos;
    if (!withYe) {
        return RhymeKeysOf(typed.Word, typed.StressedVowel);
    }
    if (typed.StressedVowel < 0) {
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

// The typed word as the rhyme search reads it.
TStressedWord TypedWord(const std::string& word)
{
    return ReadStressedWord(LowerKeepingYo(TrimBlanks(word)));
}

}  // namespace

TRhymeSearch::TRhymeSearch(const std::string& word, const TRhymeIndex& index, bool nearToo,
                           const std::optional<std::vector<std::string>>& givenKeys)
{
    const TStressedWord typed = TypedWord(word);
    const std::vector<std::string> keys = givenKeys ? *givenKeys : TypedWordKeys(typed, index);
    m_hasKey = !keys.empty();
    const std::vector<TDictRhymes>& rows = index.Dictionaries();
    // Each row numbers its keys apart. Only the words of the keys' lists are walked.
    m_found.resize(rows.size());
    for (std::size_t row = 0; row < rows.size() && row < DictWords.size(); ++row) {
        const TDictRhymes& dict = rows[row];
        std::vector<std::pair<std::uint32_t, std::uint8_t>>& found = m_found[row];
        for (const auto& [id, group] : RhymingKeyIds(dict, keys, nearToo)) {
            for (const std::uint32_t place : dict.WordsWithKey(id)) {
                // The group, and whether the word rhymes by its second reading, by the word's
                // number in the store, which may hold only some of the list's words.
                if (const std::optional<std::size_t> j = StoredIndex(row, place)) {
                    found.emplace_back(static_cast<std::uint32_t>(*j),
                                       2 * group + (dict.KeyIds[place] != id ? 1 : 0));
                }
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

TCachedIndexes::TCachedIndexes(std::string cacheFolder)
    : m_cacheFolder(std::move(cacheFolder))
{}

const TDictRhymes* TCachedIndexes::Open(const std::string& path)
{
    if (const auto opened = m_opened.find(path); opened != m_opened.end()) {
        return &opened->second;
    }
    if (m_cacheFolder.empty()) {
        return nullptr;
    }
    std::optional<TDictRhymes> index;
    try {
        const std::string content = RhymeCacheContent(path, m_cacheFolder);
        if (!content.empty()) {
            index = LoadDictRhymes(
                RhymeCachePath(m_cacheFolder, content),
                [&] {
                    if (m_tools.empty()) {
                        m_tools = RhymeToolsVersion();
                    }
                    return content + "\n" + m_tools;
                },
                std::nullopt);
        }
    } catch (const EPhoneticsError&) {
        // The rhyme index reports it as it starts.
    }
    if (!index) {
        return nullptr;
    }
    return &m_opened.insert_or_assign(path, std::move(*index)).first->second;
}

TRhymePlaces::TRhymePlaces(const std::string& word, bool nearToo, TCachedIndexes& indexes)
    : m_nearToo(nearToo)
    , m_indexes(indexes)
{
    const TStressedWord typed = TypedWord(word);
    if (KeysFromIndex(typed)) {
        m_word = typed.Word;
    }
}

std::optional<TKeptPlaces> TRhymePlaces::PlacesIn(const std::string& path, const TWordFinder& words)
{
    if (m_stopped || m_word.empty()) {
        return std::nullopt;
    }
    std::optional<std::size_t> typedPlace;
    if (!m_keys) {
        typedPlace = words.PlaceOf(m_word);
        // A dictionary before the first that holds the word is read whole: the word's keys are
        // not known yet.
        if (!typedPlace) {
            return std::nullopt;
        }
    }
    const TDictRhymes* index = m_indexes.Open(path);
    if (index == nullptr || index->WordStarts.empty() ||
        (typedPlace && *typedPlace >= index->size())) {
        // The keys of the first dictionary that holds the word are its index's, which is yet to
        // be built: every dictionary after it is read whole too.
        m_stopped = !m_keys.has_value();
        return std::nullopt;
    }
    if (!m_keys) {
        m_keys = KeysOfWord(*index, *typedPlace);
    }
    TKeptPlaces kept;
    for (const auto& [id, group] : RhymingKeyIds(*index, *m_keys, m_nearToo)) {
        const std::span<const std::uint32_t> listed = index->WordsWithKey(id);
        kept.Places.insert(kept.Places.end(), listed.begin(), listed.end());
    }
    std::sort(kept.Places.begin(), kept.Places.end());
    kept.Places.erase(std::unique(kept.Places.begin(), kept.Places.end()), kept.Places.end());
    kept.WordCount = index->size();
    kept.Starts.assign(index->WordStarts.begin(), index->WordStarts.end());
    return kept;
}
