// End-to-end tests of slovosito-cli for the mask's vowels, consonants and sets of letters, and
// for the message of a malformed set.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

class CliMaskClasses : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder.WritePair("Словари/малый",
                           {"кот", "кит", "кёт", "крт", "гора", "кора", "хора", "горка", "корка",
                            "карта", "хорка", "кт", "к-т", "мята", "мятва", "куртка"},
                           {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    }

    TCliRun Run(std::vector<std::string> args)
    {
        return RunCliOnDictionaries(m_folder, std::move(args));
    }

    TTempFolder m_folder;
};

TEST_F(CliMaskClasses, ListsTheWordsOfVowelsConsonantsAndSets)
{
    struct TCase
    {
        std::vector<std::string> Args;
        const char* Out;
    };
    const TCase cases[] = {
        {{"--mask", "к@т"}, "кот\nкит\nкёт\n"},
        {{"--mask", "К@Т", "--alpha"}, "кёт\nкит\nкот\n"},
        {{"--mask", "[кг]?р?а"}, "горка\nкорка\nкарта\n"},
        {{"--mask", "[!г]ор@"}, "кора\nхора\n"},
        {{"--mask", "*#а"}, "гора\nкора\nхора\nгорка\nкорка\nкарта\nхорка\nмята\nмятва\nкуртка\n"},
        {{"--mask", "мят##а"}, ""},
        {{"--mask", "мят#а"}, "мятва\n"},
        {{"--mask", "к[-р]т"}, "крт\nк-т\n"},
        // The inexact row takes a letter's look-alikes (г for к), but a set as it is.
        {{"--inexact", "[к]ора"}, "гора\nкора\n"},
        {{"--inexact", "[кх]ора"}, "кора\nхора\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Args.at(1));
        const TCliRun run = Run(c.Args);
        EXPECT_EQ(run.Out, c.Out);
        EXPECT_EQ(run.Err, "");
        EXPECT_EQ(run.Status, *c.Out == '\0' ? 1 : 0);
    }
}

TEST_F(CliMaskClasses, MalformedSetIsAnError)
{
    struct TCase
    {
        std::vector<std::string> Args;
        const char* Err;
    };
    const TCase cases[] = {
        {{"--mask", "к[оа"}, "slovosito-cli: Unclosed [ in the mask.\n"},
        {{"--inexact", "к[]т"}, "slovosito-cli: Empty [] in the mask.\n"},
        {{"--mask", "[я-а]"}, "slovosito-cli: Reversed range in [] of the mask.\n"},
        {{"--mask", "[!а-я]"}, "slovosito-cli: No letter left by [!] in the mask.\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Args.at(1));
        const TCliRun run = Run(c.Args);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err, c.Err);
        EXPECT_EQ(run.Status, 2);
    }
}

}  // namespace
