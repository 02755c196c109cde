// End-to-end tests of the letter searches of slovosito-cli: --anagram and --from-letters with the
// options every search takes, and their usage errors.

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"

namespace {

// Arguments after --dir, then the exit status, the whole stdout and the whole stderr.
using TCase = std::pair<std::vector<std::string>, TCliRun>;

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

    void ExpectRuns(const std::vector<TCase>& cases)
    {
        for (const auto& [args, expected] : cases) {
            SCOPED_TRACE(::testing::PrintToString(args));
            std::vector<std::string> all = {"--dir", m_folder.Path() + "/Словари"};
            all.insert(all.end(), args.begin(), args.end());
            const TCliRun run = RunCliProgram(m_folder, all);
            EXPECT_EQ(std::tie(run.Status, run.Out, run.Err),
                      std::tie(expected.Status, expected.Out, expected.Err));
        }
    }

    TTempFolder m_folder;
};

TEST_F(CliLetters, ListsAsTheOtherSearchesList)
{
    ExpectRuns({
        {{"--anagram", "кот"}, {0, "кот\nток\nкто\n", ""}},
        {{"--anagram", "ТКО", "--all", "--ipm"},
         {0, "кот = 500000,00000\nкот = 400000,00000\nток = 300000,00000\nкто = 200000,00000\n",
          ""}},
        {{"--anagram", "кот", "--all", "--alpha"}, {0, "кот\nкто\nток\n", ""}},
        {{"--anagram", "к??"}, {0, "кот\nток\nкто\nсок\n", ""}},
        {{"--anagram", "кит"}, {1, "", ""}},
        {{"--from-letters", "сокол", "--all", "--alpha", "--ipm"},
         {0, "сок = 90000,00000\nсокол = 250000,00000\n", ""}},
        {{"--from-letters", "сокот", "--min", "250000"}, {0, "кот\nток\n", ""}},
        {{"--from-letters=АКЛЕ", "--dict", "extra"}, {0, "ёлка\n", ""}},
        {{"--from-letters", "от?к", "--raw"}, {0, ToCp1251("кот\r\nток\r\nкто\r\nсок\r\nКот"), ""}},
    });
}

TEST_F(CliLetters, BlankLettersAndTwoModesAreUsageErrors)
{
    const TCliRun twoModes = {2, "",
                              "slovosito-cli: only one of --ending, --mask, --regexp, --inexact, "
                              "--anagram, --from-letters and --rhyme may be given\n"};
    ExpectRuns({
        {{"--anagram", ""}, {2, "", "slovosito-cli: option --anagram needs letters\n"}},
        {{"--from-letters", " \t"},
         {2, "", "slovosito-cli: option --from-letters needs letters\n"}},
        {{"--anagram", "кот", "--from-letters", "ток"}, twoModes},
        {{"--ending", "а", "--anagram", "б"}, twoModes},
        {{"--from-letters", "б", "--mask", "а"}, twoModes},
        {{},
         {2, "",
          "slovosito-cli: give --list or one of --ending, --mask, --regexp, --inexact, --anagram, "
          "--from-letters, --rhyme (see --help)\n"}},
    });
}

}  // namespace
