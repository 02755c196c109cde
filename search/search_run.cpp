// The pattern search and the ending search over the ticked dictionaries.

#include "search/search_run.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>

#include "search/cp1251_letters.h"
#include "search/hit_listing.h"
#include "search/number_text.h"
#include "search/regexpr.h"
#include "search/tail_filter.h"
#include "search/wildcard.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

// Drops every leading and trailing byte from 0x00 to 0x20.
std::string Trim(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) {
        ++begin;
    }
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// The settings of one run, read before the pane changes.
struct TRunSettings
{
    bool Alphabetical = false;
    bool ShowIpm = false;
    double MinIpm = 0.0;
    std::chrono::seconds TimeLimit{0};
    std::function<TSearchClock::time_point()> Clock;
    TWordFilter Filter;
    std::size_t TwoThreadsFrom = 0;
    bool HitRecords = false;
    bool HitList = false;
    bool ListingBlocks = false;
};

TRunSettings ReadSettings(const TSearchView& view)
{
    TSearchSettings viewSettings = view.Settings();
    TRunSettings settings;
    settings.Alphabetical = viewSettings.Alphabetical;
    settings.ShowIpm = viewSettings.ShowIpm;
    settings.MinIpm = StrToFloat(viewSettings.MinIpmText);
    settings.TimeLimit = viewSettings.TimeLimit;
    settings.Clock = std::move(viewSettings.Clock);
    settings.Filter = viewSettings.Filter;
    settings.TwoThreadsFrom = viewSettings.TwoThreadsFrom;
    settings.HitRecords = view.WantsHitRecords();
    settings.HitList = view.WantsHitList();
    settings.ListingBlocks = view.WantsListingBlocks();
    if (!settings.Clock) {
        settings.Clock = [] { return TSearchClock::now(); };
    }
    return settings;
}

// How often a run looks at the clock and the view: about every kCheckInterval, and at least
// every kMaxStride ticks. A tick is a word, or a run of words that a walk turns away together by
// their last bytes.
constexpr TSearchClock::duration kCheckInterval = std::chrono::milliseconds(1);
constexpr std::uint32_t kMaxStride = 256;

// The time limit and the view's cancelling for one run. A word costs from a few nanoseconds (an
// ending) to many milliseconds (a backtracking expression), so the number of words between two
// looks at the clock follows what the last ones cost: it doubles while they came quickly, up to
// kMaxStride, and shrinks at once to what fits the interval after a slow stretch. A costly
// expression is then seen after one interval and about one word's match, which the engine's
// match limit bounds; a cheap one reads the clock once in kMaxStride words.
class TRunBudget
{
public:
    TRunBudget(TSearchView& view, const TRunSettings& settings)
        : m_view(view)
        , m_limit(settings.TimeLimit)
        , m_clock(settings.Clock)
        , m_start(m_clock())
        , m_lastCheck(m_start)
    {}

    // Counts one word, or one run of words, about to be tested. Throws ESearchTimeLimit or
    // ESearchCancelled.
    void Tick()
    {
        if (--m_countdown == 0) {
            Check();
        }
    }

    // Looks at the clock and asks the view now. Throws ESearchTimeLimit or ESearchCancelled.
    void Check()
    {
        const TSearchClock::time_point now = m_clock();
        const TSearchClock::duration elapsed = now - m_start;
        if (m_limit.count() > 0 && elapsed >= m_limit) {
            throw ESearchTimeLimit("Search stopped after " + std::to_string(m_limit.count()) +
                                   " s: the expression is too costly. Simplify it or search "
                                   "fewer dictionaries");
        }
        if (!m_view.KeepGoing(elapsed)) {
            throw ESearchCancelled("Search cancelled");
        }
        const TSearchClock::duration interval = now - m_lastCheck;
        m_lastCheck = now;
        if (interval < kCheckInterval / 2) {
            m_stride = std::min(m_stride * 2, kMaxStride);
        } else if (interval > kCheckInterval * 2) {
            m_stride = static_cast<std::uint32_t>(std::max<TSearchClock::rep>(
                1, m_stride * kCheckInterval.count() / interval.count()));
        }
        m_countdown = m_stride;
    }

private:
    TSearchView& m_view;
    const std::chrono::seconds m_limit;
    const std::function<TSearchClock::time_point()>& m_clock;
    const TSearchClock::time_point m_start;
    TSearchClock::time_point m_lastCheck;
    std::uint32_t m_stride = 1;
    std::uint32_t m_countdown = 1;
};

