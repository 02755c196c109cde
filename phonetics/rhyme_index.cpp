// Building, caching and searching the rhyme index.

#include "phonetics/rhyme_index.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <fstream>
#include <iterator>
#include <mutex>
#include <span>
#include <thread>
#include <unordered_map>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "phonetics/headwords.h"
#include "phonetics/phonemes.h"
#include "phonetics/rhyme_key.h"
#include "phonetics/yo_readings.h"
#include "search/search_run.h"
#include "wordstore/encoding.h"
#include "wordstore/file_io.h"
#include "wordstore/letters.h"
#include "wordstore/path_utils.h"
#include "wordstore/word_store.h"

namespace {

constexpr char kMagic[8] = {'S', 'L', 'V', 'R', 'H', 'Y', 'M', '\0'};
// 4: keys by sound (unsaid consonants, -ться, ы after ж ш ц, unstressed endings) and ё restored.
constexpr std::uint32_t kFormatVersion = 4;

// FNV-1a, 64 bits: enough to tell a damaged cache from a sound one.
std::uint64_t Checksum(const char* data, std::size_t size)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ static_cast<unsigned char>(data[i])) * 1099511628211ULL;
    }
    return hash;
}

template <typename T>
void Put(std::string& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads from a byte range, failing softly at its end.
class TReader
{
public:
    TReader(const char* data, std::size_t size)
        : m_data(data)
        , m_left(size)
    {}

    template <typename T>
    bool Get(T& value)
    {
        return Bytes(&value, sizeof value);
    }
    bool Bytes(void* out, std::size_t size)
    {
        if (size > m_left) {
            return false;
        }
        std::memcpy(out, m_data, size);
        m_data += size;
        m_left -= size;
        return true;
    }
    std::size_t Left() const { return m_left; }

private:
    const char* m_data;
    std::size_t m_left;
};

std::string StatText(const std::string& path)
{
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0) {
        return "-";
    }
    return std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

std::string AbsolutePath(const std::string& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::string result = resolved;
    std::free(resolved);
    return result;
}

// Makes folder and its missing parents; throws EFileError.
void MakeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            throw EFileError("Cannot create folder " + QuotedPath(part) + ". " +
                             SystemReason(errno));
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

// Numbers the keys in byte order, "" first as id 0, so that KeyId() finds a key by halving.
void SortKeys(TDictRhymes& index)
{
    std::vector<std::uint32_t> order(index.Keys.size());
    for (std::uint32_t id = 0; id < order.size(); ++id) {
        order[id] = id;
    }
    std::sort(order.begin() + 1, order.end(),
              [&index](std::uint32_t a, std::uint32_t b) { return index.Keys[a] < index.Keys[b]; });
    std::vector<std::uint32_t> renumbered(order.size());
    std::vector<std::string> keys(order.size());
    for (std::uint32_t id = 0; id < order.size(); ++id) {
        renumbered[order[id]] = id;
        keys[id] = std::move(index.Keys[order[id]]);
    }
    index.Keys = std::move(keys);
    for (std::uint32_t& id : index.KeyIds) {
        id = renumbered[id];
    }
    for (auto& entry : index.SecondKeys) {
        entry.second = renumbered[entry.second];
    }
}

// Words go to the helper and come back in batches of this many.
constexpr std::size_t kBatchWords = 512;
// Two batches at the helper keep it busy while the program reads the answer to one.
constexpr std::size_t kBatchesAtHelper = 2;

// The dictionary's words in batches that the helpers (or this thread alone) take one at a time, and
// each batch's keys as AppendWordKeys writes them, stored at the batch's place.
class TKeyBatches
{
public:
    TKeyBatches(const TWordList& words, const TYoReadings& yo, std::atomic<std::size_t>& done)
        : m_words(words)
        , m_yo(yo)
        , m_done(done)
        , m_keys((words.size() + kBatchWords - 1) / kBatchWords)
    {}

    // The next batch nobody has taken, or Count() when none is left.
    std::size_t Take() { return std::min(m_next.fetch_add(1), Count()); }
    std::size_t Count() const { return m_keys.size(); }
    std::size_t Size(std::size_t batch) const
    {
        return std::min(m_words.size() - batch * kBatchWords, kBatchWords);
    }
    // The words of batch as they are phonemised: a word written with е whose reading has ё with
    // that reading, or with both readings when each is a word (TYoReadings).
    std::vector<std::string> Words(std::size_t batch) const
    {
        std::vector<std::string> words;
        for (std::size_t j = batch * kBatchWords; j < batch * kBatchWords + Size(batch); ++j) {
            std::string word = LowerKeepingYo(std::string(m_words[j]));
            // A word holding a separator is no word and keeps having no key.
            if (word.find_first_of({kReadingSeparator, kYoReadingMark}) != std::string::npos) {
                word.clear();
            }
            words.push_back(m_yo.ToPhonemise(std::move(word)));
        }
        return words;
    }
    // Works out batch's keys on this thread. Throws EPhoneticsError.
    void DoHere(std::size_t batch)
    {
        std::string keys;
        for (const std::string& word : Words(batch)) {
            AppendWordKeys(keys, word);
        }
        Store(batch, std::move(keys));
    }
    void Store(std::size_t batch, std::string keys)
    {
        m_keys[batch] = std::move(keys);
        m_done.fetch_add(Size(batch), std::memory_order_relaxed);
    }
    const std::string& Keys(std::size_t batch) const { return m_keys[batch]; }

private:
    const TWordList& m_words;
    const TYoReadings& m_yo;
    std::atomic<std::size_t>& m_done;
    std::vector<std::string> m_keys;
    std::atomic<std::size_t> m_next{0};
};

// Batches that fail this often in a row, with none answered in between, tell of a helper that
// does not work at all, not of words that crash espeak-ng: splitting a batch down to the one word
// that crashes it fails about ten times in a row.
constexpr int kFailuresInARow = 24;

// Keeps helper processes at work on the batches left, one helper after the other: a helper that
// fails is ended, and the batch it failed on is split in halves, each sent to a fresh helper,
// down to the words that make it fail, which get no key. The batches sent after the failed one go
// to the next helper whole.
class THelperFeed
{
public:
    THelperFeed(const TRhymeBuildWorkers& workers, TKeyBatches& batches,
                const std::atomic<bool>& cancel)
        : m_workers(workers)
        , m_batches(batches)
        , m_cancel(cancel)
    {}

    // Takes batches until none is left or cancel is set. Returns the number of words the helpers
    // phonemised. Throws EPhoneticsError when a helper cannot be started, and after
    // kFailuresInARow failures in a row.
    std::size_t Run()
    {
        std::deque<std::size_t> waiting;  // taken and not yet answered, oldest first
        std::size_t atHelper = 0;         // how many of them the running helper was sent
        bool more = true;
        while (!Cancelled()) {
            while (atHelper < waiting.size() || (more && waiting.size() < kBatchesAtHelper)) {
                if (atHelper == waiting.size()) {
                    const std::size_t batch = m_batches.Take();
                    more = batch < m_batches.Count();
                    if (!more) {
                        break;
                    }
                    waiting.push_back(batch);
                }
                Helper().Send(m_batches.Words(waiting[atHelper++]));
            }
            if (waiting.empty()) {
                break;
            }
            const std::size_t batch = waiting.front();
            waiting.pop_front();
            --atHelper;
            std::optional<std::string> keys = Receive(m_batches.Size(batch));
            if (!keys && !Cancelled()) {
                // The helper is gone with what it was sent: the batches after go to the next.
                atHelper = 0;
                keys = KeysOfFailed(m_batches.Words(batch));
            }
            if (Cancelled()) {
                break;
            }
            m_batches.Store(batch, std::move(*keys));
        }
        return m_words;
    }

private:
    bool Cancelled() const { return m_cancel.load(std::memory_order_relaxed); }

    // The running helper, started when there is none.
    TKeyWorker& Helper()
    {
        if (!m_helper) {
            m_helper.emplace(m_workers.HelperPath);
            if (!m_helper->Running()) {
                throw EPhoneticsError("Cannot start " + QuotedPath(m_workers.HelperPath) + ". " +
                                      SystemReason(m_helper->StartError()));
            }
        }
        return *m_helper;
    }

    // The helper's answer to the oldest batch it was sent, of wordCount words. Nothing when it
    // failed, and the helper is then ended; or when cancel was set.
    std::optional<std::string> Receive(std::size_t wordCount)
    {
        std::optional<std::string> keys =
            m_helper->Receive(wordCount, m_cancel, m_workers.BatchDeadline);
        if (keys) {
            m_words += wordCount;
            m_failures = 0;
            m_helperAnswered = true;
        } else if (!Cancelled()) {
            m_failedFresh = !m_helperAnswered;
            m_helper.reset();
            m_helperAnswered = false;
            if (++m_failures >= kFailuresInARow) {
                throw EPhoneticsError(
                    "Cannot work out rhyme keys: " + QuotedPath(m_workers.HelperPath) +
                    " failed on " + std::to_string(kFailuresInARow) + " batches of words in a row");
            }
        }
        return keys;
    }

    // The keys of words, a batch that a helper failed on, asked of fresh helpers half by half.
    std::string KeysOfFailed(const std::vector<std::string>& words)
    {
        std::string keys;
        // The parts still to ask, the next one last, so that the keys come in word order.
        std::vector<std::span<const std::string>> parts;
        const auto split = [&](std::span<const std::string> failed) {
            if (failed.size() > 1) {
                parts.push_back(failed.subspan(failed.size() / 2));
                parts.push_back(failed.first(failed.size() / 2));
            } else if (m_failedFresh) {
                keys += '\0';  // the word alone ended a fresh helper: no keys
            } else {
                parts.push_back(failed);  // the helper may have failed for what came before
            }
        };
        split(words);
        while (!parts.empty() && !Cancelled()) {
            const std::span<const std::string> part = parts.back();
            parts.pop_back();
            Helper().Send(part);
            if (std::optional<std::string> answer = Receive(part.size())) {
                keys += *answer;
            } else {
                split(part);
            }
        }
        return keys;
    }

    const TRhymeBuildWorkers& m_workers;
    TKeyBatches& m_batches;
    const std::atomic<bool>& m_cancel;
    std::optional<TKeyWorker> m_helper;
    std::size_t m_words = 0;
    int m_failures = 0;
    bool m_helperAnswered = false;  // whether the running helper answered a batch
    bool m_failedFresh = false;     // whether the last helper that failed had answered none
};

}  // namespace

