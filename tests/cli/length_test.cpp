// End-to-end tests of slovosito-cli's --length and --syllables: whole listings of a small
// dictionary with each search mode, and the usage errors of bad ranges.

#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

using ::testing::HasSubstr;

class CliLength : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Total 1 000 000, so a count is its ipm. Characters and syllables: кот 3/1, оса 3/2,
        // мама 4/2, ива 3/2, кто-то 6/2, Яна 3/2, брр 3/0, сосна 5/2, колбаса 7/3, ёлка 4/2,
        // юла 3/2, шва 3/1.
        m_folder.WritePair("Словари/basic",
                           {"кот", "оса", "мама", "ива", "кто-то", "Яна", "брр", "сосна", "колбаса",
                            "ёлка", "юла", "шва"},
                           {200000, 150000, 120000, 100000, 90000, 80000, 70000, 60000, 50000,
                            40000, 30000, 10000});
    }

    TCliRun Run(std::vector<std::string> args)
    {
        return RunCliOnDictionaries(m_folder, std::move(args));
    }

    TTempFolder m_folder;
};

TEST_F(CliLength, RangesKeepTheWordsOfEverySearchModeThatLieInThem)
{
    // Arguments, then the whole output.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--ending", "а"}, "оса\nмама\nива\nЯна\nсосна\nколбаса\nёлка\nюла\nшва\n"},
        {{"--ending", "а", "--length", "3"}, "оса\nива\nЯна\nюла\nшва\n"},
        {{"--length=3", "--min", "90000", "--ending", "а"}, "оса\nива\n"},
        {{"--mask", "*а", "--syllables", "2-"}, "оса\nмама\nива\nЯна\nсосна\nколбаса\nёлка\nюла\n"},
        {{"--regexp", "/о/", "--length", "-4"}, "кот\nоса\n"},
        {{"--inexact", "*о*", "--syllables", "-1"}, "кот\n"},
        // The hyphen is a character, and Я a syllable.
        {{"--length", "6", "--ending", ""}, "кто-то\n"},
        {{"--length", "5", "--ending", ""}, "сосна\n"},
        {{"--syllables", "2", "--length", "3", "--ending", ""}, "оса\nива\nЯна\nюла\n"},
        {{"--syllables", "0", "--ending", ""}, "брр\n"},
        {{"--alpha", "--ipm", "--syllables", "2", "--length", "4-", "--ending", ""},
         "ёлка = 40000,00000\nкто-то = 90000,00000\nмама = 120000,00000\nсосна = 60000,00000\n"},
    };
    for (const auto& [args, out] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const TCliRun result = Run(args);
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Out, out);
        EXPECT_EQ(result.Err, "");
    }
}

TEST_F(CliLength, RangeThatKeepsNothingListsNothingWithStatus1)
{
    const TCliRun result = Run({"--ending", "а", "--length", "2", "--syllables", "0-9"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(result.Err, "");
}

TEST_F(CliLength, BadRangeIsAUsageError)
{
    // Arguments before the query, then the whole message.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--length", "abc"}, "slovosito-cli: bad length \"abc\" (N, N-M, N- or -M)\n"},
        {{"--length", "5-2"}, "slovosito-cli: bad length \"5-2\" (N, N-M, N- or -M)\n"},
        {{"--length", ""}, "slovosito-cli: bad length \"\" (N, N-M, N- or -M)\n"},
        {{"--length=-"}, "slovosito-cli: bad length \"-\" (N, N-M, N- or -M)\n"},
        {{"--length", "+3"}, "slovosito-cli: bad length \"+3\" (N, N-M, N- or -M)\n"},
        {{"--syllables", "x"}, "slovosito-cli: bad syllable count \"x\" (N, N-M, N- or -M)\n"},
        {{"--syllables", "1-2-3"},
         "slovosito-cli: bad syllable count \"1-2-3\" (N, N-M, N- or -M)\n"},
        {{"--syllables", "2.5"}, "slovosito-cli: bad syllable count \"2.5\" (N, N-M, N- or -M)\n"},
        {{"--syllables"}, "slovosito-cli: option --syllables needs a value\n"},
    };
    for (const auto& [args, err] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        std::vector<std::string> all = {"--ending", "а"};
        all.insert(all.end(), args.begin(), args.end());
        const TCliRun result = Run(all);
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
        EXPECT_EQ(result.Err, err);
    }
}

TEST_F(CliLength, HelpListsBothOptions)
{
    const TCliRun result = Run({"--help"});
    EXPECT_THAT(result.Out, HasSubstr("\n  --length RANGE  list only words of RANGE characters, a "
                                      "hyphen counting as one;"));
    EXPECT_THAT(result.Out,
                HasSubstr("\n  --syllables RANGE\n                  list only words of RANGE "
                          "syllables, that is vowel letters (а е ё и о у ы\n"));
    EXPECT_THAT(result.Out, HasSubstr("[--length RANGE] [--syllables RANGE]\n"));
}

}  // namespace