// Holds the pane's repaints for its lifetime, so that an error on the way still unlocks it.
class TPaneLock
{
public:
    explicit TPaneLock(TSearchView& view)
        : m_view(view)
    {
        m_view.LockPane();
    }
    ~TPaneLock() { m_view.UnlockPane(); }
    TPaneLock(const TPaneLock&) = delete;
    TPaneLock& operator=(const TPaneLock&) = delete;

private:
    TSearchView& m_view;
};

// The engine's test of a word. A copy has an engine of its own, so that each thread of a run
// matches with its own.
class TEngineTest
{
public:
    // Throws ERegExprError for bad modifiers.
    TEngineTest(const std::string& modifiers, const std::string& expression)
        : m_modifiers(modifiers)
        , m_expression(expression)
    {
        m_engine.SetModifierStr(modifiers);
        m_engine.SetExpression(expression);
    }
    TEngineTest(const TEngineTest& other)
        : TEngineTest(other.m_modifiers, other.m_expression)
    {}
    TEngineTest& operator=(const TEngineTest&) = delete;

    bool operator()(std::string_view word) { return m_engine.Exec(word); }

private:
    std::string m_modifiers;
    std::string m_expression;
    TRegExpr m_engine;
};

// The ticked rows' words as the run walks them: each ticked row with a nonzero total, read once
// when the walk starts, as the stretch of hit numbers its words take.
struct TWalkRow
{
    std::size_t Row;
    std::size_t First;  // the hit number of the row's first word
    std::size_t End;    // one past the number of its last word
};

std::vector<TWalkRow> TickedRows(const TSearchView& view, const THitSet& hits)
{
    std::vector<TWalkRow> rows;
    for (std::size_t row = 0; row < view.RowCount() && row < DictWords.size(); ++row) {
        if (view.RowTicked(row) && DictTotals[row] != 0.0) {
            rows.push_back({row, hits.RowStart(row), hits.RowStart(row + 1)});
        }
    }
    return rows;
}

// A match test takes the word, or the word's row and place in it as well.
template <typename TMatch>
bool MatchesAt(TMatch& matches, std::string_view word, std::size_t row, std::size_t index)
{
    if constexpr (std::is_invocable_v<TMatch&, std::string_view, std::size_t, std::size_t>) {
        return matches(word, row, index);
    } else {
        return matches(word);
    }
}

// A match test with a filter of the last bytes that every word it accepts passes.
template <typename TTest>
struct TTailFiltered
{
    TTailFilter Tail;
    TTest Test;

    bool operator()(std::string_view word) { return Test(word); }
};

template <typename TMatch>
constexpr bool kIsTailFiltered = false;
template <typename TTest>
constexpr bool kIsTailFiltered<TTailFiltered<TTest>> = true;

// How many words a tail-filtered walk filters at a time, with one tick() for them all.
constexpr std::size_t kFilterRun = 64;