std::uint32_t TDictRhymes::KeyId(std::string_view key) const
{
    if (key.empty() || Keys.size() < 2) {
        return 0;
    }
    const auto found = std::lower_bound(Keys.begin() + 1, Keys.end(), key);
    return found == Keys.end() || *found != key ? 0
                                                : static_cast<std::uint32_t>(found - Keys.begin());
}

bool TDictRhymes::HasKey(std::size_t j, std::uint32_t first, std::uint32_t second) const
{
    const std::uint32_t id = KeyIds[j];
    if (id != 0 && (id == first || id == second)) {
        return true;
    }
    if ((Flags[j] & kSecondKey) == 0) {
        return false;
    }
    const auto found = std::lower_bound(SecondKeys.begin(), SecondKeys.end(),
                                        std::make_pair(static_cast<std::uint32_t>(j), 0U));
    return found != SecondKeys.end() && found->first == j && found->second != 0 &&
           (found->second == first || found->second == second);
}

void TDictRhymes::MakeKeyLists()
{
    ListStart.assign(Keys.size() + 1, 0);
    const auto countWord = [this](std::uint32_t id) {
        if (id != 0) {
            ++ListStart[id + 1];
        }
    };
    for (const std::uint32_t id : KeyIds) {
        countWord(id);
    }
    for (const auto& [word, id] : SecondKeys) {
        if (id != KeyIds[word]) {
            countWord(id);
        }
    }
    for (std::size_t id = 1; id < ListStart.size(); ++id) {
        ListStart[id] += ListStart[id - 1];
    }
    ListWords.resize(ListStart.back());
    // Filled in word order, so that each list rises; next[id] is where its next word goes.
    std::vector<std::uint32_t> next(ListStart.begin(), ListStart.end() - 1);
    auto second = SecondKeys.begin();
    for (std::uint32_t j = 0; j < KeyIds.size(); ++j) {
        if (KeyIds[j] != 0) {
            ListWords[next[KeyIds[j]]++] = j;
        }
        for (; second != SecondKeys.end() && second->first == j; ++second) {
            if (second->second != 0 && second->second != KeyIds[j]) {
                ListWords[next[second->second]++] = j;
            }
        }
    }
}

