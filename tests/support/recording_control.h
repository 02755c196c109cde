#pragma once
// Test support: the one run control of the tests, with settings, ticks and going on as a test
// sets them, and the listing a run of a word test gives, written as the front ends write it.
// Header-only and free of GoogleTest, so that the benchmarks and fuzz targets can use it too.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/hit_listing.h"
#include "search/search_run.h"
#include "wordstore/encoding.h"

// Settings and ticks as the test sets them, and the times KeepGoing() was given.
class TRecordingControl : public TRunControl
{
public:
    TSearchSettings Given;
    std::vector<bool> Ticked;
    // Answers KeepGoing() after it is recorded; empty to go on.
    std::function<bool(TSearchClock::duration elapsed)> OnKeepGoing;
    std::vector<TSearchClock::duration> Polls;

    TSearchSettings Settings() const override { return Given; }
    std::size_t RowCount() const override { return Ticked.size(); }
    bool RowTicked(std::size_t row) const override { return Ticked.at(row); }
    bool KeepGoing(TSearchClock::duration elapsed) override
    {
        Polls.push_back(elapsed);
        return !OnKeepGoing || OnKeepGoing(elapsed);
    }
};

// What a run listed: the listing (UTF-8, lines separated by CR LF), its number of lines, and,
// when asked for, its hits as records.
struct TRunListing
{
    std::string Text;
    std::size_t Lines = 0;
    std::vector<THitRecord> Records;

    // The listing's lines.
    std::vector<std::string> LineList() const
    {
        std::vector<std::string> lines;
        for (std::size_t start = 0; start < Text.size();) {
            std::size_t end = Text.find("\r\n", start);
            if (end == std::string::npos) {
                end = Text.size();
            }
            lines.push_back(Text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
};

// Runs test through control and writes its listing in the control's order, in the pieces
// WriteHitListing gives; withRecords also asks for the hit list, as the window does, and gives
// its records. Throws what the run throws.
inline TRunListing ListRun(const TWordTest& test, TRunControl& control, bool withRecords = false)
{
    TSearchRun run(control);
    const THitSet hits = run.Collect(test);
    std::string listing;
    THitList list;
    TRunListing result;
    result.Lines = WriteHitListing(
        hits, run.Settings().Alphabetical, run.Settings().ShowIpm,
        [&listing](std::string_view block) { listing += block; }, withRecords ? &list : nullptr);
    result.Text = ToUtf8(listing);
    if (withRecords) {
        result.Records = list.Records();
    }
    return result;
}
