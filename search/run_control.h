#pragma once
// What a search run needs from its caller while it walks the words: the settings, the rows to
// search, and whether to go on (the time limit, Esc).

#include <chrono>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>

#include "search/word_filter.h"

// The clock that times a search run.
using TSearchClock = std::chrono::steady_clock;

// A run that ended before its words were all walked, for a reason of the run's own rather than
// of its query. what() is the user's whole message.
class ESearchStopped : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A run that went on longer than its time limit.
class ESearchTimeLimit : public ESearchStopped
{
public:
    using ESearchStopped::ESearchStopped;
};

// A run that its caller cancelled (TRunControl::KeepGoing returned false). Front ends end the run
// quietly; what() says only that it was cancelled.
class ESearchCancelled : public ESearchStopped
{
public:
    using ESearchStopped::ESearchStopped;
};

// The options of one run as the front end holds them. Texts are Windows-1251.
struct TSearchSettings
{
    bool Alphabetical = false;       // list by word, each word once; else by falling ipm
    bool ShowIpm = false;            // follow each word with " = " and its ipm
    std::string MinIpmText = "0,0";  // the minimum ipm as typed, with a decimal comma
    // The longest a run may walk the words before it stops with ESearchTimeLimit; zero for no
    // limit.
    std::chrono::seconds TimeLimit{10};
    // Reads the time for the limit and for KeepGoing(); empty for TSearchClock::now(). Tests
    // give a clock of their own.
    std::function<TSearchClock::time_point()> Clock;
    // The length and syllable ranges a hit must also lie in, tested as the words are walked, so
    // that the listing and the found count agree; none by default.
    TWordFilter Filter;
    // The fewest words in the ticked rows for which a run walks them on two threads; fewer take
    // one.
    std::size_t TwoThreadsFrom = 200000;
};

// What a run reads from its caller. Row i is slot i of the word store.
class TRunControl
{
public:
    virtual ~TRunControl() = default;
    // The settings, read once as the run is made.
    virtual TSearchSettings Settings() const = 0;
    // The rows and which are ticked, read once as the walk starts.
    virtual std::size_t RowCount() const = 0;
    virtual bool RowTicked(std::size_t row) const = 0;
    // Called every few milliseconds while the run walks the words (and at least once per run that
    // walks any), on the calling thread, with the time since the walk started; returning false
    // ends the run with ESearchCancelled. A window handles its pending events here.
    virtual bool KeepGoing(TSearchClock::duration /*elapsed*/) { return true; }
};
