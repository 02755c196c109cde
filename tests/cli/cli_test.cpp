// End-to-end tests of slovosito-cli: the built program run on temporary dictionary folders.

#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Runs the program with args; its output goes through files in folder.
TCliRun RunCli(const TTempFolder& folder, std::vector<std::string> args)
{
    return RunCliProgram(folder, std::move(args));
}

class Cli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.WritePair("Словари/basic", {"янка", "банка", "кот", "склянка"},
                           {400000, 300000, 200000, 100000});
        m_folder.WritePair("Словари/extra", {"полянка", "кот"}, {500000, 500000});
    }

    TCliRun Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--dir", m_folder.Path() + "/Словари"});
        return RunCli(m_folder, std::move(args));
    }

    TTempFolder m_folder;
};

TEST_F(Cli, NothingListedIsExitStatusOne)
{
    // Nothing ends so; Latin letters leave the mask nothing to search.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--ending", "xyz"}, {"--mask", "abc"}}) {
        SCOPED_TRACE(args[1]);
        const TCliRun result = Run(args);
        EXPECT_EQ(result.Status, 1);
        EXPECT_EQ(result.Out, "");
        EXPECT_EQ(result.Err, "");
    }
}

TEST_F(Cli, ErrorsGoToStderrWithExitStatusTwo)
{
    // Arguments after --dir, then the start of stderr.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--ending", "нка", "--min", "0;5"},
         "slovosito-cli: '0;5' is not a valid floating point value.\n"},
        {{"--regexp", "/ко[тд/"}, "slovosito-cli: TRegExpr(comp): Unmatched [] (pos "},
        {{"--regexp", "/кот"}, "slovosito-cli: Unknown error.\n"},
        {{"--dict", "nope", "--ending", "а"}, "slovosito-cli: no dictionary named \"nope\""},
        {{"--ending", "☃"}, "slovosito-cli: The character \"☃\" (U+2603) has no Windows-1251"},
        {{"--bogus"}, "slovosito-cli: unknown argument --bogus"},
        {{},
         "slovosito-cli: give --list or one of --ending, --mask, --regexp, --inexact, --anagram, "
         "--from-letters, --rhyme (see --help)\n"},
        {{"--ending", "а", "--anagram", "б", "--bogus"},
         "slovosito-cli: only one of --ending, --mask, --regexp, --inexact, --anagram, "
         "--from-letters and --rhyme may be given\n"},
        {{"--from-letters", "б", "--mask", "а"}, "slovosito-cli: only one of"},
        {{"--anagram", ""}, "slovosito-cli: option --anagram needs letters\n"},
        {{"--from-letters", " \t"}, "slovosito-cli: option --from-letters needs letters\n"},
        {{"--mask", "к[оа"}, "slovosito-cli: Unclosed [ in the mask.\n"},
        {{"--list", "--"}, "slovosito-cli: unknown argument -- (see --help)\n"},
        {{"--list", "-"}, "slovosito-cli: unknown argument - (see --help)\n"},
        {{"--ending"}, "slovosito-cli: option --ending needs a value"},
    };
    for (const auto& [args, err] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const TCliRun result = Run(args);
        EXPECT_EQ(result.Status, 2);
        EXPECT_THAT(result.Err, StartsWith(err));
        EXPECT_EQ(result.Out, "");
    }
}

TEST_F(Cli, ValuesAnOptionCannotTakeAreUsageErrors)
{
    // An option, values it refuses, and the message around the quoted value.
    const struct
    {
        const char* Option;
        std::vector<std::string> Values;
        const char* Before;
        const char* After;
    } cases[] = {
        {"--length", {"abc", "5-2", "", "-", "+3"}, "bad length", "(N, N-M, N- or -M)"},
        {"--syllables", {"x", "1-2-3", "2.5"}, "bad syllable count", "(N, N-M, N- or -M)"},
        {"--time-limit",
         {"", "abc", "-1", "+1", "1.5", "1,5", " 1", "1s", "4294967296"},
         "bad time limit",
         "(whole seconds, 0 for none)"},
    };
    for (const auto& c : cases) {
        for (const std::string& value : c.Values) {
            SCOPED_TRACE(std::string(c.Option) + " " + value);
            const TCliRun result = Run({"--ending", "а", c.Option, value});
            EXPECT_EQ(result.Status, 2);
            EXPECT_EQ(result.Out, "");
            EXPECT_EQ(result.Err, "slovosito-cli: " + std::string(c.Before) + " \"" + value +
                                      "\" " + c.After + "\n");
        }
    }
}

TEST_F(Cli, OnlyTheDictionaryCommandsReadDoubleDashAsTheEndOfOptions)
{
    const std::string dir = m_folder.Path() + "/Словари";
    EXPECT_EQ(RunCli(m_folder, {"--dir", dir, "--list", "--"}).Status, 2);
    const TCliRun check = RunCli(m_folder, {"check", "--dir", dir, "--"});
    EXPECT_EQ(check.Status, 0);
    EXPECT_THAT(check.Out, HasSubstr("2 of 2 listed\n"));
    EXPECT_EQ(RunCli(m_folder, {"check", "--", "--dir", dir}).Err,
              "slovosito-cli: unknown argument --dir (see check --help)\n");
}

TEST_F(Cli, DamagedPairIsWarnedOnStderrAndTheRunGoesOn)
{
    m_folder.Write("Словари/broken.txt", "a\r\nb\r\n");
    m_folder.Write("Словари/broken.txt.cnt", Counts({1}));
    const TCliRun result = Run({"--list"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, "basic (4 слов)\nextra (2 слов)\n");
    EXPECT_EQ(result.Err,
              "slovosito-cli: Внимание! Словарь \"broken\" был изменён вручную или повреждён и не "
              "может более использоваться.\n");
}

TEST(CliYo, RowsFindYoAndTheRegexpRowKeepsYoAndEscapes)
{
    // The rows folded ё to е and matched only е, so words spelled with ё were never listed, and
    // the regexp row lowercased escapes: /^\D+$/ listed the numbers.
    const TTempFolder folder;
    folder.WritePair("Словари/yo", {"ёлка", "елка", "идёт", "будет", "00", "1"},
                     {600, 500, 400, 300, 200, 100});
    // Arguments after --dir, then the whole stdout.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--ending", "ет"}, "идёт\nбудет\n"},
        {{"--ending", "ЁТ"}, "идёт\nбудет\n"},
        {{"--mask", "ЁЛКА"}, "ёлка\nелка\n"},
        {{"--mask", "*ёт"}, "идёт\nбудет\n"},
        {{"--inexact", "элка"}, "ёлка\nелка\n"},
        {{"--regexp", "/^ЁЛКА$/"}, "ёлка\n"},
        {{"--regexp", "/^елка$/"}, "елка\n"},
        {{"--regexp", "/^\\D+$/"}, "ёлка\nелка\nидёт\nбудет\n"},
        {{"--regexp", "/^\\d+$/I"}, "00\n1\n"},
    };
    for (const auto& [args, out] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        std::vector<std::string> all = {"--dir", folder.Path() + "/Словари"};
        all.insert(all.end(), args.begin(), args.end());
        const TCliRun result = RunCli(folder, all);
        EXPECT_EQ(result.Out, out);
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Err, "");
    }
}

TEST(CliSample, EndingYankaListsTheSampleByFrequency)
{
    // The build puts the sample dictionary beside the program.
    const TTempFolder scratch;
    const TCliRun result = RunCli(scratch, {"--ending", "янка"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_THAT(result.Out, StartsWith("лесбиянка\nобезьянка\n"));
}

}  // namespace
