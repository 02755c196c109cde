// The command-line front end: argument parsing, the views it gives the core, and its output.

#include "cli/cli_app.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>

#include "cli/dict_commands.h"
#include "search/number_text.h"
#include "search/query.h"
#include "search/regexpr.h"
#include "search/search_run.h"
#include "wordstore/encoding.h"
#include "wordstore/path_utils.h"
#include "wordstore/word_store.h"

namespace {

constexpr const char* kVersion = "0.002";

constexpr const char* kUsage =
    "Usage: slovosito-cli [--dir DIR] --list\n"
    "       slovosito-cli [--dir DIR] [--dict NAME]... [--all] [--alpha] [--ipm] [--min TEXT]\n"
    "                     [--raw] (--ending | --mask | --regexp | --inexact) QUERY\n"
    "       slovosito-cli make-dict [--dir DIR] [--from-list | --from-text]\n"
    "                     [--encoding utf-8|cp1251] [--lower] [--keep-order] [--force]\n"
    "                     NAME FILE...\n"
    "       slovosito-cli check [--dir DIR]\n"
    "\n"
    "Finds Russian words in the frequency dictionaries of the folder \"Словари\" beside the\n"
    "program (or DIR) and lists them by frequency, largest first.\n"
    "\n"
    "  --list          list the dictionaries as \"name (N слов)\", one per line\n"
    "  --dict NAME     search the dictionary NAME (repeatable); without --dict and --all the\n"
    "                  first dictionary is searched\n"
    "  --all           search every dictionary\n"
    "  --alpha         list alphabetically, each word once\n"
    "  --ipm           follow each word with \" = \" and its instances per million\n"
    "  --min TEXT      the minimum instances per million, with a decimal comma (default 0,0)\n"
    "  --raw           print the listing as Windows-1251 with CR LF between lines\n"
    "  --ending Q      words that end in Q (an empty Q lists every word)\n"
    "  --mask Q        words that fit the mask Q: * any letters, ? one letter\n"
    "  --regexp Q      words that match /expression/modifiers (modifiers i r s g m x)\n"
    "  --inexact Q     as --mask, also accepting look-alike letters\n"
    "  --help          show this text\n"
    "  --version       show the version\n"
    "\n"
    "make-dict builds the dictionary NAME from frequency lists or texts; check tells why a\n"
    "dictionary of the folder is not listed. See \"slovosito-cli make-dict --help\" and\n"
    "\"slovosito-cli check --help\".\n"
    "\n"
    "Exit status: 0 when words were listed, 1 when none were, 2 on error (make-dict: 0 or 2;\n"
    "check: 0 when every candidate is listed, 1 when one is not).\n";

struct TCliOptions
{
    std::string Dir;
    bool List = false;
    bool Help = false;
    bool Version = false;
    std::vector<std::string> Dicts;  // UTF-8
    bool All = false;
    bool Alpha = false;
    bool Ipm = false;
    std::string Min = "0,0";  // UTF-8
    bool Raw = false;
    std::optional<TQueryMode> Mode;
    std::string Query;  // UTF-8
};

TCliOptions ParseArgs(const std::vector<std::string>& args)
{
    TCliOptions options;
    const auto setMode = [&options](TQueryMode mode, const std::string& query) {
        if (options.Mode) {
            throw EUsageError("only one of --ending, --mask, --regexp and --inexact may be given");
        }
        options.Mode = mode;
        options.Query = query;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--") && arg.find('=') != std::string::npos) {
            inlineValue = arg.substr(arg.find('=') + 1);
            arg.resize(arg.find('='));
        }
        const auto value = [&]() -> std::string {
            if (inlineValue) {
                return *inlineValue;
            }
            if (i + 1 >= args.size()) {
                throw EUsageError("option " + arg + " needs a value");
            }
            return args[++i];
        };
        const auto flag = [&](bool& target) {
            if (inlineValue) {
                throw EUsageError("option " + arg + " takes no value");
            }
            target = true;
        };
        if (arg == "--dir") {
            options.Dir = value();
        } else if (arg == "--dict") {
            options.Dicts.push_back(value());
        } else if (arg == "--min") {
            options.Min = value();
        } else if (arg == "--ending") {
            setMode(TQueryMode::Ending, value());
        } else if (arg == "--mask") {
            setMode(TQueryMode::Mask, value());
        } else if (arg == "--regexp") {
            setMode(TQueryMode::Regexp, value());
        } else if (arg == "--inexact") {
            setMode(TQueryMode::Inexact, value());
        } else if (arg == "--list") {
            flag(options.List);
        } else if (arg == "--all") {
            flag(options.All);
        } else if (arg == "--alpha") {
            flag(options.Alpha);
        } else if (arg == "--ipm") {
            flag(options.Ipm);
        } else if (arg == "--raw") {
            flag(options.Raw);
        } else if (arg == "--help" || arg == "-h") {
            flag(options.Help);
        } else if (arg == "--version") {
            flag(options.Version);
        } else {
            throw EUsageError("unknown argument " + arg + " (see --help)");
        }
    }
    if (!options.Help && !options.Version && !options.List && !options.Mode) {
        throw EUsageError(
            "give --list or one of --ending, --mask, --regexp, --inexact (see --help)");
    }
    return options;
}