// Walks the words of rows whose numbers lie in [from, to), in number order, calling tick() before
// each (before each run of kFilterRun words for a tail-filtered test, whose words are turned away
// by their last byte 64 at a time, and by the byte before it, before the test), and adds to hits
// each word that passes the minimum and matches, and lies in the settings' length and syllable
// ranges when kFiltered. A match test that has no side effects and cannot fail may run before the
// ipm test (kMatchFirst): the hits are the same, and most words are then rejected without a
// division. The engine's test runs after it, so that an expression error only shows at the first
// word that passes the minimum, whatever the ranges.
template <bool kMatchFirst, bool kFiltered, typename TMatch, typename TTick>
void WalkWords(const TRunSettings& settings, std::size_t minLength, TMatch& matches,
               const std::vector<TWalkRow>& rows, std::size_t from, std::size_t to, TTick&& tick,
               THitSet& hits)
{
    // A missing range takes every count.
    const TCountRange length = settings.Filter.Length.value_or(TCountRange{});
    const TCountRange syllables = settings.Filter.Syllables.value_or(TCountRange{});
    const bool countSyllables = settings.Filter.Syllables.has_value();
    for (const TWalkRow& walkRow : rows) {
        const std::size_t first = std::max(walkRow.First, from);
        const std::size_t end = std::min(walkRow.End, to);
        if (first >= end) {
            continue;
        }
        const TWordList& words = DictWords[walkRow.Row];
        const TIntArray& counts = DictCounts[walkRow.Row];
        const double total = DictTotals[walkRow.Row];
        const auto consider = [&](std::size_t j, std::string_view word) {
            if (word.size() < minLength) {
                return;
            }
            if constexpr (kMatchFirst) {
                if (!MatchesAt(matches, word, walkRow.Row, j)) {
                    return;
                }
            }
            const double ipm = counts[j] / total;
            if (ipm < settings.MinIpm) {
                return;
            }
            if constexpr (!kMatchFirst) {
                if (!MatchesAt(matches, word, walkRow.Row, j)) {
                    return;
                }
            }
            // The ranges come last, for the few words that match: before the match, a length
            // test that passes some words and fails others at random costs more in mispredicted
            // branches than the ending's test, which fails nearly every word at its last byte.
            if constexpr (kFiltered) {
                if (!length.Contains(word.size()) ||
                    (countSyllables && !syllables.Contains(SyllableCount(word))) ||
                    (settings.Filter.Keep && !settings.Filter.Keep(walkRow.Row, j))) {
                    return;
                }
            }
            // The listing has no line for an empty word.
            if (!word.empty()) {
                hits.Add(walkRow.First + j);
            }
        };
        const std::size_t rowFirst = first - walkRow.First;
        const std::size_t rowEnd = end - walkRow.First;
        if constexpr (kIsTailFiltered<TMatch>) {
            const TTailFilter& tail = matches.Tail;
            if (tail.MinSize > 0) {
                for (std::size_t run = rowFirst; run < rowEnd; run += kFilterRun) {
                    tick();
                    const std::size_t count = std::min(kFilterRun, rowEnd - run);
                    for (std::uint64_t passed =
                             words.LastByteMatch(run, count, tail.LastMask(), tail.LastValue());
                         passed != 0; passed &= passed - 1) {
                        const std::size_t j =
                            run + static_cast<std::size_t>(std::countr_zero(passed));
                        const std::string_view word = words[j];
                        if (tail.Passes(word)) {
                            consider(j, word);
                        }
                    }
                }
                continue;
            }
        }
        for (std::size_t j = rowFirst; j < rowEnd; ++j) {
            tick();
            consider(j, words[j]);
        }
    }
}

// Ends a thread's walk of a stretch early: the run has failed or been stopped before it.
struct TWalkStopped
{};

// How many hit numbers a thread walks at a time: a multiple of 64, so that two threads never
// share a word of the hit set's bits.
constexpr std::size_t kStretchSize = std::size_t{1} << 14;

