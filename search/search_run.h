#pragma once
// The two search runs: a pattern search through the regular-expression engine and an ending
// search, each over the ticked dictionaries, writing the listing back through a view.

#include <cstddef>
#include <string>

// What a search run reads from the front end and writes back to it. Texts are Windows-1251.
class TSearchView
{
public:
    virtual ~TSearchView() = default;

    // The settings, read once at the start of a run.
    virtual bool Alphabetical() const = 0;
    virtual bool ShowIpm() const = 0;
    virtual std::string MinIpmText() const = 0;

    // The dictionary rows; row i is slot i of the word store. Read while the run walks them.
    virtual std::size_t RowCount() const = 0;
    virtual bool RowTicked(std::size_t row) const = 0;

    // Puts the interim text into the pane and lets the front end repaint once.
    virtual void ShowInterim(const std::string& text) = 0;
    // Holds repaints of the pane until UnlockPane(); a run always unlocks, also after an error.
    virtual void LockPane() = 0;
    virtual void UnlockPane() = 0;
    // Replaces the pane's text with the listing (lines separated by CR LF).
    virtual void ShowListing(const std::string& listing) = 0;
    virtual void ShowFoundCount(const std::string& caption) = 0;
    virtual void Beep() = 0;
};

// Runs the pattern search for query: delimiter, expression, delimiter, modifier letters.
// A query that is empty after trimming does nothing. Throws EConvertError for the minimum and
// ERegExprError for the expression, at the points where they arise.
void PatternSearch(const std::string& query, TSearchView& view);

// Runs the ending search: lists the words that end with the trimmed query's bytes; an empty
// ending lists every word. Throws EConvertError for the minimum.
void EndingSearch(const std::string& query, TSearchView& view);

// "Найдено:" followed by the number of lines in listing (0 for the empty listing).
std::string FoundCountText(const std::string& listing);
