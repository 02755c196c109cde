// End-to-end tests of the letter searches of slovosito-cli: --anagram and --from-letters with the
// options every search takes, and their usage errors.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"

namespace {

class CliLetters : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Totals of 1 000 000, so that a count is its ipm.
        m_folder.WritePair("Словари/basic", {"кот", "ток", "кто", "сок", "Кот"},
                           {400000, 300000, 200000, 90000, 10000});
        m_folder.WritePair("Словари/extra", {"кот", "сокол", "ёлка"}, {500000, 250000, 250000});
    }

    TCliRun Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--dir", m_folder.Path() + "/Словари"});
        return RunCliProgram(m_folder, std::move(args));
    }

    TTempFolder m_folder;
};

TEST_F(CliLetters, ListsAsTheOtherSearchesList)
{
    // Arguments after --dir, then the whole stdout and the exit status.
    const struct
    {
        std::vector<std::string> Args;
        std::string Out;
        int Status;
    } cases[] = {
        {{"--anagram", "кот"}, "кот\nток\nкто\n", 0},
        {{"--anagram", "ТКО", "--all", "--ipm"},
         "кот = 500000,00000\nкот = 400000,00000\nток = 300000,00000\nкто = 200000,00000\n",
         0},
        {{"--anagram", "кот", "--all", "--alpha"}, "кот\nкто\nток\n", 0},
        {{"--anagram", "к??"}, "кот\nток\nкто\nсок\n", 0},
        {{"--anagram", "кит"}, "", 1},
        {{"--from-letters", "сокол", "--all", "--alpha", "--ipm"},
         "сок = 90000,00000\nсокол = 250000,00000\n",
         0},
        {{"--from-letters", "сокот", "--min", "250000"}, "кот\nток\n", 0},
        {{"--from-letters=АКЛЕ", "--dict", "extra"}, "ёлка\n", 0},
        {{"--from-letters", "от?к", "--raw"}, ToCp1251("кот\r\nток\r\nкто\r\nсок\r\nКот"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        const TCliRun result = Run(c.Args);
        EXPECT_EQ(result.Out, c.Out);
        EXPECT_EQ(result.Status, c.Status);
        EXPECT_EQ(result.Err, "");
    }
}

TEST_F(CliLetters, BlankLettersAndTwoModesAreUsageErrors)
{
    const std::string twoModes =
        "slovosito-cli: only one of --ending, --mask, --regexp, --inexact, --anagram and "
        "--from-letters may be given\n";
    // Arguments after --dir, then the whole stderr.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--anagram", ""}, "slovosito-cli: option --anagram needs letters\n"},
        {{"--from-letters", " \t"}, "slovosito-cli: option --from-letters needs letters\n"},
        {{"--anagram", "кот", "--from-letters", "ток"}, twoModes},
        {{"--ending", "а", "--anagram", "б"}, twoModes},
        {{"--from-letters", "б", "--mask", "а"}, twoModes},
        {{},
         "slovosito-cli: give --list or one of --ending, --mask, --regexp, --inexact, --anagram, "
         "--from-letters (see --help)\n"},
    };
    for (const auto& [args, err] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const TCliRun result = Run(args);
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Err, err);
        EXPECT_EQ(result.Out, "");
    }
}

}  // namespace
