// The dictionary commands of slovosito-cli: their arguments, and the report they print.

#include "cli/dict_commands.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <stdexcept>

#include "cli/cli_app.h"
#include "search/number_text.h"
#include "wordstore/dictionary_builder.h"
#include "wordstore/dictionary_check.h"
#include "wordstore/encoding.h"
#include "wordstore/path_utils.h"

namespace {

constexpr const char* kMakeDictUsage =
    "Usage: slovosito-cli make-dict [--dir DIR] [--from-list | --from-text]\n"
    "                               [--encoding utf-8|cp1251] [--lower] [--keep-order] [--force]\n"
    "                               NAME FILE...\n"
    "\n"
    "Makes the dictionary NAME from frequency lists or texts: writes NAME.txt and NAME.txt.cnt\n"
    "into the folder \"Словари\" beside the program (or DIR). A FILE \"-\" is the standard input.\n"
    "\n"
    "  --from-list     each line is \"word count\", \"word<TAB>count\" or \"count word\" (the\n"
    "                  default); blank lines and lines starting with \"#\" are skipped\n"
    "  --from-text     count the words of running text: Cyrillic or Latin letters, with single\n"
    "                  hyphens inside (\"кто-то\")\n"
    "  --encoding E    the files are utf-8 (the default) or cp1251\n"
    "  --lower         fold letter case first (Ё becomes ё)\n"
    "  --keep-order    keep the order of first occurrence instead of the largest count first\n"
    "  --force         replace the dictionary NAME when it exists\n"
    "  --help          show this text\n"
    "\n"
    "Words without a Windows-1251 form are dropped and reported; the same word given twice has\n"
    "its counts added. Exit status: 0 when the dictionary was written, 2 on error (nothing is\n"
    "written then).\n";

constexpr const char* kCheckUsage =
    "Usage: slovosito-cli check [--dir DIR]\n"
    "\n"
    "Tells for each file whose name ends in \".txt\" in the folder \"Словари\" beside the program\n"
    "(or DIR), in the order they are loaded, whether it is listed and why not, and notes what is\n"
    "allowed but probably not meant: empty words, a NUL byte, negative counts, a total of 0.\n"
    "\n"
    "Exit status: 0 when every file is listed, 1 when one is not, 2 on error.\n";

// Walks the arguments: options (with "--name=value" or "--name value") up to a "--", and the
// operands between and after them.
class TArgReader
{
public:
    explicit TArgReader(const std::vector<std::string>& args)
        : m_args(args)
    {}

    // Moves to the next argument; false at the end.
    bool Next()
    {
        if (m_pos >= m_args.size()) {
            return false;
        }
        m_arg = m_args[m_pos++];
        m_inlineValue.reset();
        m_isOption = false;
        if (!m_operandsOnly && m_arg == "--") {
            m_operandsOnly = true;
            return Next();
        }
        if (!m_operandsOnly && m_arg.starts_with("-") && m_arg != "-") {
            m_isOption = true;
            const std::size_t equals = m_arg.find('=');
            if (m_arg.starts_with("--") && equals != std::string::npos) {
                m_inlineValue = m_arg.substr(equals + 1);
                m_arg.resize(equals);
            }
        }
        return true;
    }

    bool IsOption() const { return m_isOption; }
    const std::string& Arg() const { return m_arg; }

    std::string Value()
    {
        if (m_inlineValue) {
            return *m_inlineValue;
        }
        if (m_pos >= m_args.size()) {
            throw EUsageError("option " + m_arg + " needs a value");
        }
        return m_args[m_pos++];
    }

    void Flag(bool& target) const
    {
        if (m_inlineValue) {
            throw EUsageError("option " + m_arg + " takes no value");
        }
        target = true;
    }

    [[noreturn]] void Unknown(const char* command) const
    {
        throw EUsageError("unknown argument " + m_arg + " (see " + command + " --help)");
    }

private:
    const std::vector<std::string>& m_args;
    std::size_t m_pos = 0;
    std::string m_arg;
    std::optional<std::string> m_inlineValue;
    bool m_isOption = false;
    bool m_operandsOnly = false;
};

// The folder named by --dir, which must exist, or the one beside the program.
std::string FolderFor(const std::string& dir)
{
    if (dir.empty()) {
        return DictionaryFolder();
    }
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error)) {
        throw EUsageError("no such folder \"" + dir + "\"");
    }
    return dir;
}

// Prints an error from the core (Windows-1251) or from the arguments (UTF-8). Returns 2.
int ReportError(std::ostream& err)
{
    try {
        throw;
    } catch (const EUsageError& e) {
        err << "slovosito-cli: " << e.what() << '\n';
    } catch (const EEncodingError& e) {
        err << "slovosito-cli: " << e.what() << '\n';
    } catch (const EPairExistsError& e) {
        err << "slovosito-cli: " << ToUtf8(e.what()) << " (give --force to replace it)\n";
    } catch (const std::exception& e) {
        err << "slovosito-cli: " << ToUtf8(UserErrorText(e.what())) << '\n';
    }
    return 2;
}