// Walks the words on the calling thread and a second one, each taking the next stretch of hit
// numbers as it finishes the last, so that a thread that starts late or runs slowly on a busy
// machine leaves its share to the other instead of keeping it waiting. The stretches add to hits
// on either side of multiples of 64, so the set is what one thread would make. The time limit and
// the view's KeepGoing() stay on the calling thread, also while it waits for the other. An error
// stops the stretches after its own, while those before it go on; the error of the earliest
// stretch is the one that reaches the caller, as on one thread it would come first.
// On a busy machine the second thread may get a core only after the calling thread has walked
// every word; it then leaves without touching the run, and the calling thread never waits for it
// to be scheduled: it joins the run only if it enters before the calling thread has finished.
template <bool kMatchFirst, bool kFiltered, typename TMatch>
void WalkOnTwoThreads(const TRunSettings& settings, std::size_t minLength, TMatch& matches,
                      const std::vector<TWalkRow>& rows, TRunBudget& budget, THitSet& hits)
{
    if (rows.empty()) {
        return;
    }
    // Asked before any word, as one thread asks at its first: the other thread may take every
    // stretch of a small store before this one takes any.
    budget.Check();
    const std::size_t first = rows.front().First;
    const std::size_t stretches = (rows.back().End - first + kStretchSize - 1) / kStretchSize;
    std::atomic<std::size_t> nextStretch{0};
    // Stretches from this one on stop, or are never started.
    std::atomic<std::size_t> stopFrom{stretches};
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::size_t errorStretch = stretches;
    std::exception_ptr error;

    // Walks stretches until none is left; tick() runs before each word.
    const auto walk = [&](TMatch& threadMatches, auto&& tick) {
        for (std::size_t stretch = nextStretch++; stretch < stopFrom.load();
             stretch = nextStretch++) {
            const std::size_t from = first + stretch * kStretchSize;
            try {
                WalkWords<kMatchFirst, kFiltered>(
                    settings, minLength, threadMatches, rows, from, from + kStretchSize,
                    [&] {
                        tick();
                        if (stretch >= stopFrom.load(std::memory_order_relaxed)) {
                            throw TWalkStopped();
                        }
                    },
                    hits);
            } catch (const TWalkStopped&) {
                return;
            } catch (const std::exception_ptr&) {
                throw;
            } catch (...) {
                const std::lock_guard<std::mutex> lock(mutex);
                if (stretch < errorStretch) {
                    errorStretch = stretch;
                    error = std::current_exception();
                    stopFrom.store(std::min(stopFrom.load(), stretch + 1));
                }
                return;
            }
        }
    };
    // Outlives the run when the other thread starts after it: that thread then reads only this.
    enum class TEntry {
        Waiting,
        Entered,
        Abandoned,
    };
    const auto entry = std::make_shared<std::atomic<TEntry>>(TEntry::Waiting);
    // The calling thread's own copy: matches stays as it came for the other thread to copy.
    TMatch ownMatches = matches;
    std::thread([&, entry] {
        TEntry waiting = TEntry::Waiting;
        if (!entry->compare_exchange_strong(waiting, TEntry::Entered)) {
            return;
        }
        // Copied here, so that the calling thread does not pay for the engine's second copy;
        // from the test that no thread uses, as a test may change while it tests a word.
        TMatch workerMatches = matches;
        walk(workerMatches, [] {});
        const std::lock_guard<std::mutex> lock(mutex);
        done = true;
        finished.notify_one();
    }).detach();
    // Whether the other thread walks with this run; if not, it never will.
    const auto workerEntered = [&entry] {
        TEntry waiting = TEntry::Waiting;
        entry->compare_exchange_strong(waiting, TEntry::Abandoned);
        return entry->load() == TEntry::Entered;
    };
    const auto waitForWorker = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        finished.wait(lock, [&done] { return done; });
    };
    try {
        // The budget's errors end the whole run, not just a stretch: they pass the walk's catch.
        walk(ownMatches, [&budget] {
            try {
                budget.Tick();
            } catch (...) {
                throw std::current_exception();
            }
        });
        if (workerEntered()) {
            std::unique_lock<std::mutex> lock(mutex);
            while (!finished.wait_for(lock, kCheckInterval, [&done] { return done; })) {
                lock.unlock();
                budget.Check();
                lock.lock();
            }
        }
    } catch (const std::exception_ptr& budgetError) {
        stopFrom.store(0);
        if (workerEntered()) {
            waitForWorker();
        }
        std::rethrow_exception(budgetError);
    } catch (...) {
        stopFrom.store(0);
        if (workerEntered()) {
            waitForWorker();
        }
        throw;
    }
    if (error) {
        std::rethrow_exception(error);
    }
}

// Collects the hits of the ticked rows into hits: on two threads when the view's settings allow
// it for this many words and matches can be copied for a second thread (kThreadable), else on
// the calling thread.
template <bool kMatchFirst, bool kThreadable, bool kFiltered, typename TMatch>
void WalkTickedRows(TSearchView& view, const TRunSettings& settings, std::size_t minLength,
                    TMatch& matches, THitSet& hits)
{
    TRunBudget budget(view, settings);
    const std::vector<TWalkRow> rows = TickedRows(view, hits);
    std::size_t wordCount = 0;
    for (const TWalkRow& row : rows) {
        wordCount += row.End - row.First;
    }
    if constexpr (kThreadable) {
        if (wordCount >= settings.TwoThreadsFrom && std::thread::hardware_concurrency() != 1) {
            WalkOnTwoThreads<kMatchFirst, kFiltered>(settings, minLength, matches, rows, budget,
                                                     hits);
            return;
        }
    }
    WalkWords<kMatchFirst, kFiltered>(
        settings, minLength, matches, rows, 0, hits.Size(), [&budget] { budget.Tick(); }, hits);
}