std::span<const std::uint32_t> TDictRhymes::WordsWithKey(std::uint32_t id) const
{
    if (id == 0 || id + 1 >= ListStart.size()) {
        return {};
    }
    return std::span<const std::uint32_t>(ListWords).subspan(ListStart[id],
                                                             ListStart[id + 1] - ListStart[id]);
}

std::optional<TDictRhymes> BuildDictRhymes(const TWordList& words, const std::atomic<bool>& cancel,
                                           std::atomic<std::size_t>& done,
                                           const TRhymeBuildWorkers& workers)
{
    const std::size_t count = words.size();
    TDictRhymes index;
    index.KeyIds.resize(count);
    index.Flags.assign(count, 0);
    // Hunspell handles are independent of each other and of espeak-ng: the headwords go on a
    // second thread while this one phonemises, and this one takes a share of them when it is
    // through with the keys, so that neither half waits long for the other.
    const std::size_t stemBatches = (count + kBatchWords - 1) / kBatchWords;
    std::atomic<std::size_t> nextStemBatch{0};
    const auto stem = [&] {
        THeadwordTest headwords;
        for (std::size_t batch = nextStemBatch.fetch_add(1);
             batch < stemBatches && !cancel.load(std::memory_order_relaxed);
             batch = nextStemBatch.fetch_add(1)) {
            const std::size_t end = std::min(count, (batch + 1) * kBatchWords);
            for (std::size_t j = batch * kBatchWords; j < end; ++j) {
                if (headwords.IsHeadword(words[j])) {
                    index.Flags[j] |= TDictRhymes::kHeadword;
                }
            }
            done.fetch_add(end - batch * kBatchWords, std::memory_order_relaxed);
        }
    };
    std::thread stemmer(stem);
    TKeyBatches batches(words, InstalledYoReadings(), done);
    // Each helper has a thread of its own that feeds it; one is this thread.
    const bool helped = !workers.HelperPath.empty();
    std::atomic<std::size_t> helperWords{0};
    std::exception_ptr feederFailure;
    std::thread feeder;
    if (helped && count >= workers.SecondHelperFrom && std::thread::hardware_concurrency() != 1) {
        feeder = std::thread([&] {
            try {
                helperWords += THelperFeed(workers, batches, cancel).Run();
            } catch (...) {
                feederFailure = std::current_exception();
            }
        });
    }
    std::exception_ptr failure;
    try {
        if (helped) {
            helperWords += THelperFeed(workers, batches, cancel).Run();
        } else {
            for (std::size_t batch = batches.Take();
                 batch < batches.Count() && !cancel.load(std::memory_order_relaxed);
                 batch = batches.Take()) {
                batches.DoHere(batch);
            }
        }
        if (nextStemBatch.load() < stemBatches) {
            stem();
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (feeder.joinable()) {
        feeder.join();
    }
    stemmer.join();
    failure = failure ? failure : feederFailure;
    if (failure) {
        std::rethrow_exception(failure);
    }
    if (cancel.load()) {
        return std::nullopt;
    }
    if (workers.HelperWords != nullptr) {
        *workers.HelperWords = helperWords.load();
    }
    // The keys are numbered in word order whoever worked them out, so the index is the one a
    // single thread makes.
    std::unordered_map<std::string, std::uint32_t> ids;
    const auto intern = [&](const std::string& key) {
        const auto [found, added] =
            ids.try_emplace(key, static_cast<std::uint32_t>(index.Keys.size()));
        if (added) {
            index.Keys.push_back(key);
        }
        return found->second;
    };
    std::vector<std::string> keys;
    for (std::size_t batch = 0; batch < batches.Count(); ++batch) {
        std::string_view entries = batches.Keys(batch);
        for (std::size_t j = batch * kBatchWords; j < batch * kBatchWords + batches.Size(batch);
             ++j) {
            // Every batch was checked as it came in or made here.
            ReadWordKeys(entries, keys);
            if (!keys.empty()) {
                index.KeyIds[j] = intern(keys[0]);
            }
            if (keys.size() > 1) {
                index.Flags[j] |= TDictRhymes::kSecondKey;
                index.SecondKeys.emplace_back(static_cast<std::uint32_t>(j), intern(keys[1]));
            }
        }
    }
    SortKeys(index);
    return index;
}

std::string RhymeCacheFolder()
{
    const std::string base = XdgBaseFolder(TXdgFolder::Cache, SystemUserEnvironment());
    return base.empty() ? std::string() : JoinPath(base, "slovosito");
}

std::string RhymeCachePath(const std::string& folder, const std::string& path)
{
    char name[32];
    std::snprintf(name, sizeof name, "rhymes-%016llx.idx",
                  static_cast<unsigned long long>(
                      Checksum(AbsolutePath(path).data(), AbsolutePath(path).size())));
    return folder + "/" + name;
}

std::string RhymeCacheIdentity(const std::string& path)
{
    const std::string absolute = AbsolutePath(path);
    return absolute + "\n" + StatText(absolute) + "\n" + StatText(absolute + ".cnt") + "\n" +
           PhonemeDataVersion() + "\n" + HeadwordDataVersion();
}

void SaveDictRhymes(const TDictRhymes& index, const std::string& cachePath,
                    const std::string& identity)
{
    std::string payload;
    Put(payload, static_cast<std::uint32_t>(identity.size()));
    payload += identity;
    Put(payload, static_cast<std::uint32_t>(index.Keys.size()));
    for (const std::string& key : index.Keys) {
        Put(payload, static_cast<std::uint16_t>(key.size()));
        payload += key;
    }
    payload.append(reinterpret_cast<const char*>(index.KeyIds.data()),
                   index.KeyIds.size() * sizeof(std::uint32_t));
    payload.append(reinterpret_cast<const char*>(index.Flags.data()), index.Flags.size());
    Put(payload, static_cast<std::uint32_t>(index.SecondKeys.size()));
    for (const auto& [word, key] : index.SecondKeys) {
        Put(payload, word);
        Put(payload, key);
    }
    std::string file(kMagic, sizeof kMagic);
    Put(file, kFormatVersion);
    Put(file, static_cast<std::uint64_t>(index.size()));
    Put(file, static_cast<std::uint64_t>(payload.size()));
    Put(file, Checksum(payload.data(), payload.size()));
    file += payload;

    const std::size_t slash = cachePath.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        MakeFolders(cachePath.substr(0, slash));
    }
    TTempFile temp(cachePath + ".tmp" + std::to_string(getpid()), cachePath, {});
    temp.Write(file);
    temp.MoveToTarget(true);
}

std::optional<TDictRhymes> LoadDictRhymes(const std::string& cachePath, const std::string& identity,
                                          std::size_t wordCount)
{
    TFileBytes bytes;
    try {
        bytes = ReadWholeFile(cachePath);
    } catch (const EFileError&) {
        return std::nullopt;
    }
    TReader header(bytes.Bytes.get(), bytes.Size);
    char magic[sizeof kMagic] = {};
    std::uint32_t version = 0;
    std::uint64_t words = 0;
    std::uint64_t payloadSize = 0;
    std::uint64_t checksum = 0;
    if (!header.Bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0 ||
        !header.Get(version) || version != kFormatVersion || !header.Get(words) ||
        words != wordCount || !header.Get(payloadSize) || !header.Get(checksum) ||
        payloadSize != header.Left()) {
        return std::nullopt;
    }
    const char* payload = bytes.Bytes.get() + (bytes.Size - header.Left());
    if (Checksum(payload, payloadSize) != checksum) {
        return std::nullopt;
    }
    TReader in(payload, payloadSize);
    std::uint32_t identitySize = 0;
    if (!in.Get(identitySize) || identitySize > in.Left()) {
        return std::nullopt;
    }
    std::string storedIdentity(identitySize, '\0');
    in.Bytes(storedIdentity.data(), identitySize);
    if (storedIdentity != identity) {
        return std::nullopt;
    }
    TDictRhymes index;
    std::uint32_t keyCount = 0;
    if (!in.Get(keyCount) || keyCount == 0 || keyCount > in.Left()) {
        return std::nullopt;
    }
    index.Keys.resize(keyCount);
    for (std::string& key : index.Keys) {
        std::uint16_t size = 0;
        if (!in.Get(size) || size > in.Left()) {
            return std::nullopt;
        }
        key.resize(size);
        in.Bytes(key.data(), size);
    }
    index.KeyIds.resize(wordCount);
    index.Flags.resize(wordCount);
    std::uint32_t secondCount = 0;
    if (!in.Bytes(index.KeyIds.data(), wordCount * sizeof(std::uint32_t)) ||
        !in.Bytes(index.Flags.data(), wordCount) || !in.Get(secondCount) ||
        in.Left() != secondCount * 8ULL) {
        return std::nullopt;
    }
    index.SecondKeys.resize(secondCount);
    for (auto& [word, key] : index.SecondKeys) {
        in.Get(word);
        in.Get(key);
        if (word >= wordCount || key >= keyCount) {
            return std::nullopt;
        }
    }
    for (const std::uint32_t id : index.KeyIds) {
        if (id >= keyCount) {
            return std::nullopt;
        }
    }
    return index;
}

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
                const std::string identity = RhymeCacheIdentity(Paths[row]);
                const std::string cachePath = RhymeCachePath(CacheFolder, Paths[row]);
                std::optional<TDictRhymes> index;
                if (!CacheFolder.empty()) {
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
                        if (!CacheFolder.empty()) {
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
