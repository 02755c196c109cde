// The command-line front end: the edge that picks a command and prints its errors, and the
// search command with the view it gives the core.

#include "cli/cli_app.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>
#include <ostream>
#include <string_view>

#include <unistd.h>

#include "cli/commands.h"
#include "cli/dict_commands.h"
#include "cli/dictionary_names.h"
#include "cli/listing_printer.h"
#include "cli/options.h"
#include "phonetics/listed_records.h"
#include "phonetics/rhyme_index.h"
#include "search/hit_listing.h"
#include "search/letter_search.h"
#include "search/number_text.h"
#include "search/query.h"
#include "search/run_budget.h"
#include "search/search_run.h"
#include "search/table_text.h"
#include "search/word_filter.h"
#include "slovosito_version.h"
#include "wordstore/dictionary_builder.h"
#include "wordstore/encoding.h"
#include "wordstore/file_io.h"
#include "wordstore/letters.h"
#include "wordstore/path_utils.h"
#include "wordstore/word_store.h"

namespace {

// The search's arguments, checked as a whole.
TCliArgs ReadSearchArgs(const std::vector<std::string>& args)
{
    const TCliArgs read = ReadArguments(kSearchCommand, args);
    const TSearchArgs& search = read.Search;
    if (!read.Help && !search.Version && !search.List && !search.Mode) {
        throw EUsageError("give --list or one of " + ModeOptionNames(kSearchCommand, ", ") +
                          " (see --help)");
    }
    if (search.Mode == TSearchMode::Rhyme && IsAllWhiteSpace(search.Query)) {
        throw EUsageError("option --rhyme needs a word");
    }
    if (search.Verbose && !search.List && !read.Help && !search.Version) {
        throw EUsageError("--verbose goes with --list (see --help)");
    }
    if (search.Near && search.Mode != TSearchMode::Rhyme && !read.Help && !search.Version) {
        throw EUsageError("--near goes with --rhyme (see --help)");
    }
    return read;
}

// The class filter of the options beside --headwords, which has a test of its own: with --pos,
// the dictionary forms of those parts of speech.
TClassFilter ClassFilter(const TSearchArgs& options)
{
    return {.Parts = options.Parts,
            .Headwords = options.Headwords && options.Parts != 0,
            .Known = options.Known,
            .NoNames = options.NoNames};
}

// The search row that runs a mode's search, for the modes the rows search.
std::optional<TQueryMode> RowModeOf(TSearchMode mode)
{
    switch (mode) {
        case TSearchMode::Ending:
            return TQueryMode::Ending;
        case TSearchMode::Mask:
            return TQueryMode::Mask;
        case TSearchMode::Regexp:
            return TQueryMode::Regexp;
        case TSearchMode::Inexact:
            return TQueryMode::Inexact;
        case TSearchMode::Anagram:
        case TSearchMode::FromLetters:
        case TSearchMode::Rhyme:
            break;
    }
    return std::nullopt;
}

// The typed word of --rhyme as Windows-1251: a combining acute accent (U+0301), which the code
// page lacks, becomes the "'" that marks the stress just as well.
std::string RhymeWordOf(const std::string& utf8)
{
    constexpr std::string_view kAcute = "\xCC\x81";
    std::string word;
    std::size_t from = 0;
    for (std::size_t pos = utf8.find(kAcute); pos != std::string::npos;
         pos = utf8.find(kAcute, from)) {
        word.append(utf8, from, pos - from);
        word += '\'';
        from = pos + kAcute.size();
    }
    word.append(utf8, from);
    return ToCp1251(word);
}

// The front end's view of loading and of a search run.
class TCliView : public TLoadView, public TRunControl
{
public:
    TCliView(const TSearchArgs& options, std::ostream& out, std::ostream& err)
        : m_options(options)
        , m_err(err)
        , m_printer(out, options.Raw)
    {
        if (options.Mode == TSearchMode::Rhyme) {
            m_rhymePlaces.emplace(RhymeWordOf(options.Query), options.Near, m_cachedIndexes);
        }
    }