// WalkTickedRows with the filter when the settings give a range; without one the loop is the
// one without a filter, so that a run pays nothing for it.
template <bool kMatchFirst, bool kThreadable = true, typename TMatch>
void CollectHits(TSearchView& view, const TRunSettings& settings, std::size_t minLength,
                 TMatch matches, THitSet& hits)
{
    if (settings.Filter.Active()) {
        WalkTickedRows<kMatchFirst, kThreadable, true>(view, settings, minLength, matches, hits);
    } else {
        WalkTickedRows<kMatchFirst, kThreadable, false>(view, settings, minLength, matches, hits);
    }
}

// Orders the hits and shows their listing: in blocks when the view takes them, else whole. A
// listing by word without records is sorted and written a group at a time, never ordered whole.
void FinishRun(TSearchView& view, const TRunSettings& settings, const THitSet& hits)
{
    // Taken once: a long listing grown block by block would be copied again and again.
    const std::size_t sizeBound = ListingSizeBound(hits, settings.ShowIpm);
    std::string listing;
    if (settings.ListingBlocks) {
        view.BeginListingBlocks(sizeBound);
    } else {
        listing.reserve(sizeBound);
    }
    const auto write = [&](std::string_view block) {
        if (settings.ListingBlocks) {
            view.ShowListingBlock(block);
        } else {
            listing += block;
        }
    };
    THitOrder order;
    std::size_t lines = 0;
    if (settings.Alphabetical && !settings.HitRecords && !settings.HitList) {
        lines = WriteListingByWord(hits, settings.ShowIpm, write);
    } else {
        order.Sort(hits, settings.Alphabetical);
        WriteListing(hits, order, settings.ShowIpm, write);
        lines = order.Count();
    }
    if (settings.ListingBlocks) {
        view.EndListingBlocks();
    } else {
        view.ShowListing(listing);
    }
    if (settings.HitRecords) {
        view.ShowHitRecords(THitList(hits, THitOrder(order)).Records());
    }
    if (settings.HitList) {
        view.ShowHitList(THitList(hits, std::move(order)));
    }
    view.ShowFoundCount(ToCp1251("Найдено:") + std::to_string(lines));
}

// What every run does around its own collecting: reads the settings once, shows "Поиск...",
// holds the pane while collect(settings, hits) gathers the hits and they are listed, then beeps.
template <typename TCollect>
void RunSearch(TSearchView& view, TCollect&& collect)
{
    const TRunSettings settings = ReadSettings(view);
    view.ShowInterim(ToCp1251("Поиск..."));
    {
        TPaneLock lock(view);
        THitSet hits;
        collect(settings, hits);
        FinishRun(view, settings, hits);
    }
    view.Beep();
}

}  // namespace

std::string FoundCountText(const std::string& listing)
{
    std::size_t lines = 0;
    if (!listing.empty()) {
        lines = 1;
        for (std::size_t pos = listing.find("\r\n"); pos != std::string::npos;
             pos = listing.find("\r\n", pos + 2)) {
            ++lines;
        }
    }
    return ToCp1251("Найдено:") + std::to_string(lines);
}

void PatternSearch(const std::string& query, TSearchView& view)
{
    const std::string pattern = Trim(query);
    if (pattern.empty()) {
        return;
    }
    RunSearch(view, [&](const TRunSettings& settings, THitSet& hits) {
        // The delimiter is the first character; its last occurrence closes the expression.
        const std::size_t close = pattern.rfind(pattern[0]);
        const std::string modifiers = pattern.substr(close + 1);
        const std::string expression = close == 0 ? std::string() : pattern.substr(1, close - 1);
        // A mask's expression lists the same words through a wildcard, at a small part of the
        // engine's cost per word; it cannot fail, so it may also run before the ipm test.
        if (const std::optional<TWildcard> wildcard =
                TWildcard::FromExpression(expression, modifiers)) {
            auto matches = [&wildcard](std::string_view word) { return wildcard->Matches(word); };
            CollectHits<true>(view, settings, 0,
                              TTailFiltered<decltype(matches)>{wildcard->TailFilter(), matches},
                              hits);
        } else {
            CollectHits<false>(view, settings, 0, TEngineTest(modifiers, expression), hits);
        }
    });
}