struct TMakeDictOptions
{
    std::string Dir;
    bool Help = false;
    bool Force = false;
    std::optional<TInputFormat> Format;
    TBuildOptions Build;
    std::string Name;
    std::vector<std::string> Files;
};

TMakeDictOptions ParseMakeDictArgs(const std::vector<std::string>& args)
{
    TMakeDictOptions options;
    const auto setFormat = [&options](TInputFormat format) {
        if (options.Format && *options.Format != format) {
            throw EUsageError("give only one of --from-list and --from-text");
        }
        options.Format = format;
    };
    TArgReader reader(args);
    bool unused = false;
    std::vector<std::string> operands;
    while (reader.Next()) {
        const std::string& arg = reader.Arg();
        if (!reader.IsOption()) {
            operands.push_back(arg);
        } else if (arg == "--dir") {
            options.Dir = reader.Value();
        } else if (arg == "--from-list") {
            reader.Flag(unused);
            setFormat(TInputFormat::List);
        } else if (arg == "--from-text") {
            reader.Flag(unused);
            setFormat(TInputFormat::Text);
        } else if (arg == "--encoding") {
            std::string encoding = reader.Value();
            std::transform(encoding.begin(), encoding.end(), encoding.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; });
            if (encoding == "utf-8" || encoding == "utf8") {
                options.Build.Encoding = TInputEncoding::Utf8;
            } else if (encoding == "cp1251" || encoding == "windows-1251") {
                options.Build.Encoding = TInputEncoding::Cp1251;
            } else {
                throw EUsageError("unknown encoding \"" + encoding + "\" (utf-8 or cp1251)");
            }
        } else if (arg == "--lower") {
            reader.Flag(options.Build.Lower);
        } else if (arg == "--keep-order") {
            reader.Flag(options.Build.KeepOrder);
        } else if (arg == "--force") {
            reader.Flag(options.Force);
        } else if (arg == "--help" || arg == "-h") {
            reader.Flag(options.Help);
        } else {
            reader.Unknown("make-dict");
        }
    }
    options.Build.Format = options.Format.value_or(TInputFormat::List);
    if (!options.Help && operands.size() < 2) {
        throw EUsageError("make-dict needs a NAME and at least one FILE (see make-dict --help)");
    }
    if (!operands.empty()) {
        options.Name = operands.front();
        options.Files.assign(operands.begin() + 1, operands.end());
    }
    return options;
}

// The dictionary name becomes a file name in the folder and a row of the list.
void CheckDictionaryName(const std::string& name)
{
    const bool control = std::any_of(name.begin(), name.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        control) {
        throw EUsageError("\"" + name +
                          "\" cannot be a dictionary name: it is a file name without \"/\"");
    }
    try {
        ToCp1251(name);
    } catch (const EEncodingError& e) {
        throw EUsageError("\"" + name + "\" cannot be a dictionary name: " + e.what());
    }
}

std::string Quoted(const std::string& utf8)
{
    return "\"" + utf8 + "\"";
}

void PrintSummary(const TBuiltDictionary& dictionary, const TWrittenPair& pair, std::ostream& out)
{
    out << "words written: " << dictionary.Words.size() << '\n';
    out << "words dropped: " << dictionary.DroppedWords;
    if (dictionary.DroppedWords > 0) {
        out << " (no Windows-1251 form)"
            << (dictionary.DroppedWords > dictionary.DroppedExamples.size() ? ", for example" : "")
            << ":";
        for (std::size_t i = 0; i < dictionary.DroppedExamples.size(); ++i) {
            out << (i == 0 ? " " : ", ") << Quoted(dictionary.DroppedExamples[i]);
        }
    }
    out << '\n';
    out << "total count: " << dictionary.Total << '\n';
    out << pair.WordListPath << ": " << pair.WordListBytes << " bytes\n";
    out << pair.CountFilePath << ": " << pair.CountFileBytes << " bytes\n";
}

