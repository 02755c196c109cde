// Building one dictionary's rhyme index: the batches of words, the threads that feed them to the
// helper processes and split a batch a helper failed on, the headwords beside them, and the keys
// numbered as one thread alone would number them.

#include "phonetics/rhyme_build.h"

#include <algorithm>
#include <deque>
#include <exception>
#include <span>
#include <thread>
#include <unordered_map>
#include <vector>

#include "phonetics/headwords.h"
#include "phonetics/phonemes.h"
#include "phonetics/rhyme_key.h"
#include "phonetics/yo_readings.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"
#include "wordstore/word_store.h"

namespace {

// Numbers keys in byte order, "" first as id 0, so that KeyId() finds a key by halving, and
// renumbers the ids of index and seconds to match.
void SortKeys(std::vector<std::string>& keys, TDictRhymes& index, std::vector<TSecondKey>& seconds)
{
    std::vector<std::uint32_t> order(keys.size());
    for (std::uint32_t id = 0; id < order.size(); ++id) {
        order[id] = id;
    }
    std::sort(order.begin() + 1, order.end(),
              [&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    std::vector<std::uint32_t> renumbered(order.size());
    std::vector<std::string> sorted(order.size());
    for (std::uint32_t id = 0; id < order.size(); ++id) {
        renumbered[order[id]] = id;
        sorted[id] = std::move(keys[order[id]]);
    }
    keys = std::move(sorted);
    for (std::uint32_t& id : index.KeyIds) {
        id = renumbered[id];
    }
    for (TSecondKey& second : seconds) {
        second.Key = renumbered[second.Key];
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

std::optional<TDictRhymes> BuildDictRhymes(const TWordList& words, const std::atomic<bool>& cancel,
                                           std::atomic<std::size_t>& done,
                                           const TRhymeBuildWorkers& workers)
{
    const std::size_t count = words.size();
    TDictRhymes index;
    index.KeyIds.resize(count);
    std::vector<std::uint16_t> classes(count, 0);
    // Hunspell handles are independent of each other and of espeak-ng: the word classes go on a
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
                classes[j] = headwords.Classes(words[j]);
            }
            done.fetch_add(end - batch * kBatchWords, std::memory_order_relaxed);
        }
    };
    // A Hunspell that cannot be loaded stops the build as a failing helper does, once the keys
    // are through.
    std::exception_ptr stemFailure;
    std::thread stemmer([&] {
        try {
            stem();
        } catch (...) {
            stemFailure = std::current_exception();
        }
    });
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
    failure = failure ? failure : (feederFailure ? feederFailure : stemFailure);
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
    // An empty key, which no word should get, is "no key": id 0.
    std::unordered_map<std::string, std::uint32_t> ids{{std::string(), 0}};
    std::vector<std::string> numbered{std::string()};
    std::vector<TSecondKey> seconds;
    const auto intern = [&](const std::string& key) {
        const auto [found, added] =
            ids.try_emplace(key, static_cast<std::uint32_t>(numbered.size()));
        if (added) {
            numbered.push_back(key);
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
                seconds.push_back({static_cast<std::uint32_t>(j), intern(keys[1])});
            }
        }
    }
    SortKeys(numbered, index, seconds);
    index.SetKeys(numbered);
    index.SetClasses(classes);
    index.SecondKeys = std::move(seconds);
    index.MakeKeyLists();
    return index;
}