    // Loading.
    void AddDictionaryRow(const TDictionaryRow& row) override
    {
        m_stems.push_back(row.Stem);
        m_wordListPaths.push_back(row.WordListPath);
        m_rows.push_back(TerminalRow(row.Stem, row.RowText));
        m_ticked.push_back(false);
    }
    // Only the dictionaries the run will tick: every one with --all, those --dict names, else
    // the first that loads; none for --list, which shows the rows only.
    bool WantsWords(const std::string& stem) const override
    {
        if (m_options.List) {
            return false;
        }
        if (m_options.All || (m_options.Dicts.empty() && m_rows.empty())) {
            return true;
        }
        return std::any_of(
            m_options.Dicts.begin(), m_options.Dicts.end(),
            [&stem](const std::string& wanted) { return NamesDictionary(wanted, stem); });
    }
    // One search and the program ends: the files are read where they lie.
    bool MapsFiles() const override { return true; }
    // A row's search finds only words its tail filter passes, so only those are loaded. The
    // index that the filters and stress marks read is made from all the words: they are loaded
    // unless it is in the cache. A query the search refuses is refused after loading, as ever,
    // so it loads every word.
    TTailFilter KeptWords(const std::string& path) override
    {
        const std::optional<TQueryMode> row =
            m_options.Mode ? RowModeOf(*m_options.Mode) : std::nullopt;
        if (!row) {
            return {};
        }
        TTailFilter filter;
        try {
            filter = RowTailFilter(*row, ToCp1251(m_options.Query));
        } catch (const std::exception&) {
            return {};
        }
        if (filter.MinSize > 0 && ReadsIndex() && m_cachedIndexes.Open(path) == nullptr) {
            return {};
        }
        return filter;
    }
    // A rhyme search finds only the words its index names, so only those are loaded when the
    // index is in the cache.
    std::optional<TKeptPlaces> KeptPlaces(const std::string& path,
                                          const TWordFinder& words) override
    {
        return m_rhymePlaces ? m_rhymePlaces->PlacesIn(path, words) : std::nullopt;
    }
    void WarnDamaged(const std::string& message) override { Report(message); }
    void ReportLoadError(const std::string& message) override { Report(message); }
    void ReportFolderError(const std::string& message) override { m_folderError = message; }