int MakeDict(const TMakeDictOptions& options, std::ostream& out)
{
    CheckDictionaryName(options.Name);
    const std::string folder = FolderFor(options.Dir);
    if (options.Dir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
    }
    // Refuse before reading what may be a large corpus.
    if (!options.Force) {
        RefuseExistingPair(folder, options.Name);
    }
    TDictionaryBuilder builder(options.Build);
    for (const std::string& file : options.Files) {
        if (file == "-") {
            builder.AddStream(std::cin, "(standard input)");
        } else {
            builder.AddFile(file);
        }
    }
    const TBuiltDictionary dictionary = builder.Result();
    if (dictionary.Words.empty()) {
        throw EUsageError("no words to write" +
                          (dictionary.DroppedWords > 0
                               ? " (" + std::to_string(dictionary.DroppedWords) +
                                     " dropped: no Windows-1251 form)"
                               : std::string()) +
                          "; nothing written");
    }
    const TWrittenPair pair = WriteDictionaryPair(folder, options.Name, dictionary, options.Force);
    PrintSummary(dictionary, pair, out);
    return 0;
}

// The reason a candidate is not listed, UTF-8.
std::string WhyNotListed(const TCandidateCheck& check)
{
    const std::string countFile = Quoted(check.FileName + ".cnt");
    switch (check.Verdict) {
        case TVerdict::NotRegularFile:
            return "not a regular file (" + ToUtf8(check.Detail) + ")";
        case TVerdict::CountFileMissing:
            return "count file " + countFile + " missing";
        case TVerdict::CountFileNotRegular:
            return "count file " + countFile + " is not a regular file (" + ToUtf8(check.Detail) +
                   ")";
        case TVerdict::CountFileSizeMismatch:
            return "count file size does not match: " + std::to_string(check.WordCount) +
                   " words in the list, " + std::to_string(check.CountFileBytes / 4) +
                   " whole counts in the count file (" + std::to_string(check.CountFileBytes) +
                   " bytes)";
        case TVerdict::Unreadable:
            return "cannot be read: " + ToUtf8(UserErrorText(check.Detail));
        case TVerdict::Listed:
            break;
    }
    return {};
}

std::string Bytes(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// "1 empty word, on line 2", "2 empty words, the first on line 2".
std::string CountAndFirstLine(std::uint64_t count, const char* what, std::uint64_t firstIndex)
{
    return std::to_string(count) + " " + what +
           (count == 1 ? ", on line " : "s, the first on line ") + std::to_string(firstIndex + 1);
}

void PrintNotes(const TCandidateCheck& check, std::ostream& out)
{
    if (check.EmptyWords > 0) {
        out << "  note: " << CountAndFirstLine(check.EmptyWords, "empty word", check.FirstEmptyWord)
            << '\n';
    }
    if (check.NulOffset) {
        out << "  note: a NUL byte at byte " << *check.NulOffset << " ends the word list; "
            << Bytes(check.BytesAfterNul) << " after it not read\n";
    }
    if (check.Verdict != TVerdict::Listed) {
        return;
    }
    if (check.CountFileBytes % 4 != 0) {
        out << "  note: " << Bytes(check.CountFileBytes % 4)
            << " at the end of the count file, not a whole count, ignored\n";
    }
    if (check.NegativeCounts > 0) {
        out << "  note: "
            << CountAndFirstLine(check.NegativeCounts, "negative count", check.FirstNegativeCount)
            << '\n';
    }
    if (check.ZeroTotal) {
        out << "  note: the total of the counts is 0: the dictionary is listed but never "
               "searched\n";
    }
}

int Check(const std::string& dir, std::ostream& out)
{
    const std::string folder = FolderFor(dir);
    const std::vector<TCandidateCheck> checks = CheckDictionaryFolder(folder);
    std::size_t listed = 0;
    for (const TCandidateCheck& check : checks) {
        out << check.FileName << ": ";
        if (check.Verdict == TVerdict::Listed) {
            ++listed;
            out << "listed as " << Quoted(ToUtf8(check.RowText)) << '\n';
        } else {
            out << "not listed: " << WhyNotListed(check) << '\n';
        }
        PrintNotes(check, out);
    }
    if (checks.empty()) {
        out << "no file whose name ends in \".txt\" in \"" << folder << "\"\n";
    } else {
        out << listed << " of " << checks.size() << " listed\n";
    }
    out.flush();
    return listed == checks.size() ? 0 : 1;
}

}  // namespace

int RunMakeDict(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        const TMakeDictOptions options = ParseMakeDictArgs(args);
        if (options.Help) {
            out << kMakeDictUsage;
            return 0;
        }
        return MakeDict(options, out);
    } catch (const std::exception&) {
        return ReportError(err);
    }
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        std::string dir;
        bool help = false;
        TArgReader reader(args);
        while (reader.Next()) {
            if (reader.IsOption() && reader.Arg() == "--dir") {
                dir = reader.Value();
            } else if (reader.IsOption() && (reader.Arg() == "--help" || reader.Arg() == "-h")) {
                reader.Flag(help);
            } else {
                reader.Unknown("check");
            }
        }
        if (help) {
            out << kCheckUsage;
            return 0;
        }
        return Check(dir, out);
    } catch (const std::exception&) {
        return ReportError(err);
    }
}
