#pragma once
// Tables of a run's hits for a spreadsheet or a terminal: one row per listed hit, or one row per
// word with its ipm in each dictionary side by side.

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "search/hit_listing.h"
#include "search/search_run.h"

enum class TTableFormat { Text, Tsv, Csv };

// One word of a side-by-side table, with its ipm in each column's dictionary; none where the
// dictionary does not list it.
struct TCompareRow
{
    std::string Word;
    std::vector<std::optional<double>> Ipms;
};

// The side-by-side rows of hits found in the dictionary rows columns (one column each, in that
// order): one row per distinct word, a word listed twice in one dictionary taking the larger ipm.
// Keeps the rows whose largest ipm reaches minIpm, ordered alphabetically (ListedBefore) or by
// falling largest ipm, equal ones alphabetically. Hits of other rows are ignored. tick, when
// given, is called again and again while the rows are made, often enough for a time limit of
// seconds; what it throws ends the work there.
std::vector<TCompareRow> CompareRows(std::span<const THitRecord> hits,
                                     std::span<const std::size_t> columns, double minIpm,
                                     bool alphabetical, const std::function<void()>& tick = {});

// The hits as a table of Tsv or Csv format: the header "word", "ipm", "count", "dictionary",
// then one line per hit with rowNames[hit.Row] as its dictionary. Words and names are in the
// bytes of the caller's choosing, the names spelled as SpellName spells them; lines are separated
// by lineBreak, with none after the last. A word or name that starts with "=", "+", "-", "@", a
// tab or a CR gets a "'" before it, so that a spreadsheet takes it as text, not as a formula;
// numbers are written as they are. Tsv writes the ipm as IpmText (decimal comma), a control byte
// (0x00 to 0x1F, 0x7F) as "\xNN" and a backslash in a word as "\\", as names are spelled;
// Csv follows RFC 4180: the ipm with a decimal point, and a field holding a comma, a double
// quote or a control byte put in double quotes, its double quotes doubled.
// With labelColumn given, a last column of that name holds each hit's Label.
std::string HitTableText(std::span<const THitRecord> hits, std::span<const std::string> rowNames,
                         TTableFormat format, std::string_view lineBreak,
                         std::string_view labelColumn = {});

// The side-by-side rows as a table, columnNames naming the ipm columns. Text: no header, each
// line "word = ipm1 | ipm2 | ...", IpmText or "-" where the word is absent. Tsv and Csv: the
// header "word" and the column names, then the word and its ipms, empty where absent, written as
// HitTableText writes them. Lines are separated by lineBreak, with none after the last.
std::string CompareTableText(std::span<const TCompareRow> rows,
                             std::span<const std::string> columnNames, TTableFormat format,
                             std::string_view lineBreak);
