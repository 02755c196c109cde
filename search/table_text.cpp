// Tables of a run's hits: the side-by-side rows and the TSV, CSV and text writing.

#include "search/table_text.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

#include "search/number_text.h"
#include "search/word_order.h"

namespace {

std::string IpmField(double ipm, TTableFormat format)
{
    std::string text = IpmText(ipm);
    // A spreadsheet reading CSV takes the point whatever its locale; TSV is pasted, and shows
    // what the listing shows.
    if (format == TTableFormat::Csv) {
        std::replace(text.begin(), text.end(), ',', '.');
    }
    return text;
}

bool IsControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// A text cell as a spreadsheet must take it. A spreadsheet runs a cell that starts with "=",
// "+", "-" or "@" as a formula (some drop a leading tab or CR first), and a downloaded list may
// hold any such word: a "'" before it keeps the cell text. In TSV, where nothing can be quoted, a
// control byte becomes
// "\xNN" so that every row keeps its columns, and, unless the text is spelled already, a
// backslash "\\": the spelling of dictionary names.
std::string TextCell(std::string_view text, TTableFormat format, bool spelled)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string cell;
    if (!text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        cell.push_back('\'');
    }
    if (format != TTableFormat::Tsv) {
        cell.append(text);
        return cell;
    }
    for (const char c : text) {
        if (IsControl(c)) {
            const auto byte = static_cast<unsigned char>(c);
            cell += "\\x";
            cell += kHex[byte >> 4];
            cell += kHex[byte & 0x0F];
        } else if (c == '\\' && !spelled) {
            cell += "\\\\";
        } else {
            cell.push_back(c);
        }
    }
    return cell;
}

void AppendField(std::string& line, std::string_view field, TTableFormat format)
{
    const bool quote = std::any_of(field.begin(), field.end(),
                                   [](char c) { return c == ',' || c == '"' || IsControl(c); });
    if (format == TTableFormat::Csv && quote) {
        line.push_back('"');
        for (const char c : field) {
            if (c == '"') {
                line.push_back('"');
            }
            line.push_back(c);
        }
        line.push_back('"');
    } else {
        line.append(field);
    }
}

// Appends the fields as one line, after lineBreak unless it is the table's first line.
void AppendLine(std::string& table, std::span<const std::string> fields, TTableFormat format,
                std::string_view lineBreak)
{
    if (!table.empty()) {
        table.append(lineBreak);
    }
    const char separator = format == TTableFormat::Csv ? ',' : '\t';
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0) {
            table.push_back(separator);
        }
        AppendField(table, fields[i], format);
    }
}

}  // namespace

std::vector<TCompareRow> CompareRows(std::span<const THitRecord> hits,
                                     std::span<const std::size_t> columns, double minIpm,
                                     bool alphabetical, const std::function<void()>& tick)
{
    // Millions of hits take seconds to gather and sort: the tick is asked every so many steps
    // of both, so that a time limit can end the work part way.
    constexpr std::size_t kStepsPerTick = 1 << 14;
    std::size_t stepsToTick = kStepsPerTick;
    const auto step = [&] {
        if (--stepsToTick == 0) {
            stepsToTick = kStepsPerTick;
            if (tick) {
                tick();
            }
        }
    };
    std::vector<TCompareRow> rows;
    std::vector<double> largest;  // of each row's ipms
    std::unordered_map<std::string_view, std::size_t> rowOfWord;
    for (const THitRecord& hit : hits) {
        step();
        const auto column = std::find(columns.begin(), columns.end(), hit.Row);
        if (column == columns.end()) {
            continue;
        }
        auto [place, added] = rowOfWord.try_emplace(hit.Word, rows.size());
        if (added) {
            rows.push_back({hit.Word, std::vector<std::optional<double>>(columns.size())});
            largest.push_back(hit.Ipm);
        }
        std::optional<double>& ipm = rows[place->second].Ipms[column - columns.begin()];
        if (!ipm || hit.Ipm > *ipm) {
            ipm = hit.Ipm;
        }
        largest[place->second] = std::max(largest[place->second], hit.Ipm);
    }
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (largest[i] >= minIpm) {
            order.push_back(i);
        }
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        step();
        if (!alphabetical && largest[a] != largest[b]) {
            return largest[a] > largest[b];
        }
        return ListedBefore(rows[a].Word, rows[b].Word);
    });
    std::vector<TCompareRow> kept;
    kept.reserve(order.size());
    for (const std::size_t i : order) {
        kept.push_back(std::move(rows[i]));
    }
    return kept;
}

std::string HitTableText(std::span<const THitRecord> hits, std::span<const std::string> rowNames,
                         TTableFormat format, std::string_view lineBreak,
                         std::string_view labelColumn)
{
    std::string table;
    std::vector<std::string> fields = {"word", "ipm", "count", "dictionary"};
    if (!labelColumn.empty()) {
        fields.emplace_back(TextCell(labelColumn, format, true));
    }
    AppendLine(table, fields, format, lineBreak);
    for (const THitRecord& hit : hits) {
        fields = {TextCell(hit.Word, format, false), IpmField(hit.Ipm, format),
                  std::to_string(hit.Count), TextCell(rowNames[hit.Row], format, true)};
        if (!labelColumn.empty()) {
            fields.push_back(TextCell(hit.Label, format, true));
        }
        AppendLine(table, fields, format, lineBreak);
    }
    return table;
}

std::string CompareTableText(std::span<const TCompareRow> rows,
                             std::span<const std::string> columnNames, TTableFormat format,
                             std::string_view lineBreak)
{
    std::string table;
    if (format == TTableFormat::Text) {
        for (const TCompareRow& row : rows) {
            if (!table.empty()) {
                table.append(lineBreak);
            }
            table.append(row.Word);
            for (std::size_t i = 0; i < row.Ipms.size(); ++i) {
                table.append(i == 0 ? " = " : " | ");
                table.append(row.Ipms[i] ? IpmText(*row.Ipms[i]) : "-");
            }
        }
        return table;
    }
    std::vector<std::string> fields = {"word"};
    for (const std::string& name : columnNames) {
        fields.push_back(TextCell(name, format, true));
    }
    AppendLine(table, fields, format, lineBreak);
    for (const TCompareRow& row : rows) {
        fields.assign(1, TextCell(row.Word, format, false));
        for (const std::optional<double>& ipm : row.Ipms) {
            fields.push_back(ipm ? IpmField(*ipm, format) : std::string());
        }
        AppendLine(table, fields, format, lineBreak);
    }
    return table;
}
