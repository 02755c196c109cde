#pragma once
// The two search runs: a pattern search through the regular-expression engine and an ending
// search, each over the ticked dictionaries within a time limit, writing the listing back
// through a view.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "search/hit_listing.h"
#include "search/word_filter.h"

// A run that went on longer than its time limit. what() is the user's whole message.
class ESearchTimeLimit : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A run that its front end cancelled (TSearchView::KeepGoing returned false). Front ends end the
// run quietly; what() says only that it was cancelled.
class ESearchCancelled : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The clock that times a search run.
using TSearchClock = std::chrono::steady_clock;

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
    // The length and syllable ranges a hit must also lie in, tested before a hit is ordered, so
    // that the listing and the found count agree; none by default.
    TWordFilter Filter;
    // The fewest words in the ticked dictionaries for which a pattern or ending search walks them
    // on two threads; fewer take one.
    std::size_t TwoThreadsFrom = 200000;
};

// What a search run reads from the front end and writes back to it. Texts are Windows-1251.
// A front end implements the reads and ShowListing; the display hooks that only a window needs
// do nothing unless overridden. A run calls, in this order: Settings(), ShowInterim(),
// LockPane(), the row reads with KeepGoing() among them, ShowListing() (or BeginListingBlocks(),
// ShowListingBlock() for each piece, EndListingBlocks()), ShowFoundCount(),
// UnlockPane(), Beep(); an error ends it early, though after LockPane() always with
// UnlockPane(). A blank pattern query calls nothing.
class TSearchView
{
public:
    virtual ~TSearchView() = default;

    // The settings, read once at the start of a run, before the pane changes.
    virtual TSearchSettings Settings() const = 0;

    // The dictionary rows; row i is slot i of the word store. Read once as the walk starts,
    // after ShowInterim(), so a tick the front end takes in then counts; a tick taken later,
    // during KeepGoing(), counts from the next run.
    virtual std::size_t RowCount() const = 0;
    virtual bool RowTicked(std::size_t row) const = 0;

    // Replaces the pane's text with the listing (lines separated by CR LF).
    virtual void ShowListing(const std::string& listing) = 0;

    // Puts the interim text into the pane and lets the front end repaint once.
    virtual void ShowInterim(const std::string& /*text*/) {}
    // Holds repaints of the pane until UnlockPane().
    virtual void LockPane() {}
    virtual void UnlockPane() {}
    // The caption "Найдено:N" for the listing just shown.
    virtual void ShowFoundCount(const std::string& /*caption*/) {}
    // A run that completed without an error ends with it.
    virtual void Beep() {}
    // Called every few milliseconds while the run walks the words (and at least once per run
    // that walks any), with the time since the run started; returning false ends the run with
    // ESearchCancelled. A window handles its pending events here, so that it stays responsive.
    virtual bool KeepGoing(TSearchClock::duration /*elapsed*/) { return true; }

    // Whether the run gives the listing in blocks through ShowListingBlock() instead of whole
    // through ShowListing(), read once with Settings(). A big listing then never stands whole in
    // memory.
    virtual bool WantsListingBlocks() const { return false; }
    // When WantsListingBlocks(): called, where ShowListing() would be, with consecutive pieces of
    // the listing, in order; together they are the text ShowListing() would get. A piece may end
    // anywhere, even inside a line break; an empty listing gives no piece.
    virtual void ShowListingBlock(std::string_view /*block*/) {}
    // When WantsListingBlocks(): called before the first piece, also for an empty listing, with
    // an upper bound of the listing's bytes, so that a view that keeps it can take its memory at
    // once; and after the last piece.
    virtual void BeginListingBlocks(std::size_t /*sizeBound*/) {}
    virtual void EndListingBlocks() {}

    // Whether the run also gives its hits as records, read once with Settings(); a run that
    // gives none pays nothing for them.
    virtual bool WantsHitRecords() const { return false; }
    // When WantsHitRecords(): called right after the listing with one record per line of the
    // listing, in the listing's order.
    virtual void ShowHitRecords(std::vector<THitRecord> /*records*/) {}

    // Whether the run gives its hits as a THitList instead, read once with Settings(): records
    // made only when the front end asks, for one that seldom does.
    virtual bool WantsHitList() const { return false; }
    // When WantsHitList(): called right after the listing with its hits, in the listing's order.
    virtual void ShowHitList(THitList /*hits*/) {}
};

// Runs the pattern search for query: delimiter, expression, delimiter, modifier letters.
// A query that is empty after trimming does nothing. Throws EConvertError for the minimum and
// ERegExprError for the expression, at the points where they arise; ESearchTimeLimit
// ("Search stopped after N s: the expression is too costly. Simplify it or search fewer
// dictionaries") when the words take longer than the settings' limit, and ESearchCancelled when
// the view's KeepGoing() returns false.
void PatternSearch(const std::string& query, TSearchView& view);

// Runs the ending search: lists the words that end with the trimmed query's bytes, where an е
// of the query also takes ё; an empty ending lists every word. Throws EConvertError for the
// minimum, and ESearchTimeLimit and ESearchCancelled as PatternSearch does.
void EndingSearch(const std::string& query, TSearchView& view);

// Runs a search that lists the words for which matches(word) holds, over the ticked dictionaries
// as the ending search walks them, with its minimum, orders, listing and time limit. matches is
// called only for words that reach the minimum length, may be called before the ipm test, must
// not throw, and must give the same answer for the same word. With copiesApart, a copy of matches
// may test words on a second thread beside the run's own on a large store, as the pattern search
// does, so copies must share nothing they change; without it one thread calls matches. Throws
// EConvertError for the minimum, and ESearchTimeLimit and ESearchCancelled as PatternSearch does.
void WordTestSearch(std::size_t minLength,
                    const std::function<bool(std::string_view word)>& matches, TSearchView& view,
                    bool copiesApart = false);

// As WordTestSearch, but matches also gets the word's dictionary row and its index in the row,
// for tests that read what an index holds for each word.
void PlacedWordTestSearch(
    std::size_t minLength,
    const std::function<bool(std::string_view word, std::size_t row, std::size_t index)>& matches,
    TSearchView& view);

// "Найдено:" followed by the number of lines in listing (0 for the empty listing).
std::string FoundCountText(const std::string& listing);

// Runs a search that lists the words at places, over the ticked dictionaries, with the minimum,
// filter, orders, listing and time limit of the other runs: places[row] holds places of words in
// dictionary row, rising; rows past its end have none. Only these words are walked, so a run over
// few of them costs little however big the dictionaries. Throws EConvertError for the minimum,
// and ESearchTimeLimit and ESearchCancelled as PatternSearch does.
void PlacesSearch(const std::vector<std::vector<std::uint32_t>>& places, TSearchView& view);
