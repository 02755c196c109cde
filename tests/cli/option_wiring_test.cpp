// Tests that every option of every command's table reaches what it acts on: each option changes
// the output of a run that lacks it, to what its row says.

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"

namespace {

using ::testing::Matcher;
using ::testing::StartsWith;

// An option with its value, the run it changes (a command word first, if any), and the output of
// the run with the option appended: the exit status, a newline, stdout, stderr, then the word
// list x.txt when the run wrote one; $T stands for the temporary folder, and "..." at the end for
// whatever follows.
struct TWiring
{
    std::vector<std::string> Option;
    std::vector<std::string> Run;
    const char* Out;
};

const char* const kCostly = "/^(?:|){22}$/";  // over ten milliseconds a word
const char* const kNoMode =
    "2\nslovosito-cli: give --list or one of --ending, --mask, --regexp, --inexact, --anagram, "
    "--from-letters, --rhyme (see --help)\n";

const TWiring kWirings[] = {
    {{"--dir", "$T/other"}, {"--list"}, "0\no (1 слов)\n"},
    {{"--list"}, {}, "0\nbasic (6 слов)\ncostly (2000 слов)\nextra (2 слов)\nnames (2 слов)\n"},
    {{"--verbose"}, {"--list"}, "0\nfolder: $T/Словари (given by --dir)\nbasic (6 слов)\n..."},
    {{"--dict", "extra"}, {"--ending", "нка"}, "0\nполянка\n"},
    {{"--all"}, {"--ending", "нка"}, "0\nполянка\nбанка\n"},
    {{"--alpha"}, {"--ending", "но"}, "0\nкино\nокно\n"},
    {{"--order", "length"}, {"--ending", ""}, "0\nбанка\nкурса\nокно\nкино\nкурс\nкот\n"},
    {{"--ipm"}, {"--ending", "нка"}, "0\nбанка = 200000,00000\n"},
    {{"--min", "260000"}, {"--ending", "но"}, "0\nокно\n"},
    {{"--raw"}, {"--ending", "кно"}, "0\n\xEE\xEA\xED\xEE"},
    {{"--format", "tsv"},
     {"--ending", "нка"},
     "0\nword\tipm\tcount\tdictionary\nбанка\t200000,00000\t200000\tbasic\n"},
    {{"--compare"},
     {"--dict", "basic", "--dict", "extra", "--ending", "от"},
     "0\nкот = 60000,00000 | 500000,00000\n"},
    {{"--time-limit", "1"},
     {"--dict", "costly", "--time-limit", "2", "--regexp", kCostly},
     "2\nslovosito-cli: Search stopped after 1 s: the expression is too costly. Simplify it or "
     "search fewer dictionaries.\n"},
    {{"--length", "4"}, {"--mask", "к*"}, "0\nкино\nкурс\n"},
    {{"--syllables", "1"}, {"--mask", "к*"}, "0\nкурс\nкот\n"},
    {{"--ending", "нка"}, {}, "0\nбанка\n"},
    {{"--mask", "?ино"}, {}, "0\nкино\n"},
    {{"--regexp", "/^к.р/"}, {}, "0\nкурса\nкурс\n"},
    {{"--inexact", "гот"}, {}, "0\nкот\n"},
    {{"--anagram", "ток"}, {}, "0\nкот\n"},
    {{"--from-letters", "кинот"}, {}, "0\nкино\nкот\n"},
    {{"--rhyme", "окно"}, {}, "0\nкино\n"},
    {{"--headwords"}, {"--mask", "курс*"}, "0\nкурс\n"},
    {{"--pos", "verb,adj"}, {"--ending", "о"}, "1\n"},
    {{"--known"}, {"--dict", "costly", "--ending", "99"}, "1\n"},
    {{"--no-names"}, {"--dict", "names", "--ending", ""}, "0\nкурс\n"},
    {{"--near"}, {"--rhyme", "кот"}, "1\n"},
    {{"--stress"}, {"--ending", "кно"}, "0\nокно'\n"},
    {{"--stress-place", "2"}, {"--mask", "к*"}, "0\nкурса\n"},
    {{"--help"}, {"--list"}, "0\nUsage: slovosito-cli [--dir DIR] --list [--verbose]\n..."},
    {{"--version"}, {"--list"}, "0\nslovosito-cli ..."},

    {{"--dir", "$T/other"},
     {"make-dict", "x", "$T/list.txt"},
     "0\nwords written: 3\nwords dropped: 0\ntotal count: 7\n$T/other/x.txt: 15 bytes\n..."},
    {{"--from-list"},
     {"make-dict", "--from-text", "x", "$T/list.txt"},
     "2\nslovosito-cli: give only one of --from-list and --from-text\n"},
    {{"--from-text"},
     {"make-dict", "x", "$T/list.txt"},
     "0\nwords written: 3\nwords dropped: 0\ntotal count: 3\n..."},
    {{"--encoding", "auto"},
     {"make-dict", "x", "$T/list.txt"},
     "0\n$T/list.txt: read as utf-8\nwords written: 3\n..."},
    {{"--lower"}, {"make-dict", "x", "$T/list.txt"}, "0\nwords written: 2\n..."},
    {{"--keep-order"},
     {"make-dict", "x", "$T/list.txt"},
     "0\nwords written: 3\nwords dropped: 0\ntotal count: 7\n$T/Словари/x.txt: 15 bytes\n"
     "$T/Словари/x.txt.cnt: 12 bytes\nКот\r\nпёс\r\nкот\r\n"},
    {{"--force"}, {"make-dict", "basic", "$T/list.txt"}, "0\nwords written: 3\n..."},
    {{"--help"},
     {"make-dict", "x", "$T/list.txt"},
     "0\nUsage: slovosito-cli make-dict [--dir DIR]..."},

    {{"--dir", "$T/other"}, {"check"}, "0\no.txt: listed as \"o (1 слов)\"\n1 of 1 listed\n..."},
    {{"--help"}, {"check"}, "0\nUsage: slovosito-cli check [--dir DIR]\n..."},
};

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The command word of args: "" for the search.
std::string CommandOf(const std::vector<std::string>& args)
{
    return !args.empty() && (args[0] == "make-dict" || args[0] == "check") ? args[0] : "";
}

// The second spelling of the option of wiring; nullptr when it has none.
const char* AliasOf(const TWiring& wiring)
{
    for (const TCommandSpec* command : kAllCommands) {
        for (const TOptionSpec& option : command->Options) {
            if (CommandOf(wiring.Run) == command->Name && wiring.Option[0] == option.Name) {
                return option.Alias;
            }
        }
    }
    return nullptr;
}

class OptionWiring : public ::testing::Test
{
protected:
    // Runs args on a fresh folder with "--dir $T/Словари" after the command word; returns the
    // output as TWiring::Out tells it.
    static std::string Observed(std::vector<std::string> args)
    {
        const TTempFolder folder;
        folder.WritePair("Словари/basic", {"окно", "кино", "банка", "курса", "курс", "кот"},
                         {300000, 250000, 200000, 100000, 90000, 60000});
        folder.WritePair("Словари/extra", {"полянка", "кот"}, {500000, 500000});
        folder.WritePair("Словари/names", {"берлина", "курс"}, {2, 1});
        std::vector<std::string> costly;
        for (int i = 0; i < 2000; ++i) {
            costly.push_back("ж" + std::to_string(i));
        }
        folder.WritePair("Словари/costly", costly, std::vector<std::int32_t>(2000, 1));
        folder.WritePair("other/o", {"кот"}, {1});
        folder.Write("list.txt", "Кот 1\nпёс 2\nкот 4\n");
        const std::string path = folder.Path();
        args.insert(args.begin() + (CommandOf(args).empty() ? 0 : 1), {"--dir", "$T/Словари"});
        for (std::string& arg : args) {
            arg = Replaced(arg, "$T", path);
        }
        std::string cache = "XDG_CACHE_HOME=" + path + "/cache";
        std::string home = "HOME=" + path;
        char* const env[] = {cache.data(), home.data(), nullptr};
        const TCliRun run = RunProgram(folder, SLOVOSITO_CLI_PATH, args, env);
        return Replaced(std::to_string(run.Status) + "\n" + run.Out + run.Err +
                            ToUtf8(ReadFileBytes(path + "/Словари/x.txt")),
                        path, "$T");
    }
};

TEST_F(OptionWiring, EveryOptionOfEveryTableHasARowAndEveryRowAnOption)
{
    std::set<std::string> wired;
    for (const TWiring& wiring : kWirings) {
        wired.insert(CommandOf(wiring.Run) + " " + wiring.Option.at(0));
    }
    std::set<std::string> options;
    for (const TCommandSpec* command : kAllCommands) {
        for (const TOptionSpec& option : command->Options) {
            options.insert(std::string(command->Name) + " " + option.Name);
        }
    }
    EXPECT_EQ(wired, options);
}

TEST_F(OptionWiring, EachOptionAndItsAliasChangeItsRunAsItsRowSays)
{
    for (const TWiring& wiring : kWirings) {
        SCOPED_TRACE(::testing::PrintToString(wiring.Option) + " on " +
                     ::testing::PrintToString(wiring.Run));
        std::vector<std::string> args = wiring.Run;
        args.insert(args.end(), wiring.Option.begin(), wiring.Option.end());
        const std::string_view out = wiring.Out;
        const Matcher<std::string> expected =
            out.ends_with("...") ? StartsWith(std::string(out.substr(0, out.size() - 3)))
                                 : Matcher<std::string>(std::string(out));
        const std::string with = Observed(args);
        EXPECT_THAT(with, expected);
        EXPECT_NE(Observed(wiring.Run), with);
        if (const char* alias = AliasOf(wiring)) {
            args[wiring.Run.size()] = alias;
            EXPECT_EQ(Observed(args), with) << alias;
        }
    }
}

}  // namespace