    // A search run.
    TSearchSettings Settings() const override
    {
        TSearchSettings settings;
        settings.Alphabetical = m_options.Alpha;
        settings.ShowIpm = m_options.Ipm;
        settings.MinIpmText = ToCp1251(m_options.Min);
        // Side by side, a word is kept when its largest ipm reaches the minimum, so the run
        // gives every hit, in every dictionary.
        if (m_options.Compare) {
            settings.Alphabetical = false;
            // Moved in whole: assigning the literal trips GCC 12's false -Wrestrict.
            settings.MinIpmText = std::string("0");
        }
        settings.TimeLimit = m_options.TimeLimit;
        settings.Filter = m_options.Filter;
        // Letter games list words of two letters or more unless told otherwise.
        if (m_options.Mode == TSearchMode::FromLetters && !settings.Filter.Length) {
            settings.Filter.Length = TCountRange{.Min = 2};
        }
        std::vector<std::function<bool(std::size_t, std::size_t)>> tests;
        if (m_options.Headwords) {
            tests.push_back(HeadwordTest(m_rhymes));
        }
        if (const TClassFilter classes = ClassFilter(m_options);
            classes.Parts != 0 || classes.Known || classes.NoNames) {
            tests.push_back(ClassTest(m_rhymes, classes));
        }
        if (m_options.StressPlace) {
            tests.push_back(StressPlaceTest(m_rhymes, *m_options.StressPlace));
        }
        settings.Filter.KeepAll(std::move(tests));
        return settings;
    }
    std::size_t RowCount() const override { return m_rows.size(); }
    bool RowTicked(std::size_t row) const override { return m_ticked[row]; }
    // A table is made of the records; a listing goes to the terminal as it is written, unless
    // its lines are ordered by tier or spelled with their stress.
    bool WantsTable() const { return m_options.Compare || m_options.Format != TTableFormat::Text; }
    void ListHits(const THitSet& hits, const TSearchSettings& settings,
                  const TRhymeSearch* rhymeSearch)
    {
        if (!WantsTable() && rhymeSearch == nullptr && !m_options.Stress && !m_options.ByLength) {
            WriteHitListing(hits, settings.Alphabetical, settings.ShowIpm,
                            [this](std::string_view block) { m_printer.Print(block); });
            return;
        }
        m_records = ListedRecords(hits, settings.Alphabetical, rhymeSearch,
                                  m_options.Stress ? &m_rhymes : nullptr, m_options.ByLength);
        if (rhymeSearch != nullptr) {
            m_exactRhymes = static_cast<std::size_t>(
                std::count_if(m_records.begin(), m_records.end(), [](const THitRecord& record) {
                    return record.Label != TierName(TRhymeTier::Near);
                }));
        }
        if (!WantsTable()) {
            WriteRecordListing(m_records, settings.ShowIpm,
                               [this](std::string_view block) { m_printer.Print(block); });
        }
    }
    // How many rich and exact rhymes ListHits listed.
    std::size_t ExactRhymes() const { return m_exactRhymes; }

    // The rows as the terminal shows them, UTF-8.
    const std::vector<std::string>& Rows() const { return m_rows; }
    // Why the folder could not be listed; empty when it could.
    const std::string& FolderError() const { return m_folderError; }
    TListingPrinter& Printer() { return m_printer; }
    const std::vector<THitRecord>& HitRecords() const { return m_records; }
    const std::vector<std::string>& Stems() const { return m_stems; }
    // The ticked rows, in row order.
    std::vector<std::size_t> TickedRows() const
    {
        std::vector<std::size_t> rows;
        for (std::size_t row = 0; row < m_ticked.size(); ++row) {
            if (m_ticked[row]) {
                rows.push_back(row);
            }
        }
        return rows;
    }

    // The rhyme index of the loaded rows, built or loaded from the user's cache, with its
    // progress on err when that is a terminal. Returns false when it was not finished.
    bool IndexRhymes(bool showProgress)
    {
        m_rhymes.Start(m_wordListPaths, RhymeCacheFolder(), TBuildPriority::Normal,
                       m_cachedIndexes.Take());
        int shown = -1;
        const bool ready = m_rhymes.Wait([&](double fraction) {
            const int percent = static_cast<int>(fraction * 100);
            if (showProgress && percent != shown) {
                shown = percent;
                m_err << "\rиндекс рифм: " << percent << " %" << std::flush;
            }
            return true;
        });
        if (showProgress && shown >= 0) {
            m_err << "\r\033[K" << std::flush;
        }
        for (const std::string& warning : m_rhymes.TakeWarnings()) {
            Report(warning);
        }
        return ready;
    }
    TRhymeIndex& Rhymes() { return m_rhymes; }
    // Whether the search reads the rhyme index: a rhyme search, or one with its filters or stress
    // marks.
    bool ReadsIndex() const
    {
        return m_options.Mode == TSearchMode::Rhyme || m_options.Headwords || m_options.Stress ||
               m_options.StressPlace || ClassFilter(m_options).Active();
    }
    // The typed rhyme word's keys, when an index gave them as the words were loaded.
    std::optional<std::vector<std::string>> RhymeKeys() const
    {
        return m_rhymePlaces ? m_rhymePlaces->Keys() : std::nullopt;
    }