// The front end's view of loading and of a search run.
class TCliView : public TLoadView, public TSearchView
{
public:
    TCliView(const TCliOptions& options, std::ostream& err)
        : m_options(options)
        , m_err(err)
    {}

    // Loading.
    void AddDictionaryRow(const std::string& name, const std::string& rowText) override
    {
        m_names.push_back(name);
        m_rows.push_back(rowText);
        m_ticked.push_back(false);
    }
    void WarnDamaged(const std::string& message) override { Report(message); }
    void ReportLoadError(const std::string& message) override { Report(message); }

    // A search run.
    TSearchSettings Settings() const override
    {
        return {m_options.Alpha, m_options.Ipm, ToCp1251(m_options.Min)};
    }
    std::size_t RowCount() const override { return m_rows.size(); }
    bool RowTicked(std::size_t row) const override { return m_ticked[row]; }
    void ShowListing(const std::string& listing) override { m_listing = listing; }

    const std::vector<std::string>& Rows() const { return m_rows; }
    const std::string& Listing() const { return m_listing; }

    // Ticks the rows the options name: each --dict, every row with --all, else row 0.
    void TickRows()
    {
        if (m_options.All) {
            m_ticked.assign(m_ticked.size(), true);
        }
        for (const std::string& wanted : m_options.Dicts) {
            const std::string name = ToCp1251Lossy(wanted);
            bool found = false;
            for (std::size_t row = 0; row < m_names.size(); ++row) {
                if (m_names[row] == name) {
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
    void Report(const std::string& message)
    {
        m_err << "slovosito-cli: " << ToUtf8(UserErrorText(message)) << '\n';
    }

    const TCliOptions& m_options;
    std::ostream& m_err;
    std::vector<std::string> m_names;
    std::vector<std::string> m_rows;
    std::vector<bool> m_ticked;
    std::string m_listing;
};

// Prints a listing of CR LF separated lines as UTF-8 lines, or its bytes as they are.
void PrintListing(const std::string& listing, bool raw, std::ostream& out)
{
    if (raw) {
        out << listing;
        return;
    }
    if (listing.empty()) {
        return;
    }
    std::string text = ToUtf8(listing);
    std::string lines;
    lines.reserve(text.size() + 1);
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
            continue;
        }
        lines.push_back(text[pos]);
    }
    lines.push_back('\n');
    out << lines;
}

int Run(const TCliOptions& options, std::ostream& out, std::ostream& err)
{
    std::string folder = DictionaryFolder();
    if (!options.Dir.empty()) {
        std::error_code error;
        if (!std::filesystem::is_directory(options.Dir, error)) {
            throw EUsageError("no such folder \"" + options.Dir + "\"");
        }
        folder = options.Dir;
    }
    TCliView view(options, err);
    ClearWordStore();
    ScanDictionaryFolder(folder, view);
    if (options.List) {
        for (const std::string& row : view.Rows()) {
            out << ToUtf8(row) << '\n';
        }
        return 0;
    }
    view.TickRows();
    RunSearchRow(*options.Mode, ToCp1251(options.Query), view);
    PrintListing(view.Listing(), options.Raw, out);
    out.flush();
    return view.Listing().empty() ? 1 : 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (!args.empty() && (args[0] == "make-dict" || args[0] == "check")) {
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        return args[0] == "make-dict" ? RunMakeDict(rest, out, err) : RunCheck(rest, out, err);
    }
    try {
        const TCliOptions options = ParseArgs(args);
        if (options.Help) {
            out << kUsage;
            return 0;
        }
        if (options.Version) {
            out << "slovosito-cli " << kVersion << '\n';
            return 0;
        }
        return Run(options, out, err);
    } catch (const EUsageError& e) {
        // Usage errors and encoding errors are already UTF-8.
        err << "slovosito-cli: " << e.what() << '\n';
    } catch (const EEncodingError& e) {
        err << "slovosito-cli: " << e.what() << '\n';
    } catch (const std::exception& e) {
        err << "slovosito-cli: " << ToUtf8(UserErrorText(e.what())) << '\n';
    }
    return 2;
}
