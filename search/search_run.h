#pragma once
// A search run: a word test walked over the ticked dictionaries within the time limit, collecting
// the hits. The front ends decide what to show of them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/hit_set.h"
#include "search/run_control.h"
#include "wordstore/tail_filter.h"

// The settings of one run as it walks: the control's, with the minimum read from its text.
struct TRunSettings
{
    TSearchSettings Given;
    double MinIpm = 0.0;
};

// Which words a run lists, and how it walks the store for them. Cheap to copy; made by the
// functions below.
class TWordTest
{
public:
    // Collects into hits the words of the ticked rows that pass the test, the minimum and the
    // ranges, within the budget that control and settings give.
    using TCollect =
        std::function<void(const TRunSettings& settings, TRunControl& control, THitSet& hits)>;

    explicit TWordTest(TCollect collect)
        : m_collect(std::make_shared<const TCollect>(std::move(collect)))
    {}

    void Collect(const TRunSettings& settings, TRunControl& control, THitSet& hits) const
    {
        (*m_collect)(settings, control, hits);
    }

private:
    std::shared_ptr<const TCollect> m_collect;
};

// The words that match a pattern query: delimiter, expression, delimiter, modifier letters.
// Nothing for a query that is empty after trimming. A run of it throws ERegExprError for the
// modifiers as it starts, and for the expression at the first word that passes the minimum.
std::optional<TWordTest> PatternTest(const std::string& query);

// The words that end with the trimmed query's bytes, where an е of the query also takes ё; an
// empty ending takes every word.
TWordTest EndingTest(const std::string& query);

// The filters of the last bytes by which PatternTest(query) and EndingTest(query) turn words
// away before their own test (see TTailFilter); one that passes every word for a test without.
TTailFilter PatternTailFilter(const std::string& query);
TTailFilter EndingTailFilter(const std::string& query);

// The words of at least minLength bytes for which matches(word) holds. matches may be called
// before the ipm test, must not throw, and must give the same answer for the same word. With
// copiesApart, a copy of matches may test words on a second thread beside the run's own on a
// large store, so copies must share nothing they change; without it one thread calls matches.
TWordTest WordTest(std::size_t minLength, std::function<bool(std::string_view word)> matches,
                   bool copiesApart);

// The words at places: places[row] holds places of words in dictionary row, rising; rows past its
// end have none. Only these words are walked, so a run over few of them costs little however big
// the dictionaries.
TWordTest PlacesTest(std::vector<std::vector<std::uint32_t>> places);

// One run over the word store as it is.
class TSearchRun
{
public:
    // Reads the control's settings. Throws EConvertError for the minimum, before anything else.
    explicit TSearchRun(TRunControl& control);

    const TSearchSettings& Settings() const { return m_settings.Given; }

    // Collects the hits of test over the rows the control ticks, read as the walk starts. Throws
    // what the test throws (ERegExprError), ESearchTimeLimit ("Search stopped after N s: the
    // expression is too costly. Simplify it or search fewer dictionaries") when the words take
    // longer than the settings' limit, and ESearchCancelled when the control's KeepGoing()
    // returns false.
    THitSet Collect(const TWordTest& test);

private:
    TRunControl& m_control;
    TRunSettings m_settings;
};
