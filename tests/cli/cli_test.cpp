// End-to-end tests of slovosito-cli: the built program run on temporary dictionary folders.

#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "slovosito_version.h"
#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"

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

TEST_F(Cli, ListsTheDictionaryRowsInScanOrder)
{
    const TCliRun result = Run({"--list"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, "basic (4 слов)\nextra (2 слов)\n");
    EXPECT_EQ(result.Err, "");
}

TEST_F(Cli, SearchesEachRowLikeItsButton)
{
    // Arguments after --dir, then the whole stdout and the exit status.
    const struct
    {
        std::vector<std::string> Args;
        const char* Out;
        int Status;
    } cases[] = {
        {{"--ending", "нка"}, "янка\nбанка\nсклянка\n", 0},
        {{"--ending", "НКА", "--all"}, "полянка\nянка\nбанка\nсклянка\n", 0},
        {{"--mask", "?анка"}, "банка\n", 0},
        {{"--mask", "*ЯНКА", "--alpha", "--all"}, "полянка\nсклянка\nянка\n", 0},
        {{"--regexp", "/^к/", "--ipm", "--dict", "extra"}, "кот = 500000,00000\n", 0},
        {{"--regexp", "/^к/", "--ipm", "--dict", "extra", "--dict", "basic"},
         "кот = 500000,00000\nкот = 200000,00000\n",
         0},
        {{"--inexact", "*янга"}, "янка\nбанка\nсклянка\n", 0},
        {{"--ending", "нка", "--min", "200000,5"}, "янка\nбанка\n", 0},
        {{"--ending", "xyz"}, "", 1},
        {{"--mask", "abc"}, "", 1},
        {{"--regexp=/^я/", "--min=0,0"}, "янка\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        const TCliRun result = Run(c.Args);
        EXPECT_EQ(result.Out, c.Out);
        EXPECT_EQ(result.Status, c.Status);
        EXPECT_EQ(result.Err, "");
    }
}

TEST_F(Cli, RawPrintsThePanesBytes)
{
    const TCliRun result = Run({"--raw", "--ending", "нка", "--ipm"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out, ToCp1251("янка = 400000,00000\r\nбанка = 300000,00000\r\n"
                                   "склянка = 100000,00000"));
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
        {{}, "slovosito-cli: give --list or one of"},
        {{"--ending", "а", "--mask", "б"}, "slovosito-cli: only one of"},
        {{"--ending", "а", "--mask", "б", "--bogus"}, "slovosito-cli: only one of"},
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

TEST_F(Cli, MissingFolderIsAnError)
{
    const TCliRun result = RunCli(m_folder, {"--dir", m_folder.Path() + "/nowhere", "--list"});
    EXPECT_EQ(result.Status, 2);
    EXPECT_THAT(result.Err, HasSubstr("no such folder"));
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

TEST_F(Cli, HelpAndVersion)
{
    EXPECT_THAT(Run({"--help"}).Out, HasSubstr("--ending"));
    EXPECT_EQ(Run({"--version"}).Out, std::string("slovosito-cli ") + kSlovositoVersion + "\n");
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