    // Ticks the rows the options name: each --dict, every row with --all, else row 0.
    void TickRows()
    {
        if (m_options.All) {
            m_ticked.assign(m_ticked.size(), true);
        }
        for (const std::string& wanted : m_options.Dicts) {
            bool found = false;
            for (std::size_t row = 0; row < m_stems.size(); ++row) {
                if (NamesDictionary(wanted, m_stems[row])) {
                    m_ticked[row] = found = true;
                }
            }
            if (!found) {
                throw EUsageError("no dictionary named \"" + wanted + "\" (see --list)");
            }
        }
        if (!m_options.All && m_options.Dicts.empty() && !m_ticked.empty()) {
            m_ticked[0] = true;
        }
    }

private:
    void Report(const std::string& message) { PrintError(m_err, ToUtf8(UserErrorText(message))); }

    const TSearchArgs& m_options;
    std::ostream& m_err;
    std::vector<std::string> m_stems;
    std::vector<std::string> m_wordListPaths;
    std::vector<std::string> m_rows;
    std::vector<bool> m_ticked;
    TListingPrinter m_printer;
    std::vector<THitRecord> m_records;
    std::size_t m_exactRhymes = 0;
    std::string m_folderError;
    TRhymeIndex m_rhymes;
    TCachedIndexes m_cachedIndexes;
    std::optional<TRhymePlaces> m_rhymePlaces;
};

// The test of the search the options give; none for a query that searches nothing. A rhyme
// search is rhymeSearch's.
std::optional<TWordTest> WordTestOf(const TSearchArgs& options,
                                    const std::optional<TRhymeSearch>& rhymeSearch)
{
    // The rhyme's word may hold an accent the code page lacks; it converts on its own.
    const auto query = [&options] { return ToCp1251(options.Query); };
    if (const std::optional<TQueryMode> row = RowModeOf(*options.Mode)) {
        return RowTest(*row, query());
    }
    switch (*options.Mode) {
        case TSearchMode::Ending:
        case TSearchMode::Mask:
        case TSearchMode::Regexp:
        case TSearchMode::Inexact:
            break;
        case TSearchMode::Anagram:
            return LetterTest(TLetterMode::Anagram, query());
        case TSearchMode::FromLetters:
            return LetterTest(TLetterMode::FromLetters, query());
        case TSearchMode::Rhyme:
            return rhymeSearch->Test();
    }
    return std::nullopt;
}

// Prints a table of lines separated by lineBreak as PrintListing prints a listing.
void PrintTable(const std::string& table, bool raw, std::ostream& out)
{
    out << table;
    if (!raw && !table.empty()) {
        out << '\n';
    }
}

// Prints the search's hits as the options' table; returns the exit status. The side-by-side
// rows are made within budget, the search's own.
int PrintHitTable(const TSearchArgs& options, const TCliView& view, TRunBudget& budget,
                  std::ostream& out)
{
    // Words and names go out in the output's bytes: UTF-8 as spelled elsewhere on the terminal,
    // or the core's Windows-1251.
    const auto word = [&options](const std::string& bytes) {
        return options.Raw ? bytes : ToUtf8(bytes);
    };
    const auto name = [&options](const std::string& stem) {
        return options.Raw ? DictionaryName(stem) : SpellName(stem);
    };
    const std::string lineBreak = options.Raw ? "\r\n" : "\n";
    if (options.Compare) {
        const std::vector<std::size_t> columns = view.TickedRows();
        std::vector<TCompareRow> rows =
            CompareRows(view.HitRecords(), columns, StrToFloat(ToCp1251(options.Min)),
                        options.Alpha, [&budget] { budget.Check(); });
        budget.Check();
        std::vector<std::string> names;
        for (const std::size_t row : columns) {
            names.push_back(name(view.Stems()[row]));
        }
        for (TCompareRow& row : rows) {
            row.Word = word(row.Word);
        }
        PrintTable(CompareTableText(rows, names, options.Format, lineBreak), options.Raw, out);
        return rows.empty() ? 1 : 0;
    }
    std::vector<THitRecord> hits = view.HitRecords();
    std::vector<std::string> names;
    for (const std::string& stem : view.Stems()) {
        names.push_back(name(stem));
    }
    for (THitRecord& hit : hits) {
        hit.Word = word(hit.Word);
    }
    const std::string_view labels = options.Mode == TSearchMode::Rhyme ? "tier" : "";
    PrintTable(HitTableText(hits, names, options.Format, lineBreak, labels), options.Raw, out);
    return hits.empty() ? 1 : 0;
}

int RunSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const TCliArgs read = ReadSearchArgs(args);
    const TSearchArgs& options = read.Search;
    if (read.Help) {
        out << HelpText(kSearchCommand);
        return 0;
    }
    if (options.Version) {
        out << "slovosito-cli " << kSlovositoVersion << '\n';
        return 0;
    }
    const TDictionaryFolder folder = DictionaryFolderFor(read.Dir, err);
    TCliView view(options, out, err);
    ClearWordStore();
    ScanDictionaryFolder(folder.Path, view);
    if (!view.FolderError().empty()) {
        throw EFileError(view.FolderError());
    }
    if (options.List) {
        if (options.Verbose) {
            out << "folder: " << folder.Path << " (" << FolderChoiceText(folder) << ")\n";
        }
        for (const std::string& row : view.Rows()) {
            out << row << '\n';
        }
        return 0;
    }
    view.TickRows();
    if (options.Compare && view.TickedRows().size() < 2) {
        throw EUsageError("--compare needs two or more dictionaries (give --dict twice or --all)");
    }
    const bool rhyme = options.Mode == TSearchMode::Rhyme;
    if (view.ReadsIndex() && !view.IndexRhymes(isatty(2) == 1)) {
        return 2;
    }
    std::optional<TRhymeSearch> rhymeSearch;
    if (rhyme) {
        rhymeSearch.emplace(RhymeWordOf(options.Query), view.Rhymes(), options.Near,
                            view.RhymeKeys());
    }
    const std::optional<TWordTest> test = WordTestOf(options, rhymeSearch);
    // The time limit counts from here for the table of a --compare too, which can take longer
    // to make than the search.
    TRunBudget budget(view, options.TimeLimit, {});
    if (test) {
        TSearchRun run(view);
        view.ListHits(run.Collect(*test), run.Settings(), rhymeSearch ? &*rhymeSearch : nullptr);
    }
    if (rhymeSearch && rhymeSearch->HasKey() && !options.Near && view.ExactRhymes() == 0) {
        PrintError(err, "no exact rhyme to \"" + options.Query +
                            "\" is listed; --near lists the near rhymes too");
    }
    if (view.WantsTable()) {
        const int status = PrintHitTable(options, view, budget, out);
        out.flush();
        return status;
    }
    view.Printer().Finish();
    out.flush();
    return view.Printer().PrintedAny() ? 0 : 1;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        if (!args.empty() && (args[0] == kMakeDictCommand.Name || args[0] == kCheckCommand.Name)) {
            const std::vector<std::string> rest(args.begin() + 1, args.end());
            return args[0] == kMakeDictCommand.Name ? RunMakeDict(rest, out, err)
                                                    : RunCheck(rest, out, err);
        }
        return RunSearch(args, out, err);
    } catch (const EUsageError& e) {
        // Usage errors and encoding errors are already UTF-8.
        PrintError(err, e.what());
    } catch (const EEncodingError& e) {
        PrintError(err, e.what());
    } catch (const ENoSuchFolder& e) {
        // The folder is named in the bytes it was typed in.
        PrintError(err, e.what());
    } catch (const EPairExistsError& e) {
        PrintError(err, ToUtf8(e.what()) + " (give --force to replace it)");
    } catch (const std::exception& e) {
        PrintError(err, ToUtf8(UserErrorText(e.what())));
    }
    return 2;
}
