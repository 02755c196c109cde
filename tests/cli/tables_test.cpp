// End-to-end tests of slovosito-cli's --format and --compare: whole outputs on two small
// dictionaries, and the usage errors.

#include <span>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

class CliTables : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Totals 1 000 000 and 500 000: a count is its ipm in "Один", half of it in "Два, два".
        // No two dictionaries share an ipm, so the order of equal ones is within one dictionary.
        m_folder.WritePair("Словари/Один", {"дом", "кот", "а,б", "\"кв\"", "ель"},
                           {500000, 250000, 150000, 50000, 50000});
        m_folder.WritePair("Словари/Два, два", {"ёж", "дом", "кот", "ель"},
                           {200000, 150000, 90000, 60000});
    }

    TCliRun Run(std::vector<std::string> args)
    {
        return RunCliOnDictionaries(m_folder, std::move(args));
    }

    // Runs each case's arguments and expects the status, the case's text as the stream shown
    // and nothing on the other stream.
    void ExpectEach(std::span<const std::pair<std::vector<std::string>, const char*>> cases,
                    int status, std::string TCliRun::*shown)
    {
        std::string TCliRun::*const other = shown == &TCliRun::Out ? &TCliRun::Err : &TCliRun::Out;
        for (const auto& [args, text] : cases) {
            SCOPED_TRACE(::testing::PrintToString(args));
            const TCliRun result = Run(args);
            EXPECT_EQ(result.Status, status);
            EXPECT_EQ(result.*shown, text);
            EXPECT_EQ(result.*other, "");
        }
    }

    TTempFolder m_folder;
};

TEST_F(CliTables, FormatsAndCompareWriteTheWholeTable)
{
    // Arguments, then the whole output. "Два, два" is row 0: rows are loaded in file name order.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--all", "--format", "tsv", "--ending", ""},
         "word\tipm\tcount\tdictionary\n"
         "дом\t500000,00000\t500000\tОдин\n"
         "ёж\t400000,00000\t200000\tДва, два\n"
         "дом\t300000,00000\t150000\tДва, два\n"
         "кот\t250000,00000\t250000\tОдин\n"
         "кот\t180000,00000\t90000\tДва, два\n"
         "а,б\t150000,00000\t150000\tОдин\n"
         "ель\t120000,00000\t60000\tДва, два\n"
         "ель\t50000,00000\t50000\tОдин\n"
         "\"кв\"\t50000,00000\t50000\tОдин\n"},
        {{"--dict", "Один", "--format=csv", "--min", "60000", "--mask", "*"},
         "word,ipm,count,dictionary\n"
         "дом,500000.00000,500000,Один\n"
         "кот,250000.00000,250000,Один\n"
         "\"а,б\",150000.00000,150000,Один\n"},
        {{"--all", "--alpha", "--format", "csv", "--ending", "ь"},
         "word,ipm,count,dictionary\nель,120000.00000,60000,\"Два, два\"\n"},
        {{"--format", "text", "--all", "--ending", "т"}, "кот\nкот\n"},
        {{"--all", "--compare", "--ending", ""},
         "дом = 300000,00000 | 500000,00000\n"
         "ёж = 400000,00000 | -\n"
         "кот = 180000,00000 | 250000,00000\n"
         "а,б = - | 150000,00000\n"
         "ель = 120000,00000 | 50000,00000\n"
         "\"кв\" = - | 50000,00000\n"},
        // The minimum applies to the largest ipm: ель stays, with its 50000 in "Один".
        {{"--all", "--compare", "--alpha", "--min", "100000", "--format", "tsv", "--ending", ""},
         "word\tДва, два\tОдин\n"
         "а,б\t\t150000,00000\n"
         "дом\t300000,00000\t500000,00000\n"
         "ель\t120000,00000\t50000,00000\n"
         "ёж\t400000,00000\t\n"
         "кот\t180000,00000\t250000,00000\n"},
        {{"--dict", "Один", "--dict", "Два, два", "--compare", "--format", "csv", "--ending",
          "в\""},
         "word,\"Два, два\",Один\n\"\"\"кв\"\"\",,50000.00000\n"},
    };
    ExpectEach(cases, 0, &TCliRun::Out);
}

TEST_F(CliTables, RawTablesAreWindows1251WithCrLfBetweenLines)
{
    const TCliRun tsv = Run({"--raw", "--dict", "Один", "--format", "tsv", "--ending", "м"});
    EXPECT_EQ(tsv.Status, 0);
    EXPECT_EQ(tsv.Out,
              "word\tipm\tcount\tdictionary\r\n\xE4\xEE\xEC\t500000,00000\t500000\t"
              "\xCE\xE4\xE8\xED");
    const TCliRun compare = Run({"--raw", "--all", "--compare", "--ending", "ж"});
    EXPECT_EQ(compare.Status, 0);
    EXPECT_EQ(compare.Out, "\xB8\xE6 = 400000,00000 | -");
}

TEST_F(CliTables, TableWithoutRowsIsItsHeaderWithStatus1)
{
    const TCliRun tsv = Run({"--all", "--format", "tsv", "--ending", "щ"});
    EXPECT_EQ(tsv.Status, 1);
    EXPECT_EQ(tsv.Out, "word\tipm\tcount\tdictionary\n");
    const TCliRun compare = Run({"--all", "--compare", "--min", "600000", "--ending", ""});
    EXPECT_EQ(compare.Status, 1);
    EXPECT_EQ(compare.Out, "");
}

TEST_F(CliTables, BadFormatAndCompareOfOneDictionaryAreUsageErrors)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--format", "xls", "--ending", ""},
         "slovosito-cli: bad format \"xls\" (text, tsv or csv)\n"},
        {{"--compare", "--ending", ""},
         "slovosito-cli: --compare needs two or more dictionaries (give --dict twice or --all)\n"},
        {{"--compare", "--dict", "Один", "--format", "csv", "--ending", ""},
         "slovosito-cli: --compare needs two or more dictionaries (give --dict twice or --all)\n"},
    };
    ExpectEach(cases, 2, &TCliRun::Err);
}

}  // namespace
