// The pattern search and the ending search over the ticked dictionaries.

#include "search/search_run.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "search/cp1251_letters.h"
#include "search/number_text.h"
#include "search/regexpr.h"
#include "search/result_tree.h"
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
    bool HitRecords = false;
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
    settings.HitRecords = view.WantsHitRecords();
    if (!settings.Clock) {
        settings.Clock = [] { return TSearchClock::now(); };
    }
    return settings;
}

// How often a run looks at the clock and the view: about every kCheckInterval, and at least
// every kMaxStride words.
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

    // Counts one word about to be tested. Throws ESearchTimeLimit or ESearchCancelled.
    void Tick()
    {
        if (--m_countdown == 0) {
            Check();
        }
    }

private:
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

// Walks every word of the ticked rows that passes the minimum, in row and file order, and
// inserts those that match, and lie in the settings' length and syllable ranges when kFiltered,
// into the result tree, and into records when it is given. A match test that has no side effects
// and cannot fail may run before the ipm test (kMatchFirst): the hits are the same, and most words
// are then rejected without a division. The engine's test runs after it, so that an expression
// error only shows at the first word that passes the minimum, whatever the ranges.
template <bool kMatchFirst, bool kFiltered, typename TMatch>
void WalkWords(TSearchView& view, const TRunSettings& settings, std::size_t minLength,
               TMatch&& matches, std::vector<THitRecord>* records)
{
    ResetResultTree();
    TRunBudget budget(view, settings);
    // A missing range takes every count.
    const TCountRange length = settings.Filter.Length.value_or(TCountRange{});
    const TCountRange syllables = settings.Filter.Syllables.value_or(TCountRange{});
    const bool countSyllables = settings.Filter.Syllables.has_value();
    for (std::size_t row = 0; row < view.RowCount() && row < DictWords.size(); ++row) {
        if (!view.RowTicked(row) || DictTotals[row] == 0.0) {
            continue;
        }
        const TWordList& words = DictWords[row];
        const TIntArray& counts = DictCounts[row];
        const double total = DictTotals[row];
        const std::size_t wordCount = words.size();
        for (std::size_t j = 0; j < wordCount; ++j) {
            budget.Tick();
            const std::string_view word = words[j];
            if (word.size() < minLength) {
                continue;
            }
            if constexpr (kMatchFirst) {
                if (!MatchesAt(matches, word, row, j)) {
                    continue;
                }
            }
            const double ipm = counts[j] / total;
            if (ipm < settings.MinIpm) {
                continue;
            }
            if constexpr (!kMatchFirst) {
                if (!MatchesAt(matches, word, row, j)) {
                    continue;
                }
            }
            // The ranges come last, for the few words that match: before the match, a length
            // test that passes some words and fails others at random costs more in mispredicted
            // branches than the ending's test, which fails nearly every word at its last byte.
            if constexpr (kFiltered) {
                if (!length.Contains(word.size()) ||
                    (countSyllables && !syllables.Contains(SyllableCount(word))) ||
                    (settings.Filter.Keep && !settings.Filter.Keep(row, j))) {
                    continue;
                }
            }
            // The tree lists no empty word and each word once by word; the records follow it.
            const bool listed = settings.Alphabetical ? InsertByWord(word, ipm)
                                                      : (InsertByValue(word, ipm), !word.empty());
            if (records != nullptr && listed) {
                records->push_back({std::string(word), ipm, counts[j], row});
            }
        }
    }
}

// WalkWords with the filter when the settings give a range; without one the loop is the one
// without a filter, so that a run pays nothing for it.
template <bool kMatchFirst, typename TMatch>
void CollectHits(TSearchView& view, const TRunSettings& settings, std::size_t minLength,
                 TMatch&& matches, std::vector<THitRecord>* records)
{
    if (settings.Filter.Active()) {
        WalkWords<kMatchFirst, true>(view, settings, minLength, matches, records);
    } else {
        WalkWords<kMatchFirst, false>(view, settings, minLength, matches, records);
    }
}

// Puts records, in insertion order, into the listing's order: by word, or by falling ipm with the
// latest of equal values first.
void OrderAsListed(std::vector<THitRecord>& records, bool alphabetical)
{
    if (alphabetical) {
        std::sort(records.begin(), records.end(), [](const THitRecord& a, const THitRecord& b) {
            return ListedBefore(a.Word, b.Word);
        });
    } else {
        std::reverse(records.begin(), records.end());
        std::stable_sort(records.begin(), records.end(),
                         [](const THitRecord& a, const THitRecord& b) { return a.Ipm > b.Ipm; });
    }
}

