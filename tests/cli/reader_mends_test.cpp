// End-to-end tests of slovosito-cli for what a Russian reader expects: ё in the alphabetical
// order, and a minimum typed with a decimal point.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

class CliReader : public ::testing::Test
{
protected:
    TCliRun Run(std::vector<std::string> args)
    {
        return RunCliOnDictionaries(m_folder, std::move(args));
    }

    TTempFolder m_folder;
};

// Was wrong: ё sorted by its byte, before every other Cyrillic letter ("ёлка" before "абажур").
TEST_F(CliReader, AlphabeticalListingPutsYoAfterYe)
{
    m_folder.WritePair(
        "Словари/ё", {"ёлка", "кёрка", "ещё", "Ёж", "жук", "еще", "карга", "ель", "Еда", "абажур"},
        {10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    m_folder.WritePair("Словари/е", {"еще", "ёлка", "елка"}, {1, 1, 1});

    const TCliRun alphabetical = Run({"--mask", "*", "--alpha", "--all"});
    EXPECT_EQ(alphabetical.Out, "Еда\nЁж\nабажур\nелка\nель\nеще\nещё\nёлка\nжук\nкарга\nкёрка\n");
    EXPECT_EQ(alphabetical.Status, 0);
    EXPECT_EQ(alphabetical.Err, "");

    // The relevance order does not look at the letters.
    const TCliRun byValue = Run({"--mask", "*", "--dict", "ё"});
    EXPECT_EQ(byValue.Out, "ёлка\nкёрка\nещё\nЁж\nжук\nеще\nкарга\nель\nЕда\nабажур\n");
    EXPECT_EQ(byValue.Status, 0);
}

// Was wrong: "0.5" was refused as not a number, and so was "1e-400", too small for a double.
TEST_F(CliReader, MinimumTakesADecimalPointOrComma)
{
    // A total of 4 words per million: the ipm values are 0.25, 0.75 and about 999 999.
    m_folder.WritePair("Словари/малый", {"кот", "пес", "рыба"}, {1, 3, 3999996});

    // The minimum, then the whole stdout with --ipm.
    const std::pair<const char*, const char*> cases[] = {
        {"0.5", "рыба = 999999,00000\nпес = 0,75000\n"},
        {"0,5", "рыба = 999999,00000\nпес = 0,75000\n"},
        {".5", "рыба = 999999,00000\nпес = 0,75000\n"},
        {" 5.0E-1 ", "рыба = 999999,00000\nпес = 0,75000\n"},
        {"0.2", "рыба = 999999,00000\nпес = 0,75000\nкот = 0,25000\n"},
        {"1e-400", "рыба = 999999,00000\nпес = 0,75000\nкот = 0,25000\n"},
        {"999998.5", "рыба = 999999,00000\n"},
    };
    for (const auto& [minimum, out] : cases) {
        SCOPED_TRACE(minimum);
        const TCliRun result = Run({"--mask", "*", "--ipm", "--min", minimum});
        EXPECT_EQ(result.Out, out);
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Err, "");
    }
}

TEST_F(CliReader, MinimumWithTwoSeparatorsOrTooLargeIsStillAnError)
{
    m_folder.WritePair("Словари/малый", {"кот"}, {1});
    for (const char* minimum : {"1,5.3", "1.5,3", "0..5", "1e400"}) {
        SCOPED_TRACE(minimum);
        const TCliRun result = Run({"--mask", "*", "--min", minimum});
        EXPECT_EQ(result.Err, std::string("slovosito-cli: '") + minimum +
                                  "' is not a valid floating point value.\n");
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
    }
}

}  // namespace