void EndingSearch(const std::string& query, TSearchView& view)
{
    const std::string ending = Trim(query);
    RunSearch(view, [&](const TRunSettings& settings, THitSet& hits) {
        const std::size_t length = ending.size();
        const char* const tail = ending.data();
        // The bytes each of the ending's last two takes, the last first.
        std::vector<TByteSet> lastBytes;
        for (std::size_t i = length; i-- > 0 && lastBytes.size() < 2;) {
            lastBytes.emplace_back().set(static_cast<unsigned char>(tail[i]));
            if (tail[i] == static_cast<char>(kSmallYe)) {
                lastBytes.back().set(kSmallYo);
            }
        }
        const TTailFilter tailFilter = TTailFilter::OfLastBytes(lastBytes);
        const auto collect = [&](auto matches) {
            CollectHits<true>(view, settings, length,
                              TTailFiltered<decltype(matches)>{tailFilter, matches}, hits);
        };
        if (ending.find(static_cast<char>(kSmallYe)) == std::string::npos) {
            collect([tail, length](std::string_view word) {
                // The last byte differs for most words: test it before the call.
                const char* end = word.data() + word.size();
                return length == 0 || (end[-1] == tail[length - 1] &&
                                       std::memcmp(end - length, tail, length) == 0);
            });
        } else {
            // The query's lowercasing folds ё to е, but the words keep their ё: an е of the
            // ending takes either. Compared from the end, where most words differ.
            collect([tail, length](std::string_view word) {
                const char* start = word.data() + word.size() - length;
                for (std::size_t i = length; i-- > 0;) {
                    if (start[i] != tail[i] && !(tail[i] == static_cast<char>(kSmallYe) &&
                                                 start[i] == static_cast<char>(kSmallYo))) {
                        return false;
                    }
                }
                return true;
            });
        }
    });
}

void WordTestSearch(std::size_t minLength,
                    const std::function<bool(std::string_view word)>& matches, TSearchView& view,
                    bool copiesApart)
{
    RunSearch(view, [&](const TRunSettings& settings, THitSet& hits) {
        if (copiesApart) {
            // Each thread tests with a copy of its own.
            CollectHits<true, true>(view, settings, minLength, matches, hits);
        } else {
            CollectHits<true, false>(view, settings, minLength, std::cref(matches), hits);
        }
    });
}

void PlacedWordTestSearch(
    std::size_t minLength,
    const std::function<bool(std::string_view word, std::size_t row, std::size_t index)>& matches,
    TSearchView& view)
{
    RunSearch(view, [&](const TRunSettings& settings, THitSet& hits) {
        // The caller's test need not be safe to call from two threads.
        CollectHits<true, false>(view, settings, minLength, std::cref(matches), hits);
    });
}

void PlacesSearch(const std::vector<std::vector<std::uint32_t>>& places, TSearchView& view)
{
    RunSearch(view, [&](const TRunSettings& settings, THitSet& hits) {
        TRunBudget budget(view, settings);
        const TWordFilter& filter = settings.Filter;
        for (const TWalkRow& walkRow : TickedRows(view, hits)) {
            if (walkRow.Row >= places.size()) {
                continue;
            }
            const TWordList& words = DictWords[walkRow.Row];
            for (const std::uint32_t j : places[walkRow.Row]) {
                budget.Tick();
                const std::string_view word = words[j];
                // The tests WalkWords makes of a word that matches.
                if (word.empty() ||
                    DictCounts[walkRow.Row][j] / DictTotals[walkRow.Row] < settings.MinIpm) {
                    continue;
                }
                if ((filter.Length && !filter.Length->Contains(word.size())) ||
                    (filter.Syllables && !filter.Syllables->Contains(SyllableCount(word))) ||
                    (filter.Keep && !filter.Keep(walkRow.Row, j))) {
                    continue;
                }
                hits.Add(walkRow.First + j);
            }
        }
    });
}