void FinishRun(TSearchView& view, const TRunSettings& settings, std::vector<THitRecord>* records)
{
    std::string listing;
    if (settings.ShowIpm) {
        ListWordsWithIpm(listing);
    } else {
        ListWords(listing);
    }
    view.ShowListing(listing);
    if (records != nullptr) {
        OrderAsListed(*records, settings.Alphabetical);
        view.ShowHitRecords(std::move(*records));
    }
    view.ShowFoundCount(FoundCountText(listing));
}

// What every run does around its own collecting: reads the settings once, shows "Поиск...",
// holds the pane while collect(settings, records) gathers the hits and they are listed, then
// beeps. records is null unless the view asked for the hits as records.
template <typename TCollect>
void RunSearch(TSearchView& view, TCollect&& collect)
{
    const TRunSettings settings = ReadSettings(view);
    view.ShowInterim(ToCp1251("Поиск..."));
    {
        TPaneLock lock(view);
        std::vector<THitRecord> hitRecords;
        std::vector<THitRecord>* const records = settings.HitRecords ? &hitRecords : nullptr;
        collect(settings, records);
        FinishRun(view, settings, records);
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
    RunSearch(view, [&](const TRunSettings& settings, std::vector<THitRecord>* records) {
        // The delimiter is the first character; its last occurrence closes the expression.
        const std::size_t close = pattern.rfind(pattern[0]);
        const std::string modifiers = pattern.substr(close + 1);
        const std::string expression = close == 0 ? std::string() : pattern.substr(1, close - 1);
        // A mask's expression lists the same words through a wildcard, at a small part of the
        // engine's cost per word; it cannot fail, so it may also run before the ipm test.
        if (const std::optional<TWildcard> wildcard =
                TWildcard::FromExpression(expression, modifiers)) {
            CollectHits<true>(
                view, settings, 0,
                [&wildcard](std::string_view word) { return wildcard->Matches(word); }, records);
        } else {
            TRegExpr engine;
            engine.SetModifierStr(modifiers);
            engine.SetExpression(expression);
            CollectHits<false>(
                view, settings, 0, [&engine](std::string_view word) { return engine.Exec(word); },
                records);
        }
    });
}

void EndingSearch(const std::string& query, TSearchView& view)
{
    const std::string ending = Trim(query);
    RunSearch(view, [&](const TRunSettings& settings, std::vector<THitRecord>* records) {
        const std::size_t length = ending.size();
        const char* const tail = ending.data();
        if (ending.find(static_cast<char>(kSmallYe)) == std::string::npos) {
            CollectHits<true>(
                view, settings, length,
                [tail, length](std::string_view word) {
                    // The last byte differs for most words: test it before the call.
                    const char* end = word.data() + word.size();
                    return length == 0 || (end[-1] == tail[length - 1] &&
                                           std::memcmp(end - length, tail, length) == 0);
                },
                records);
        } else {
            // The query's lowercasing folds ё to е, but the words keep their ё: an е of the
            // ending takes either. Compared from the end, where most words differ.
            CollectHits<true>(
                view, settings, length,
                [tail, length](std::string_view word) {
                    const char* start = word.data() + word.size() - length;
                    for (std::size_t i = length; i-- > 0;) {
                        if (start[i] != tail[i] && !(tail[i] == static_cast<char>(kSmallYe) &&
                                                     start[i] == static_cast<char>(kSmallYo))) {
                            return false;
                        }
                    }
                    return true;
                },
                records);
        }
    });
}

void WordTestSearch(std::size_t minLength,
                    const std::function<bool(std::string_view word)>& matches, TSearchView& view)
{
    RunSearch(view, [&](const TRunSettings& settings, std::vector<THitRecord>* records) {
        CollectHits<true>(view, settings, minLength, matches, records);
    });
}

void PlacedWordTestSearch(
    std::size_t minLength,
    const std::function<bool(std::string_view word, std::size_t row, std::size_t index)>& matches,
    TSearchView& view)
{
    RunSearch(view, [&](const TRunSettings& settings, std::vector<THitRecord>* records) {
        CollectHits<true>(view, settings, minLength, matches, records);
    });
}
