// The search runs: the word tests of the pattern, ending, word and places searches, walked over
// the ticked dictionaries on one thread or two.

#include "search/search_run.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>

#include "search/number_text.h"
#include "search/regexpr.h"
#include "search/run_budget.h"
#include "search/two_thread_walk.h"
#include "search/wildcard.h"
#include "wordstore/letters.h"
#include "wordstore/tail_filter.h"
#include "wordstore/word_store.h"

namespace {

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

    // Calls tick, the walk's, from inside a match that may run long, so that the time limit, the
    // control's cancelling and the other thread's stop reach into it as they do between words.
    template <typename TTick>
    bool operator()(std::string_view word, TTick& tick)
    {
        return m_engine.Exec(word, TMatchWatch(tick));
    }

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

std::vector<TWalkRow> TickedRows(const TRunControl& control, const THitSet& hits)
{
    std::vector<TWalkRow> rows;
    for (std::size_t row = 0; row < control.RowCount() && row < DictWords.size(); ++row) {
        if (control.RowTicked(row) && DictTotals[row] != 0.0) {
            rows.push_back({row, hits.RowStart(row), hits.RowStart(row + 1)});
        }
    }
    return rows;
}

// A match test takes the word, or the word and the walk's tick to call from inside a long match.
template <typename TMatch, typename TTick>
bool Matches(TMatch& matches, std::string_view word, TTick& tick)
{
    if constexpr (std::is_invocable_v<TMatch&, std::string_view, TTick&>) {
        return matches(word, tick);
    } else {
        return matches(word);
    }
}

// Adds word j of walkRow to hits when it is a hit: at least minLength bytes long, passing the
// minimum and matches, in the settings' ranges when kFiltered, and not empty. A match test that
// has no side effects and cannot fail may run before the ipm test (kMatchFirst): the hits are the
// same, and most words are then rejected without a division. The engine's test runs after it, so
// that an expression error only shows at the first word that passes the minimum, whatever the
// ranges.
template <bool kMatchFirst, bool kFiltered, typename TMatch>
inline void ConsiderWord(const TRunSettings& settings, std::size_t minLength, TMatch& matches,
                         const TWalkRow& walkRow, std::size_t j, std::string_view word,
                         const TCountArray& counts, double total, THitSet& hits)
{
    if (word.size() < minLength) {
        return;
    }
    if constexpr (kMatchFirst) {
        if (!matches(word)) {
            return;
        }
    }
    const double ipm = counts[j] / total;
    if (ipm < settings.MinIpm) {
        return;
    }
    if constexpr (!kMatchFirst) {
        if (!matches(word)) {
            return;
        }
    }
    // The ranges come last, for the few words that match: before the match, a length
    // test that passes some words and fails others at random costs more in mispredicted
    // branches than the ending's test, which fails nearly every word at its last byte.
    if constexpr (kFiltered) {
        const TWordFilter& filter = settings.Given.Filter;
        if ((filter.Length && !filter.Length->Contains(word.size())) ||
            (filter.Syllables && !filter.Syllables->Contains(SyllableCount(word))) ||
            (settings.Given.Filter.Keep && !settings.Given.Filter.Keep(walkRow.Row, j))) {
            return;
        }
    }
    // The listing has no line for an empty word.
    if (!word.empty()) {
        hits.Add(walkRow.First + j);
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
// each word that ConsiderWord takes.
template <bool kMatchFirst, bool kFiltered, typename TMatch, typename TTick>
void WalkWords(const TRunSettings& settings, std::size_t minLength, TMatch& matches,
               const std::vector<TWalkRow>& rows, std::size_t from, std::size_t to, TTick&& tick,
               THitSet& hits)
{
    auto matchesWithTick = [&](std::string_view word) { return Matches(matches, word, tick); };
    for (const TWalkRow& walkRow : rows) {
        const std::size_t first = std::max(walkRow.First, from);
        const std::size_t end = std::min(walkRow.End, to);
        if (first >= end) {
            continue;
        }
        const TWordList& words = DictWords[walkRow.Row];
        const TCountArray& counts = DictCounts[walkRow.Row];
        const double total = DictTotals[walkRow.Row];
        const auto consider = [&](std::size_t j, std::string_view word) {
            ConsiderWord<kMatchFirst, kFiltered>(settings, minLength, matchesWithTick, walkRow, j,
                                                 word, counts, total, hits);
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

// Collects the hits of the ticked rows into hits: on two threads when the settings allow it for
// this many words and matches can be copied for a second thread (kThreadable), else on the
// calling thread. The calling thread keeps the time limit and the control's KeepGoing(); the
// other thread tests with a copy of matches made there, from the one no thread tests with, as a
// test may change while it tests a word.
template <bool kMatchFirst, bool kThreadable, bool kFiltered, typename TMatch>
void WalkTickedRows(const TRunSettings& settings, TRunControl& control, std::size_t minLength,
                    TMatch& matches, THitSet& hits)
{
    TRunBudget budget(control, settings.Given.TimeLimit, settings.Given.Clock);
    const std::vector<TWalkRow> rows = TickedRows(control, hits);
    std::size_t wordCount = 0;
    for (const TWalkRow& row : rows) {
        wordCount += row.End - row.First;
    }
    if constexpr (kThreadable) {
        if (!rows.empty() && wordCount >= settings.Given.TwoThreadsFrom &&
            std::thread::hardware_concurrency() != 1) {
            // Asked before any word, as one thread asks at its first: the other thread may take
            // every stretch of a small store before this one takes any.
            budget.Check();
            TMatch ownMatches = matches;
            const auto walkStretch = [&](TMatch& stretchMatches, const TStretch& stretch,
                                         auto&& tick) {
                WalkWords<kMatchFirst, kFiltered>(settings, minLength, stretchMatches, rows,
                                                  stretch.From, stretch.To, tick, hits);
            };
            WalkOnTwoThreads(
                rows.front().First, rows.back().End,
                [&](const TStretch& stretch) {
                    walkStretch(ownMatches, stretch, [&] {
                        budget.Tick();
                        stretch.CheckStopped();
                    });
                },
                [&]() -> TStretchWalk {
                    auto copy = std::make_shared<TMatch>(matches);
                    return [&walkStretch, copy](const TStretch& stretch) {
                        walkStretch(*copy, stretch, [&stretch] { stretch.CheckStopped(); });
                    };
                },
                [&budget] { budget.Check(); });
            return;
        }
    }
    WalkWords<kMatchFirst, kFiltered>(
        settings, minLength, matches, rows, 0, hits.Size(), [&budget] { budget.Tick(); }, hits);
}

// WalkTickedRows with the filter when the settings give a range; without one the loop is the
// one without a filter, so that a run pays nothing for it.
template <bool kMatchFirst, bool kThreadable = true, typename TMatch>
void CollectWith(const TRunSettings& settings, TRunControl& control, std::size_t minLength,
                 TMatch matches, THitSet& hits)
{
    if (settings.Given.Filter.Active()) {
        WalkTickedRows<kMatchFirst, kThreadable, true>(settings, control, minLength, matches, hits);
    } else {
        WalkTickedRows<kMatchFirst, kThreadable, false>(settings, control, minLength, matches,
                                                        hits);
    }
}

// A trimmed pattern query's parts: the delimiter is the first character; its last occurrence
// closes the expression.
struct TPatternParts
{
    std::string Expression;
    std::string Modifiers;

    explicit TPatternParts(const std::string& pattern)
    {
        const std::size_t close = pattern.rfind(pattern[0]);
        Modifiers = pattern.substr(close + 1);
        Expression = close == 0 ? std::string() : pattern.substr(1, close - 1);
    }

    // A mask's expression lists the same words through a wildcard, at a small part of the
    // engine's cost per word.
    std::optional<TWildcard> Wildcard() const
    {
        return TWildcard::FromExpression(Expression, Modifiers);
    }
};

// The filter of the last bytes of a trimmed ending.
TTailFilter TailFilterOfEnding(const std::string& ending)
{
    // The bytes each of the ending's last two takes, the last first.
    std::vector<TByteSet> lastBytes;
    for (std::size_t i = ending.size(); i-- > 0 && lastBytes.size() < 2;) {
        lastBytes.emplace_back().set(static_cast<unsigned char>(ending[i]));
        if (ending[i] == static_cast<char>(kSmallYe)) {
            lastBytes.back().set(kSmallYo);
        }
    }
    return TTailFilter::OfLastBytes(lastBytes);
}

}  // namespace

TTailFilter PatternTailFilter(const std::string& query)
{
    const std::string pattern = TrimBlanks(query);
    if (pattern.empty()) {
        return {};
    }
    const std::optional<TWildcard> wildcard = TPatternParts(pattern).Wildcard();
    return wildcard ? wildcard->TailFilter() : TTailFilter();
}

TTailFilter EndingTailFilter(const std::string& query)
{
    return TailFilterOfEnding(TrimBlanks(query));
}

std::optional<TWordTest> PatternTest(const std::string& query)
{
    const std::string pattern = TrimBlanks(query);
    if (pattern.empty()) {
        return std::nullopt;
    }
    return TWordTest([pattern](const TRunSettings& settings, TRunControl& control, THitSet& hits) {
        const TPatternParts parts(pattern);
        const std::string& modifiers = parts.Modifiers;
        const std::string& expression = parts.Expression;
        // The wildcard cannot fail, so it may also run before the ipm test.
        if (const std::optional<TWildcard> wildcard = parts.Wildcard()) {
            auto matches = [&wildcard](std::string_view word) { return wildcard->Matches(word); };
            CollectWith<true>(settings, control, 0,
                              TTailFiltered<decltype(matches)>{wildcard->TailFilter(), matches},
                              hits);
        } else {
            CollectWith<false>(settings, control, 0, TEngineTest(modifiers, expression), hits);
        }
    });
}

TWordTest EndingTest(const std::string& query)
{
    return TWordTest([ending = TrimBlanks(query)](const TRunSettings& settings,
                                                  TRunControl& control, THitSet& hits) {
        const std::size_t length = ending.size();
        const char* const tail = ending.data();
        const TTailFilter tailFilter = TailFilterOfEnding(ending);
        const auto collect = [&](auto matches) {
            CollectWith<true>(settings, control, length,
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

TWordTest WordTest(std::size_t minLength, std::function<bool(std::string_view word)> matches,
                   bool copiesApart)
{
    return TWordTest([minLength, matches = std::move(matches), copiesApart](
                         const TRunSettings& settings, TRunControl& control, THitSet& hits) {
        if (copiesApart) {
            // Each thread tests with a copy of its own.
            CollectWith<true, true>(settings, control, minLength, matches, hits);
        } else {
            // The caller's test need not be safe to call from two threads.
            CollectWith<true, false>(settings, control, minLength, std::cref(matches), hits);
        }
    });
}

TWordTest PlacesTest(std::vector<std::vector<std::uint32_t>> places)
{
    return TWordTest([places = std::move(places)](const TRunSettings& settings,
                                                  TRunControl& control, THitSet& hits) {
        TRunBudget budget(control, settings.Given.TimeLimit, settings.Given.Clock);
        const auto every = [](std::string_view) { return true; };
        for (const TWalkRow& walkRow : TickedRows(control, hits)) {
            if (walkRow.Row >= places.size()) {
                continue;
            }
            const TWordList& words = DictWords[walkRow.Row];
            const TCountArray& counts = DictCounts[walkRow.Row];
            const double total = DictTotals[walkRow.Row];
            for (const std::uint32_t j : places[walkRow.Row]) {
                budget.Tick();
                ConsiderWord<true, true>(settings, 0, every, walkRow, j, words[j], counts, total,
                                         hits);
            }
        }
    });
}

TSearchRun::TSearchRun(TRunControl& control)
    : m_control(control)
    , m_settings{control.Settings(), 0.0}
{
    m_settings.MinIpm = StrToFloat(m_settings.Given.MinIpmText);
}

THitSet TSearchRun::Collect(const TWordTest& test)
{
    THitSet hits;
    test.Collect(m_settings, m_control, hits);
    return hits;
}
