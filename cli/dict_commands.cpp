// The dictionary commands of slovosito-cli: what they do with their arguments, and the reports
// they print.

#include "cli/dict_commands.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <system_error>

#include "cli/commands.h"
#include "cli/dictionary_names.h"
#include "cli/options.h"
#include "phonetics/rhyme_cache.h"
#include "search/number_text.h"
#include "wordstore/dictionary_builder.h"
#include "wordstore/dictionary_check.h"
#include "wordstore/encoding.h"
#include "wordstore/path_utils.h"

namespace {

// What make-dict is to do.
struct TMakeDictOptions
{
    std::string Dir;
    bool Help = false;
    bool Force = false;
    TBuildOptions Build;
    std::string Name;
    std::vector<std::string> Files;
};

TMakeDictOptions ReadMakeDictArgs(const std::vector<std::string>& args)
{
    const TCliArgs read = ReadArguments(kMakeDictCommand, args);
    const std::vector<std::string>& operands = read.Operands;
    if (!read.Help && operands.size() < 2) {
        throw EUsageError("make-dict needs a NAME and at least one FILE (see make-dict --help)");
    }
    TMakeDictOptions options;
    options.Dir = read.Dir;
    options.Help = read.Help;
    options.Force = read.MakeDict.Force;
    options.Build = read.MakeDict.Build;
    options.Build.Format = read.MakeDict.Format.value_or(TInputFormat::List);
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

// An input of make-dict and the encoding it was read in.
struct TInputRead
{
    std::string Name;  // UTF-8
    TInputEncoding Encoding = TInputEncoding::Utf8;
};

// readAs is printed first, one line per input: what --encoding auto took.
void PrintSummary(const TBuiltDictionary& dictionary, const TWrittenPair& pair,
                  const std::vector<TInputRead>& readAs, std::ostream& out)
{
    for (const TInputRead& input : readAs) {
        out << input.Name << ": read as "
            << (input.Encoding == TInputEncoding::Utf8 ? "utf-8" : "cp1251") << '\n';
    }
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

int MakeDict(const TMakeDictOptions& options, std::ostream& out, std::ostream& err)
{
    CheckDictionaryName(options.Name);
    const TDictionaryFolder chosen = DictionaryFolderFor(options.Dir, err);
    if (chosen.Choice == TFolderChoice::InstalledSample) {
        // The sample is read in place only so that searches still find words.
        throw EUsageError(
            "no dictionary folder of your own to write into (see the error above); "
            "give --dir DIR");
    }
    const std::string& folder = chosen.Path;
    if (options.Dir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
    }
    // Refuse before reading what may be a large corpus.
    if (!options.Force) {
        RefuseExistingPair(folder, options.Name);
    }
    TDictionaryBuilder builder(options.Build);
    std::vector<TInputRead> readAs;
    for (const std::string& file : options.Files) {
        const std::string name = file == "-" ? "(standard input)" : file;
        const TInputEncoding encoding =
            file == "-" ? builder.AddStream(std::cin, name) : builder.AddFile(file);
        if (options.Build.Encoding == TInputEncoding::Auto) {
            readAs.push_back({name, encoding});
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
    PrintSummary(dictionary, pair, readAs, out);
    return 0;
}

// The reason a candidate is not listed, UTF-8.
std::string WhyNotListed(const TCandidateCheck& check)
{
    const std::string countFile = Quoted(SpellName(check.FileName + ".cnt"));
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

// The line on the rhyme index cache that ends check's report: its folder, its index files and the
// room they take, in MB with one decimal.
void PrintRhymeCache(std::ostream& out)
{
    const std::string folder = RhymeCacheFolder();
    out << "rhyme index cache: ";
    if (folder.empty()) {
        out << "none (neither XDG_CACHE_HOME nor HOME is an absolute path)\n";
        return;
    }
    const TRhymeCacheUsage usage = RhymeCacheUsage(folder);
    constexpr std::uint64_t kMegabyte = std::uint64_t{1} << 20;
    const std::uint64_t tenths = (usage.Bytes * 10 + kMegabyte / 2) / kMegabyte;
    out << folder << " (" << usage.Files << (usage.Files == 1 ? " file, " : " files, ")
        << tenths / 10 << '.' << tenths % 10 << " MB)\n";
}

int Check(const std::string& dir, std::ostream& out, std::ostream& err)
{
    const std::string folder = DictionaryFolderFor(dir, err).Path;
    const TFolderCheck folderCheck = CheckFolder(folder);
    const std::vector<TCandidateCheck>& checks = folderCheck.Candidates;
    std::size_t listed = 0;
    for (const TCandidateCheck& check : checks) {
        out << SpellName(check.FileName) << ": ";
        if (check.Verdict == TVerdict::Listed) {
            ++listed;
            out << "listed as "
                << Quoted(TerminalRow(StripExtension(check.FileName), check.RowText)) << '\n';
        } else {
            out << "not listed: " << WhyNotListed(check) << '\n';
        }
        PrintNotes(check, out);
    }
    for (const TLeftover& leftover : folderCheck.Leftovers) {
        out << "note: " << Quoted(SpellName(leftover.Name))
            << " is left from an interrupted make-dict; the "
            << (leftover.Fate == TLeftoverFate::PutInPlace ? "next make-dict puts it in place"
                                                           : "next make-dict removes it")
            << '\n';
    }
    for (const std::string& name : folderCheck.LoneCountFiles) {
        out << "note: count file " << Quoted(SpellName(name))
            << " has no word list beside it; remove it, or make-dict --force writes the pair "
               "anew\n";
    }
    if (checks.empty()) {
        out << "no file whose name ends in \".txt\" in \"" << folder << "\"\n";
    } else {
        out << listed << " of " << checks.size() << " listed\n";
    }
    PrintRhymeCache(out);
    out.flush();
    return listed == checks.size() ? 0 : 1;
}

}  // namespace

int RunMakeDict(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const TMakeDictOptions options = ReadMakeDictArgs(args);
    if (options.Help) {
        out << HelpText(kMakeDictCommand);
        return 0;
    }
    return MakeDict(options, out, err);
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const TCliArgs read = ReadArguments(kCheckCommand, args);
    if (read.Help) {
        out << HelpText(kCheckCommand);
        return 0;
    }
    return Check(read.Dir, out, err);
}
